// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/harness.h"

#include <gtest/gtest.h>

TEST(Quit, ConnectedSendsTheQuitCommandOnceAndEndsOnRelease)
{
    Harness h;
    h.connectWith("COM1", "19200", "3");
    h.press(h.w.cmdEnde());
    EXPECT_EQ(h.channel.written(), "$R3Q");
    EXPECT_EQ(h.state.ButtonCommandFlag, 1);
    EXPECT_EQ(h.w.ed1()->text(), "$R3Q");
    EXPECT_EQ(h.pause.pauses, std::vector<int>{165});
    EXPECT_EQ(h.end.ends, 0);

    h.release(h.w.cmdEnde());
    EXPECT_EQ(h.channel.written(), "$R3Q");   // no "$RSQ" on quitting
    EXPECT_FALSE(h.channel.isOpen());
    EXPECT_EQ(h.end.ends, 1);
    EXPECT_TRUE(h.w.cmdEIN()->isEnabled());
    EXPECT_FALSE(h.w.cmdAUS()->isEnabled());
    EXPECT_FALSE(h.conversation.isPolling());
}

TEST(Quit, DisconnectedSendsNothingAndEnds)
{
    Harness h;
    h.click(h.w.cmdEnde());
    EXPECT_TRUE(h.channel.writes.empty());
    EXPECT_TRUE(h.pause.pauses.empty());
    EXPECT_EQ(h.end.ends, 1);
    EXPECT_EQ(h.end.exitCode, 0);
    EXPECT_EQ(h.state.ButtonCommandFlag, 0);
}
