// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/mainwindow.h"

#include "ui_mainwindow.h"

#include "widgets/cp1252validator.h"
#include "widgets/findbar.h"
#include "widgets/lineviewaccessible.h"
#include "widgets/lineviewfilemenu.h"
#include "widgets/screenfit.h"
#include "widgets/texttooltip.h"

#include <QDir>
#include <QScrollBar>
#include <QScreen>
#include <QShortcut>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>
#include <QWindow>

MainWindow::MainWindow(QWidget *parent)
    : QWidget(parent), ui_(std::make_unique<Ui::frm1>()), scroller_(new QScrollArea(this)), layoutArea_(new QWidget)
{
    // Before the lists exist, so that no one is ever given Qt's default interface for them.
    installLineViewAccessibility();
    ui_->setupUi(layoutArea_);
    // To the user and to automation tools the window is frm1; the area the layout was
    // drawn on is only what scrolls inside it.
    setObjectName(layoutArea_->objectName());
    setAccessibleDescription(layoutArea_->accessibleDescription());
    setWindowTitle(layoutArea_->windowTitle());
    layoutArea_->setObjectName(QStringLiteral("layoutArea"));
    layoutArea_->setAccessibleDescription(layoutArea_->objectName());
    scroller_->setObjectName(QStringLiteral("scroller"));
    scroller_->setAccessibleDescription(scroller_->objectName());
    // At the designed size nothing shows that the layout could scroll: no frame, no
    // scroll bars, and Tab moves through the controls as before.
    scroller_->setFrameShape(QFrame::NoFrame);
    scroller_->setFocusPolicy(Qt::NoFocus);
    scroller_->setWidget(layoutArea_);
    auto *fill = new QVBoxLayout(this);
    fill->setContentsMargins(0, 0, 0, 0);
    fill->addWidget(scroller_);
    resize(layoutArea_->size());
    // What is typed is what goes on the line: only characters with a Windows-1252 byte.
    ui_->ed1->setValidator(new Cp1252Validator(ui_->ed1));
    // The connection text outgrows its label with a long port path.
    new TextToolTip(ui_->lbl1);
    // "Speichern unter …" suggests a file name that says which list it came from.
    ui_->lb2->fileMenu()->setSaveNameSuffix(QStringLiteral("befehle"));
    ui_->lbrx->fileMenu()->setSaveNameSuffix(QStringLiteral("antworten"));

    // A child of the window, not of the layout: it is no control of frm1 and covers none.
    findBar_ = new FindBar(ui_->lb2, ui_->lbrx, this);
    findBar_->hide();
    new QShortcut(QKeySequence::Find, this, findBar_, [this] { findBar_->open(); });
    for (LineView *list : {ui_->lb2, ui_->lbrx})
        connect(list, &LineView::findAsked, findBar_, [this, list] { findBar_->open(list); });
    placeFindBar();
}

void MainWindow::placeFindBar()
{
    auto *rows = static_cast<QVBoxLayout *>(layout());
    if (!showsDesignedSize_) {
        // Where the layout scrolls, so does its free row: the bar takes a row of its own below
        // the layout instead, and the layout scrolls a little more while the bar is open.
        if (rows->indexOf(findBar_) < 0)
            rows->addWidget(findBar_);
        return;
    }
    if (rows->indexOf(findBar_) >= 0)
        rows->removeWidget(findBar_);
    // In the designed layout the row between "Schreiben" (ends at 138) and "Beenden" (starts
    // at 894), below the line at 316, is free: the window keeps its size and the bar covers nothing.
    constexpr int barLeft = 146;
    constexpr int barTop = 316;
    constexpr int barWidth = 740;
    constexpr int barHeight = 34;
    findBar_->setGeometry(QRect(layoutArea_->mapTo(this, QPoint(barLeft, barTop)), QSize(barWidth, barHeight)));
}

MainWindow::~MainWindow() = default;

void MainWindow::showRecordingFile(const QString &path)
{
    setWindowTitle(path.isEmpty() ? layoutArea_->windowTitle()
                                  : layoutArea_->windowTitle() + QStringLiteral(" — Mitschnitt: ")
                                        + QDir::toNativeSeparators(path));
}

