// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/helpwindow.h"

#include "widgets/controlname.h"
#include "widgets/handbookbrowser.h"
#include "widgets/handbookfile.h"
#include "widgets/screenfit.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>

#include <cmath>

namespace {
// Room for the Handbuch's lines and the window's picture; a smaller free area takes what it has.
constexpr QSize designedSize(900, 720);

// The anchors are the headings' as GitHub makes them (handbookbrowser.h), so the Handbuch's
// own links and F1 lead to the same place.
QString anchorOf(HandbookSection section)
{
    switch (section) {
    case HandbookSection::Start:
        return QString();
    case HandbookSection::ParameterSet:
        return QStringLiteral("der-parametersatz");
    case HandbookSection::UnitSearch:
        return QStringLiteral("einheit-suchen");
    case HandbookSection::LineInspector:
        return QStringLiteral("suchen-und-zeile-untersuchen");
    case HandbookSection::Recording:
        return QStringLiteral("einen-mitschnitt-öffnen");
    }
    return QString();
}

bool isModal(const QWidget *window)
{
    return window->isModal() || window->windowModality() != Qt::NonModal;
}
} // namespace

void showHandbook(QWidget *asker, HandbookSection section)
{
    QWidget *main = asker->window();
    while (main->parentWidget())
        main = main->parentWidget()->window();
    QWidget *owner = isModal(asker->window()) ? asker->window() : main;
    auto *help = main->findChild<HelpWindow *>(QStringLiteral("helpWindow"));
    if (!help) {
        help = new HelpWindow(owner);
    } else if (help->parentWidget() != owner) {
        // A window of another window now: its size and place stay.
        const QRect geometry = help->geometry();
        help->setParent(owner, help->windowFlags());
        help->setGeometry(geometry);
    }
    help->open(handbookFile(QCoreApplication::applicationDirPath()), anchorOf(section));
    help->show();
    help->raise();
    help->activateWindow();
}

HelpWindow::HelpWindow(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    named(this, "helpWindow");
    setWindowTitle(QStringLiteral("RIX-TERM — Handbuch"));
    browser_ = named(new HandbookBrowser(this), "handbook");
    backButton_ = named(new QPushButton(QStringLiteral("&Zurück"), this), "backButton");
    contentsButton_ = named(new QPushButton(QStringLiteral("&Inhalt"), this), "contentsButton");
    closeButton_ = named(new QPushButton(QStringLiteral("S&chließen"), this), "closeButton");
    backButton_->setEnabled(false);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(backButton_);
    buttons->addWidget(contentsButton_);
    buttons->addStretch();
    buttons->addWidget(closeButton_);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(browser_, 1);
    layout->addLayout(buttons);
    setTabOrder(browser_, backButton_);
    setTabOrder(backButton_, contentsButton_);
    setTabOrder(contentsButton_, closeButton_);
    resize(designedSize);

    connect(browser_, &QTextBrowser::backwardAvailable, backButton_, &QWidget::setEnabled);
    connect(backButton_, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(contentsButton_, &QPushButton::clicked, this, [this] { open(file_, QString()); });
    connect(closeButton_, &QPushButton::clicked, this, &QWidget::close);
    new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &QWidget::close);
}

void HelpWindow::open(const QString &file, const QString &anchor)
{
    file_ = file;
    if (!QFileInfo(file).isFile()) {
        // Debian lets an administrator leave /usr/share/doc out of every package (path-exclude).
        browser_->setMarkdown(QStringLiteral("# Handbuch nicht gefunden\n\n"
                                             "Das Handbuch sollte hier stehen: `%1`\n\n"
                                             "Es gehört zum Paket rix-term. Fehlt es nach der Installation, schließt "
                                             "die Einstellung von dpkg womöglich `/usr/share/doc` aus "
                                             "(`path-exclude` in `/etc/dpkg/dpkg.cfg.d/`).\n")
                                  .arg(file));
        return;
    }
    QUrl url = QUrl::fromLocalFile(file);
    if (!anchor.isEmpty())
        url.setFragment(anchor);
    browser_->setSource(url, QTextDocument::MarkdownResource);
    browser_->setFocus(Qt::OtherFocusReason);
}

void HelpWindow::setVisible(bool visible)
{
    if (visible && !shownOnce_) {
        fitToScreen();
        shownOnce_ = true;
    }
    QWidget::setVisible(visible);
}

bool HelpWindow::event(QEvent *event)
{
    // A window manager frames the window after it is first shown; the frame's size is known
    // with the move that follows, and the window fits itself once more to it. Later moves and
    // sizes are the user's.
    const QEvent::Type type = event->type();
    const QWindow *handle = windowHandle();
    if ((type == QEvent::Move || type == QEvent::Show) && !frameKnown_ && handle) {
        if (handle->frameMargins() != fittedFrame_)
            fitToScreen();
        frameKnown_ = !handle->frameMargins().isNull();
    }
    return QWidget::event(event);
}

void HelpWindow::fitToScreen()
{
    const QScreen *onScreen = parentWidget() ? parentWidget()->screen() : screen();
    if (!onScreen)
        return;
    const QWindow *handle = windowHandle();
    fittedFrame_ = handle ? handle->frameMargins() : QMargins();
    const QRect available = onScreen->availableGeometry();
    resize(fittedDialogSize(designedSize, minimumSizeHint(),
                            freeInnerArea(available.size(), fittedFrame_, onScreen->devicePixelRatio())));
    // Beside the window that asked, to its right, as far as the screen allows: the window
    // being explained stays in sight as much as there is room for.
    // Qt rounds the frame to whole pixels: at a fractional scale it may have been up to one
    // more on each side, which would push the window's edge a device pixel off the screen.
    const double ratio = onScreen->devicePixelRatio();
    const int rounding = ratio == std::floor(ratio) ? 0 : 1;
    QRect frame(QPoint(), size().grownBy(fittedFrame_ + QMargins(rounding, rounding, rounding, rounding)));
    if (parentWidget())
        frame.moveTopLeft(parentWidget()->frameGeometry().topRight() + QPoint(1, 0));
    else
        frame.moveCenter(available.center());
    move(placedWithin(frame, available));
}
