// SPDX-License-Identifier: GPL-3.0-or-later
// A unit that answers while the program is still in its command's pause: the poll timer is
// off then, so the bytes wait in the port, the first tick after the pause finds them, and
// the burst it opens shows them.
#include "support/liveprogram.h"
#include "support/pty.h"
#include "support/waiting.h"

#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include <sys/ioctl.h>

using namespace std::chrono_literals;
using testsupport::Pty;

TEST(HostileTiming, BytesSentDuringTheCommandPauseAreTakenAsThePauseEndsUnderTheCommand)
{
    Pty pty;
    LiveProgram prog;
    prog.connectTo(pty.slavePath(), "19200");
    ASSERT_TRUE(prog.connected());

    // The unit answers the moment the command's last byte has arrived.
    std::atomic<bool> answered{false};
    QByteArray command;
    std::thread unit([&] {
        command = pty.read(6, 5000);
        answered = pty.write("SRF0F011\r\n");
    });

    int lbrxAtPauseEnd = -1;
    bool answeredAtPauseEnd = false;
    prog.pause.atEnd = [&] {
        lbrxAtPauseEnd = prog.w.lbrx()->count();
        answeredAtPauseEnd = answered;
    };
    prog.press(prog.w.cmdF0());   // writes the command and holds for its pause
    const bool takenBeforeThePressReturned = prog.receiver.isOpen() || prog.w.lbrx()->count() == 1;
    unit.join();
    EXPECT_EQ(command, "$RSRF0") << "exactly the command's bytes";
    ASSERT_TRUE(answeredAtPauseEnd) << "the unit's bytes came during the pause";
    EXPECT_EQ(lbrxAtPauseEnd, 0) << "nothing is read while the pause holds the handler";
    EXPECT_EQ(std::count(prog.timeline.events.begin(), prog.timeline.events.end(), "pause:165"), 1);

    // As the first tick after the pause would, before any input that waited for the pause.
    EXPECT_TRUE(takenBeforeThePressReturned) << "the answer waited for a tick";
    prog.release(prog.w.cmdF0());
    ASSERT_TRUE(testsupport::waitUntil([&] { return prog.w.lbrx()->count() >= 1; }, 5s));
    EXPECT_EQ(prog.w.lbrx()->count(), 1);
    EXPECT_EQ(prog.w.lbrx()->lineBytes(0), "F011");
    EXPECT_EQ(prog.w.lb2()->lineBytes(0), "$RSRF0");
    EXPECT_TRUE(prog.box.texts.empty());
}

// The adapter pulled while the program holds its command's pause: the loss is found after
// the pause, the window goes to the disconnected state with its lines, and nothing more is
// written.
TEST(HostileTiming, APortLostDuringThePauseKeepsTheProgramAndItsLines)
{
    Pty pty;
    LiveProgram prog;
    prog.connectTo(pty.slavePath(), "19200");
    ASSERT_TRUE(prog.connected());
    ASSERT_TRUE(pty.write("earlier\r\n"));
    ASSERT_TRUE(testsupport::waitUntil([&] { return prog.w.lbrx()->count() == 1; }, 5s));

    QTimer::singleShot(50, [&] { pty.closeMaster(); });
    prog.click(prog.w.cmdF0());   // holds 165 ms; the line goes away inside it
    ASSERT_TRUE(testsupport::waitUntil([&] { return !prog.box.texts.empty(); }, 5s));
    testsupport::runEventsFor(300ms);

    ASSERT_EQ(prog.box.texts.size(), 1u);
    EXPECT_EQ(prog.box.texts[0], "Die Verbindung zu " + pty.slavePath() + " ist unterbrochen (Fehler 1002).");
    EXPECT_EQ(prog.end.ends, 0);
    EXPECT_FALSE(prog.channel.isOpen());
    EXPECT_TRUE(prog.w.cmdEIN()->isEnabled());
    EXPECT_FALSE(prog.w.cmdF0()->isEnabled());
    EXPECT_EQ(prog.w.lbrx()->lineBytes(0), "earlier");
    EXPECT_EQ(std::count(prog.timeline.events.begin(), prog.timeline.events.end(), "pause:275"), 0)
        << "the disconnect's \"$RSQ\" and its pause do not run for a lost port";
}

// The unit answers inside the pause and the adapter is pulled before the pause ends: the
// answer, which the port had already read, is shown with its command before the box.
TEST(HostileTiming, AnAnswerReadInThePauseIsShownWhenThePortIsLostInIt)
{
    Pty pty;
    LiveProgram prog;
    prog.connectTo(pty.slavePath(), "19200");
    ASSERT_TRUE(prog.connected());

    std::atomic<bool> pulled{false};
    std::thread unit([&] {
        if (pty.read(6, 5000) == "$RSRF0" && pty.write("SRF0F011\r\n")) {
            // Pulled once the port has read the answer (a hang-up discards unread input).
            int waiting = 1;
            for (int i = 0; i < 400 && waiting > 0; ++i) {
                std::this_thread::sleep_for(5ms);
                ::ioctl(pty.slaveFd(), FIONREAD, &waiting);
            }
        }
        pty.closeMaster();
        pulled = true;
    });
    // The pause lasts until the adapter is out, so the loss falls inside it.
    prog.pause.atEnd = [&] { testsupport::waitUntil([&] { return pulled.load(); }, 5s); };
    prog.click(prog.w.cmdF0());
    unit.join();
    ASSERT_TRUE(testsupport::waitUntil([&] { return !prog.box.texts.empty(); }, 5s));

    ASSERT_EQ(prog.w.lbrx()->count(), 1);
    EXPECT_EQ(prog.w.lbrx()->lineBytes(0), "F011");
    ASSERT_EQ(prog.w.lb2()->count(), 1);
    EXPECT_EQ(prog.w.lb2()->lineBytes(0), "$RSRF0");
    EXPECT_EQ(prog.box.texts[0], "Die Verbindung zu " + pty.slavePath() + " ist unterbrochen (Fehler 1002).");
    EXPECT_EQ(prog.end.ends, 0);
    EXPECT_FALSE(prog.channel.isOpen());
}
