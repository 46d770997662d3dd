// SPDX-License-Identifier: GPL-3.0-or-later
// The line's pieces on a made-up clock: framing, the pace, the send queue.
#include "rixsim/line/commandframer.h"
#include "rixsim/line/pacer.h"
#include "rixsim/line/sendqueue.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using rixsim::Clock;
using std::chrono::milliseconds;
using std::chrono::nanoseconds;

const Clock::time_point t0 = Clock::time_point() + std::chrono::hours(1);

struct RateCase {
    int rate;
    long long nanosPerByte;
};

class CharacterTime : public ::testing::TestWithParam<RateCase> {};

TEST_P(CharacterTime, IsTenBitTimes)
{
    EXPECT_EQ(rixsim::characterTime(GetParam().rate), nanoseconds(GetParam().nanosPerByte));
}

INSTANTIATE_TEST_SUITE_P(Rates, CharacterTime, ::testing::Values(
    RateCase{19200, 520833},
    RateCase{9600, 1041666},
    RateCase{4800, 2083333},
    RateCase{1200, 8333333},
    RateCase{10000, 1000000},
    RateCase{0, 520833})); // a rate without a name counts as 19200

TEST(CommandFramer, ACommandIsDueOnlyOnceTheQuietGapHasPassed)
{
    rixsim::CommandFramer framer(milliseconds(10));
    EXPECT_FALSE(framer.commandDue(t0));
    EXPECT_FALSE(framer.deadline());
    framer.add("$RS", 3, t0);
    framer.add("RF0", 3, t0 + milliseconds(9));
    EXPECT_FALSE(framer.commandDue(t0 + milliseconds(18)));
    EXPECT_EQ(framer.deadline(), t0 + milliseconds(19));
    EXPECT_EQ(framer.lastByte(), t0 + milliseconds(9));
    EXPECT_TRUE(framer.commandDue(t0 + milliseconds(19)));
    EXPECT_EQ(framer.takeCommand(), "$RSRF0");
    EXPECT_FALSE(framer.commandDue(t0 + milliseconds(100)));
    EXPECT_EQ(framer.takeCommand(), "");
}

TEST(Pacer, AQuietLineTakesTheFirstByteAtOnce)
{
    rixsim::Pacer pacer;
    EXPECT_TRUE(pacer.quiet());
    EXPECT_EQ(pacer.bytesDue(milliseconds(1), false, t0), 1u);
    EXPECT_FALSE(pacer.quiet());
}

TEST(Pacer, ALateWakeUpSendsEveryByteWhoseTimeHasPassed)
{
    rixsim::Pacer pacer;
    ASSERT_EQ(pacer.bytesDue(milliseconds(1), false, t0), 1u);
    pacer.wrote(1, milliseconds(1), false, true, t0);
    EXPECT_EQ(pacer.nextByteAt(milliseconds(1)), t0 + milliseconds(1));
    EXPECT_EQ(pacer.bytesDue(milliseconds(1), false, t0 + nanoseconds(999999)), 0u);
    EXPECT_EQ(pacer.bytesDue(milliseconds(1), false, t0 + milliseconds(5)), 5u);
}

TEST(Pacer, FastRatesWakeTheLoopAtMostEveryMillisecond)
{
    rixsim::Pacer pacer;
    ASSERT_EQ(pacer.bytesDue(nanoseconds(520833), false, t0), 1u);
    pacer.wrote(1, nanoseconds(520833), false, true, t0);
    EXPECT_EQ(pacer.nextByteAt(nanoseconds(520833)), t0 + milliseconds(1));
}

TEST(Pacer, ATrickleKeepsItsPauseAndNeverCatchesUp)
{
    rixsim::Pacer pacer;
    ASSERT_EQ(pacer.bytesDue(milliseconds(20), true, t0), 1u);
    pacer.wrote(1, milliseconds(20), true, false, t0 + milliseconds(3));
    EXPECT_EQ(pacer.bytesDue(milliseconds(20), true, t0 + milliseconds(22)), 0u);
    EXPECT_EQ(pacer.bytesDue(milliseconds(20), true, t0 + milliseconds(200)), 1u);
}

TEST(Pacer, ALineThatFellQuietStartsAfreshInsteadOfInABurst)
{
    rixsim::Pacer pacer;
    ASSERT_EQ(pacer.bytesDue(milliseconds(1), false, t0), 1u);
    pacer.wrote(1, milliseconds(1), false, true, t0);
    pacer.fallQuiet();
    EXPECT_EQ(pacer.bytesDue(milliseconds(1), false, t0 + milliseconds(100)), 1u);
}

TEST(SendQueue, TheNextSendKeepsItsPauseAfterThePreviousOne)
{
    rixsim::SendQueue queue;
    queue.push({"SRF0F", t0});
    queue.push({"011\r\n", t0, milliseconds(20)});
    EXPECT_TRUE(queue.due(t0));
    EXPECT_FALSE(queue.dueAfter(t0));
    queue.offset() = 5;
    const rixsim::Send first = queue.finishFront(t0 + milliseconds(5));
    EXPECT_EQ(first.bytes, "SRF0F");
    EXPECT_EQ(queue.offset(), 0u);
    EXPECT_EQ(queue.front().bytes, "011\r\n");
    EXPECT_FALSE(queue.due(t0 + milliseconds(24)));
    EXPECT_EQ(queue.dueAfter(t0 + milliseconds(10)), t0 + milliseconds(25));
    EXPECT_TRUE(queue.due(t0 + milliseconds(25)));
}

TEST(SendQueue, APauseDoesNotBringALaterSendForward)
{
    rixsim::SendQueue queue;
    queue.push({"A", t0});
    queue.push({"B", t0 + milliseconds(100), milliseconds(20)});
    queue.finishFront(t0 + milliseconds(1));
    EXPECT_EQ(queue.dueAfter(t0), t0 + milliseconds(100));
}

} // namespace
