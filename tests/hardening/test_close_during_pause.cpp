// SPDX-License-Identifier: GPL-3.0-or-later
// The window manager's close request (the title bar's X) while the disconnect holds its
// 275 ms pause: the request waits until the pause is over, the disconnect finishes (the
// port is closed) and only then does the window close. Nothing is destroyed under the
// running handler.
#include "support/liveprogram.h"
#include "support/pty.h"
#include "support/waiting.h"

#include <algorithm>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>
#include <qpa/qwindowsysteminterface.h>

using namespace std::chrono_literals;
using testsupport::Pty;

namespace {
// Puts "close" into the timeline when the window gets its close event.
class CloseRecorder : public QObject {
public:
    explicit CloseRecorder(Timeline &timeline) : timeline_(timeline) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Close)
            timeline_.add("close");
        return QObject::eventFilter(watched, event);
    }

private:
    Timeline &timeline_;
};
} // namespace

TEST(HostileTiming, TheWindowClosedDuringTheDisconnectPauseClosesAfterThePauseAndThePortIsClosed)
{
    Pty pty;
    LiveProgram prog;
    prog.connectTo(pty.slavePath(), "19200");
    ASSERT_TRUE(prog.connected());
    CloseRecorder recorder(prog.timeline);
    prog.w.installEventFilter(&recorder);

    // Halfway through the pause, the window manager asks the window to close, as a user's
    // click on the title bar's X does.
    bool visibleWhenAsked = false;
    bool portOpenWhenAsked = false;
    QTimer::singleShot(120, &prog.w, [&] {
        visibleWhenAsked = prog.w.isVisible();
        portOpenWhenAsked = prog.channel.isOpen();
        prog.timeline.add("close-requested");
        QWindowSystemInterface::handleCloseEvent(prog.w.windowHandle());
    });

    prog.press(prog.w.cmdAUS());
    prog.release(prog.w.cmdAUS());   // "$RSQ", the 275 ms pause, then the port is closed

    EXPECT_TRUE(visibleWhenAsked);
    EXPECT_TRUE(portOpenWhenAsked) << "the request came during the pause";
    EXPECT_EQ(pty.read(4), "$RSQ");
    EXPECT_FALSE(prog.channel.isOpen()) << "the disconnect finished";
    EXPECT_TRUE(prog.w.cmdEIN()->isEnabled());

    ASSERT_TRUE(testsupport::waitUntil([&] { return !prog.w.isVisible(); }, 5s)) << "the close takes effect afterwards";

    const auto &events = prog.timeline.events;
    const auto at = [&](const char *name) { return std::find(events.begin(), events.end(), name) - events.begin(); };
    ASSERT_LT(at("close-requested"), std::ptrdiff_t(events.size()));
    ASSERT_LT(at("close"), std::ptrdiff_t(events.size()));
    EXPECT_LT(at("pause:275"), at("close-requested"));
    EXPECT_LT(at("close-requested"), at("pause-end"));
    EXPECT_LT(at("pause-end"), at("close")) << "the close waited for the pause";
    EXPECT_TRUE(prog.box.texts.empty());
    EXPECT_EQ(prog.end.ends, 0);
}
