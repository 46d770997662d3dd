#include "ui/mainwindow.h"

#include "ui/cp1252validator.h"
#include "ui/screenfit.h"
#include "ui/texttooltip.h"

#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace {
// The smallest a scrolling window may be made: still a handful of controls in view.
constexpr int kSmallestWidth = 240;
constexpr int kSmallestHeight = 160;
} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QWidget(parent), scroller(new QScrollArea(this)), layoutArea(new QWidget)
{
    setupUi(layoutArea);
    // To the user and to automation tools the window is frm1; the area the layout was
    // drawn on is only what scrolls inside it.
    setObjectName(layoutArea->objectName());
    setAccessibleDescription(layoutArea->accessibleDescription());
    setWindowTitle(layoutArea->windowTitle());
    layoutArea->setObjectName(QStringLiteral("layoutArea"));
    layoutArea->setAccessibleDescription(layoutArea->objectName());
    scroller->setObjectName(QStringLiteral("scroller"));
    scroller->setAccessibleDescription(scroller->objectName());
    // At the designed size nothing shows that the layout could scroll: no frame, no
    // scroll bars, and Tab moves through the controls as before.
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setFocusPolicy(Qt::NoFocus);
    scroller->setWidget(layoutArea);
    auto *fill = new QVBoxLayout(this);
    fill->setContentsMargins(0, 0, 0, 0);
    fill->addWidget(scroller);
    resize(layoutArea->size());

    tmr1.setObjectName(QStringLiteral("tmr1"));
    tmr1.setTimerType(Qt::PreciseTimer);
    tmr1.setInterval(kPollIntervalMs);
    // What is typed is what goes on the line: only characters with a Windows-1252 byte.
    ed1->setValidator(new Cp1252Validator(ed1));
    // The connection text outgrows its label with a long port path.
    new TextToolTip(lbl1);
    // "Speichern unter …" suggests a file name that says which list it came from.
    lb2->setSaveNameSuffix(QStringLiteral("befehle"));
    lbrx->setSaveNameSuffix(QStringLiteral("antworten"));
}

void MainWindow::fitInto(QSize designed, QSize available)
{
    layoutArea->setFixedSize(designed);
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, scroller);
    const QSize fitted = fittedWindowSize(designed, available, bar);
    if (fitted == designed) {
        // The controls sit at fixed places, so the window keeps the size the layout gives it,
        // and nothing shows that it could scroll.
        scroller->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scroller->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setFixedSize(designed);
        return;
    }
    scroller->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroller->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // Too large for the screen: the window takes the free area and its layout scrolls. It
    // stays resizable, so a window manager can take its frame off that area too.
    setMinimumSize(std::min(kSmallestWidth, fitted.width()), std::min(kSmallestHeight, fitted.height()));
    setMaximumSize(designed + QSize(bar, bar));
    resize(fitted);
}
