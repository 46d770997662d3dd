// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/screenfitter.h"

#include "widgets/screenfit.h"

#include <QEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

ScreenFitter::ScreenFitter(QWidget *window, QSize designed)
    : QObject(window)
    , window_(window)
    , designed_(designed)
{
    window->installEventFilter(this);
}

bool ScreenFitter::eventFilter(QObject *watched, QEvent *event)
{
    // Shown: sized before the window is mapped. Moved: the window manager's frame is known
    // now, and the window fits itself once more, frame included.
    const QEvent::Type type = event->type();
    if (watched == window_ && (type == QEvent::Show || type == QEvent::Move)) {
        const QWindow *handle = window_->windowHandle();
        if (!handle || handle->frameMargins() != fittedFrame_)
            fit();
    }
    return QObject::eventFilter(watched, event);
}

void ScreenFitter::fit()
{
    const QScreen *onScreen = window_->screen();
    if (!onScreen)
        return;
    const QWindow *handle = window_->windowHandle();
    fittedFrame_ = handle ? handle->frameMargins() : QMargins();
    const QRect available = onScreen->availableGeometry();
    window_->resize(fittedDialogSize(designed_, window_->minimumSizeHint(),
                                     freeInnerArea(available.size(), fittedFrame_, onScreen->devicePixelRatio())));
    if (window_->isVisible())
        window_->move(placedWithin(window_->frameGeometry(), available));
}
