// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/harness.h"
#include "window/app/dispatch.h"

#include <gtest/gtest.h>

namespace {
void failingHandler(Program &) { throw SerialError(5, "I/O error"); }
void plainFailure(Program &) { throw std::runtime_error("anything"); }
void marksTheState(Program &p) { p.state.ButtonCommandFlag = 7; }
}

TEST(FatalErrorReport, ShowsTheNumberThenClosesThePortAndEnds)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    ASSERT_TRUE(h.channel.isOpen());
    ASSERT_TRUE(h.conversation.isPolling());

    dispatch(h.p, failingHandler);

    ASSERT_EQ(h.box.texts.size(), 1u);
    EXPECT_EQ(h.box.texts[0], QString::fromUtf8("Es ist ein Fehler aufgetreten: 5\rDas Programm mu\u00df beendet werden."));
    EXPECT_EQ(h.box.shownWithPollingOn, 0);
    EXPECT_FALSE(h.channel.isOpen());
    EXPECT_EQ(h.end.ends, 1);
    EXPECT_EQ(h.end.exitCode, 1) << "a fatal error is a failure for whoever started the program";
    // box first, then the port closed, then the end
    const auto &ev = h.timeline.events;
    const auto box = std::find(ev.begin(), ev.end(), "box");
    ASSERT_NE(box, ev.end());
    EXPECT_EQ(*(box + 1), "closeAll");
    EXPECT_EQ(*(box + 2), "end");
}

TEST(FatalErrorReport, NoHandlerRunsAfterTheReport)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    dispatch(h.p, plainFailure);
    EXPECT_EQ(h.box.texts.at(0).section(' ', 5, 5).section('\r', 0, 0), "1000");

    const auto writesBefore = h.channel.writes.size();
    dispatch(h.p, marksTheState);
    h.click(h.w.cmdF0());
    h.tick();
    EXPECT_NE(h.state.ButtonCommandFlag, 7);
    EXPECT_EQ(h.channel.writes.size(), writesBefore);
    EXPECT_EQ(h.box.texts.size(), 1u);
    EXPECT_EQ(h.end.ends, 1);
}

TEST(FatalErrorReport, AFailedWriteFromAButtonIsReportedOnce)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    h.channel.failWriteWith = 5;
    h.click(h.w.cmdF1());
    h.click(h.w.cmdF2());
    ASSERT_EQ(h.box.texts.size(), 1u);
    EXPECT_TRUE(h.box.texts[0].startsWith("Es ist ein Fehler aufgetreten: 5\r"));
    EXPECT_FALSE(h.conversation.isPolling());
}