QGroupBox *MainWindow::fr1() const { return ui_->fr1; }
QGroupBox *MainWindow::fr2() const { return ui_->fr2; }
QGroupBox *MainWindow::fr3() const { return ui_->fr3; }
QGroupBox *MainWindow::fr4() const { return ui_->fr4; }
QFrame *MainWindow::tb1() const { return ui_->tb1; }
QComboBox *MainWindow::cbCOM() const { return ui_->cbCOM; }
QComboBox *MainWindow::cbbaud() const { return ui_->cbbaud; }
QComboBox *MainWindow::cbAdr() const { return ui_->cbAdr; }
QLabel *MainWindow::lbl1() const { return ui_->lbl1; }
QLabel *MainWindow::lbl2() const { return ui_->lbl2; }
QLabel *MainWindow::lbl3() const { return ui_->lbl3; }
QLabel *MainWindow::lblAdr() const { return ui_->lblAdr; }
QPushButton *MainWindow::cmdEIN() const { return ui_->cmdEIN; }
QPushButton *MainWindow::cmdAUS() const { return ui_->cmdAUS; }
QPushButton *MainWindow::cmdEnde() const { return ui_->cmdEnde; }
QPushButton *MainWindow::cmdF0() const { return ui_->cmdF0; }
QPushButton *MainWindow::cmdF1() const { return ui_->cmdF1; }
QPushButton *MainWindow::cmdF2() const { return ui_->cmdF2; }
QPushButton *MainWindow::cmdF3() const { return ui_->cmdF3; }
QPushButton *MainWindow::cmdF4() const { return ui_->cmdF4; }
QPushButton *MainWindow::cmdF5() const { return ui_->cmdF5; }
QPushButton *MainWindow::cmdF6() const { return ui_->cmdF6; }
CaptionLabel *MainWindow::lblF0() const { return ui_->lblF0; }
CaptionLabel *MainWindow::lblF1() const { return ui_->lblF1; }
CaptionLabel *MainWindow::lblF2() const { return ui_->lblF2; }
CaptionLabel *MainWindow::lblF3() const { return ui_->lblF3; }
CaptionLabel *MainWindow::lblF4() const { return ui_->lblF4; }
CaptionLabel *MainWindow::lblF5() const { return ui_->lblF5; }
CaptionLabel *MainWindow::lblF6() const { return ui_->lblF6; }
QPushButton *MainWindow::cmdschreiben() const { return ui_->cmdschreiben; }
QPushButton *MainWindow::cmdVersion() const { return ui_->cmdVersion; }
QPushButton *MainWindow::cmdTR1() const { return ui_->cmdTR1; }
QPushButton *MainWindow::cmdTR2() const { return ui_->cmdTR2; }
QPushButton *MainWindow::cmd5Ton() const { return ui_->cmd5Ton; }
QPushButton *MainWindow::cmdFMS() const { return ui_->cmdFMS; }
CommandLineEdit *MainWindow::ed1() const { return ui_->ed1; }
QPushButton *MainWindow::cmdSendentx() const { return ui_->cmdSendentx; }
LineList *MainWindow::lb2() const { return ui_->lb2; }
LineList *MainWindow::lbrx() const { return ui_->lbrx; }
QLabel *MainWindow::lblRX1() const { return ui_->lblRX1; }
QLabel *MainWindow::lblrx9() const { return ui_->lblrx9; }
QLabel *MainWindow::lblrx6() const { return ui_->lblrx6; }
QLabel *MainWindow::lblrx8() const { return ui_->lblrx8; }

void MainWindow::fitToScreen(QSize designed)
{
    designed_ = designed;
    fitToFreeArea();
}

void MainWindow::fitToFreeArea()
{
    const QScreen *onScreen = screen();
    const QWindow *handle = windowHandle();
    fittedScreen_ = onScreen;
    fittedFrame_ = handle ? handle->frameMargins() : QMargins();
    if (!onScreen) {
        applyFit(designed_, designed_);
        return;
    }
    applyFit(designed_, freeInnerArea(onScreen->availableGeometry().size(), fittedFrame_, onScreen->devicePixelRatio()));
}

bool MainWindow::event(QEvent *event)
{
    // A window manager frames the window after it is shown: the frame's size becomes known
    // with the move that follows. Only a new frame or another screen makes it fit again.
    const QEvent::Type type = event->type();
    if (designed_.isValid() && (type == QEvent::Move || type == QEvent::Show || type == QEvent::ScreenChangeInternal)) {
        const QWindow *handle = windowHandle();
        const QMargins frame = handle ? handle->frameMargins() : QMargins();
        if (frame != fittedFrame_ || screen() != fittedScreen_)
            fitToFreeArea();
    }
    const bool handled = QWidget::event(event);
    if (type == QEvent::Resize || type == QEvent::LayoutRequest)
        placeFindBar();
    return handled;
}

void MainWindow::fitInto(QSize designed, QSize available)
{
    designed_ = QSize(); // given, not the screen's: the window does not fit itself again
    applyFit(designed, available);
}

void MainWindow::applyFit(QSize designed, QSize available)
{
    layoutArea_->setFixedSize(designed);
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, scroller_);
    const QSize fitted = fittedWindowSize(designed, available, bar);
    // At the designed size nothing shows that the layout could scroll.
    showsDesignedSize_ = fitted == designed;
    const Qt::ScrollBarPolicy bars = showsDesignedSize_ ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded;
    scroller_->setHorizontalScrollBarPolicy(bars);
    scroller_->setVerticalScrollBarPolicy(bars);
    // The size is fixed also where the layout scrolls: it is the free area already, frame
    // included, and a window manager takes a fixed size as it is. A size it is asked for on
    // the way (setFixedSize sets the minimum first) it rounds down to the window's resize
    // steps, counted from its base size. Qt makes a step one device-independent pixel, rounded
    // to device pixels (2 at a scale of 1.5), counted from -2: every odd size lost a pixel,
    // and a window one pixel short of its layout showed a scroll bar for it. Counted from the
    // size itself, the steps include it.
    setBaseSize(fitted);
    setFixedSize(fitted);
    placeFindBar();
}
