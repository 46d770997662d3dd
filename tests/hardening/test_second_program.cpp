// SPDX-License-Identifier: GPL-3.0-or-later
// Two RIX-TERMs on one port: the second is refused with the open-failure message and ends,
// and the first keeps its port and keeps working.
#include "support/liveprogram.h"
#include "support/pty.h"
#include "support/waiting.h"
#include "unit/line/openfailure.h"
#include "window/connection/connection.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using testsupport::Pty;

TEST(HostileSettings, ASecondProgramOnTheSamePortIsRefusedWhileTheFirstKeepsWorking)
{
    Pty pty;
    LiveProgram first;
    first.connectTo(pty.slavePath(), "19200");
    ASSERT_TRUE(first.connected());

    LiveProgram second;
    second.connectTo(pty.slavePath(), "19200");
    ASSERT_EQ(second.box.texts.size(), 1u);
    EXPECT_EQ(second.box.texts[0], openFailureMessage(pty.slavePath()));
    EXPECT_EQ(second.end.ends, 1);
    EXPECT_FALSE(second.channel.isOpen());
    EXPECT_FALSE(second.conversation.isPolling());

    // The first still has the line to itself, both ways.
    EXPECT_TRUE(first.channel.isOpen());
    first.click(first.w.cmdF0());
    EXPECT_EQ(pty.read(6), "$RSRF0");
    ASSERT_TRUE(pty.write("SRF0F011\r\n"));
    ASSERT_TRUE(testsupport::waitUntil([&] { return first.w.lbrx()->count() == 1; }, 10s));
    EXPECT_EQ(first.w.lbrx()->lineBytes(0), "F011");
    EXPECT_TRUE(first.box.texts.empty());
    EXPECT_EQ(first.end.ends, 0);

    // A third attempt, after the second gave up, is refused just the same: the refusal did
    // not release the first program's hold on the port.
    LiveProgram third;
    third.connectTo(pty.slavePath(), "19200");
    EXPECT_EQ(third.box.texts.size(), 1u);
    EXPECT_EQ(third.end.ends, 1);
    EXPECT_TRUE(first.channel.isOpen());
}
