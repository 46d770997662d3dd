// SPDX-License-Identifier: GPL-3.0-or-later
// The pause holds the handler but not the window: it repaints, while the user's input
// waits and is handled afterwards, in order, once.
#include "support/harness.h"

#include <QPainter>
#include <QTimer>
#include <qpa/qwindowsysteminterface.h>
#include <gtest/gtest.h>

namespace {
// Queues a click the way the window system delivers one: asynchronously.
void queueClick(Harness &h, QWidget *control)
{
    QWindow *win = h.w.windowHandle();
    const QPointF local = control->mapTo(&h.w, control->rect().center());
    const QPointF global = win->mapToGlobal(local.toPoint());
    QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::AsynchronousDelivery>(
        win, local, global, Qt::LeftButton, Qt::LeftButton, QEvent::MouseButtonPress);
    QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::AsynchronousDelivery>(
        win, local, global, Qt::NoButton, Qt::LeftButton, QEvent::MouseButtonRelease);
}

class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};
} // namespace

TEST(Pause, InputMadeDuringAPauseIsHandledAfterItInOrderOnce)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    h.pause.realWait = true;

    PaintCounter counter;
    h.w.lbl1()->installEventFilter(&counter);
    QWindow *win = h.w.windowHandle();
    const QPointF f0 = h.w.cmdF0()->mapTo(&h.w, h.w.cmdF0()->rect().center());
    QTimer::singleShot(40, [&] {
        // The user lets go of F0 and clicks F1 and F2 while F0's pause runs.
        h.timeline.add("input queued");
        QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::AsynchronousDelivery>(
            win, f0, win->mapToGlobal(f0.toPoint()), Qt::NoButton, Qt::LeftButton, QEvent::MouseButtonRelease);
        queueClick(h, h.w.cmdF1());
        queueClick(h, h.w.cmdF2());
        counter.paints = 0;
        h.w.lbl1()->setText("neu");   // needs a repaint while the pause runs
    });

    h.press(h.w.cmdF0());
    EXPECT_GE(counter.paints, 1) << "the window repaints during a pause";

    QDeadlineTimer deadline(10000);
    while (h.channel.writes.size() < 3 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QCoreApplication::processEvents();
    EXPECT_EQ(h.channel.written(), "$RSRF0$RSRF1$RSRF2");

    // Nothing ran inside a pause: each write follows the end of the previous pause.
    std::vector<std::string> sequence;
    for (const auto &e : h.timeline.events)
        if (e.rfind("write:", 0) == 0 || e.rfind("pause", 0) == 0 || e == "input queued")
            sequence.push_back(e);
    const std::vector<std::string> expected = {
        "write:$RSRF0", "pause:165", "input queued", "pause over",
        "write:$RSRF1", "pause:165", "pause over", "write:$RSRF2", "pause:165", "pause over"};
    EXPECT_EQ(sequence, expected);
    EXPECT_EQ(h.pause.pausesWithPollingOn, 0);
    EXPECT_TRUE(h.w.cmdschreiben()->isEnabled());   // the queued releases ran too
    h.w.lbl1()->removeEventFilter(&counter);
}
