// SPDX-License-Identifier: GPL-3.0-or-later
// Started by the test "WindowOnAScaledScreen" on the offscreen platform with a screen of its
// own and QT_SCALE_FACTOR: builds and shows the window as the program does, lets the platform
// frame it, and prints what a window manager sees, in device pixels (the window's size, its
// frame and its resize steps), and which scroll bars show, one "name width height" line each.
// Given "dialog", it opens „Parametersatz …“ over the window and prints the dialog's instead.
#include "support/controls.h"
#include "support/harness.h"
#include "widgets/findbar.h"
#include "widgets/parameterdialog.h"
#include "window/commands/parameterset.h"

#include <QApplication>
#include <QScreen>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QWindow>
#include <qpa/qplatformscreen.h>
#include <qpa/qplatformwindow.h>

#include <iostream>

using testsupport::control;

namespace {
void print(const char *name, int width, int height)
{
    std::cout << name << ' ' << width << ' ' << height << '\n';
}
void settle()
{
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

// The dialog in device pixels, and in its own pixels where its last control and the table's
// last column end.
int printDialog(Harness &h)
{
    showParameterSet(h.p);
    settle();
    ParameterDialog *d = parameterDialog(h.p);
    const QPlatformWindow *window = d->windowHandle()->handle();
    const QRect geometry = window->geometry();
    const QMargins frame = window->frameMargins();
    print("available", d->screen()->handle()->availableGeometry().width(), d->screen()->handle()->availableGeometry().height());
    print("window", geometry.width(), geometry.height());
    print("frame", frame.left() + frame.right(), frame.top() + frame.bottom());
    print("frameTopLeft", geometry.left() - frame.left(), geometry.top() - frame.top());
    const QRect close = control<QPushButton>(*d, "closeButton")->geometry();
    print("inner", d->width(), d->height());
    print("closeEnd", close.right() + 1, close.bottom() + 1);
    const auto *table = control<QTableWidget>(*d, "values");
    const int last = ParameterDialog::Differs;
    print("differsEnd", table->columnViewportPosition(last) + table->columnWidth(last), table->viewport()->width());
    return 0;
}
} // namespace

int main(int argc, char **argv)
{
    QApplication qtApp(argc, argv);
    Harness h;
    h.showWindow();
    // The frame is reported after the window is shown; the window fits itself to it then.
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    if (argc > 1 && QByteArray(argv[1]) == "dialog")
        return printDialog(h);

    const QRect available = h.w.screen()->handle()->availableGeometry();
    const QPlatformWindow *window = h.w.windowHandle()->handle();
    const QMargins frame = window->frameMargins();
    print("available", available.width(), available.height());
    print("window", window->geometry().width(), window->geometry().height());
    print("frame", frame.left() + frame.right(), frame.top() + frame.bottom());
    // The resize steps a window manager rounds a size to, and where they are counted from.
    print("base", window->windowBaseSize().width(), window->windowBaseSize().height());
    print("step", window->windowSizeIncrement().width(), window->windowSizeIncrement().height());
    print("bars", h.w.scroller()->horizontalScrollBar()->isVisible(), h.w.scroller()->verticalScrollBar()->isVisible());
    const QSize viewport = h.w.scroller()->viewport()->size();
    print("viewport", viewport.width(), viewport.height());
    print("layout", h.w.layoutArea()->width(), h.w.layoutArea()->height());

    // The find bar, open: how many controls it lies over where they show, and whether it lies
    // within the window.
    h.w.findBar()->open();
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    const QRect bar = h.w.findBar()->geometry();
    const QWidget *scrolled = h.w.scroller()->viewport();
    const QRect shown(scrolled->mapTo(&h.w, QPoint(0, 0)), scrolled->size());
    int covered = 0;
    for (const QWidget *control : h.w.layoutArea()->findChildren<QWidget *>())
        if (control->isVisible() && QRect(control->mapTo(&h.w, QPoint(0, 0)), control->size()).intersected(shown).intersects(bar))
            ++covered;
    print("findBar", covered, h.w.rect().contains(bar));
    return 0;
}
