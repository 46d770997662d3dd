// SPDX-License-Identifier: GPL-3.0-or-later
// The faults the simulator injects, each on its own with a made-up clock.
#include "rixsim/faults/answertiming.h"
#include "rixsim/faults/floodsender.h"
#include "rixsim/faults/hangup.h"
#include "rixsim/faults/openingsends.h"
#include "rixsim/faults/sendevery.h"
#include "rixsim/faults/textlines.h"
#include "rixsim/faults/unaskedinbox.h"
#include "rixsim/faults/unitrate.h"
#include "rixsim/simport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using rixsim::Clock;
using std::chrono::milliseconds;

const Clock::time_point t0 = Clock::time_point() + std::chrono::hours(1);

std::vector<std::string> drain(rixsim::SendQueue &queue, Clock::time_point at)
{
    std::vector<std::string> texts;
    while (!queue.empty())
        texts.push_back(queue.finishFront(at).bytes);
    return texts;
}

TEST(AnswerTiming, AnAnswerWaitsForTheDelay)
{
    rixsim::SendQueue queue;
    rixsim::queueAnswer(queue, "SRF0F011\r\n", t0, milliseconds(250), milliseconds(0));
    EXPECT_EQ(queue.dueAfter(t0), t0 + milliseconds(250));
    EXPECT_EQ(drain(queue, t0), std::vector<std::string>{"SRF0F011\r\n"});
}

TEST(AnswerTiming, ASplitAnswerGoesInTwoHalvesWithThePauseBetween)
{
    rixsim::SendQueue queue;
    rixsim::queueAnswer(queue, "SRF0F011\r\n", t0, milliseconds(0), milliseconds(30));
    EXPECT_EQ(queue.back().bytes, "011\r\n");
    EXPECT_EQ(queue.back().gapBefore, milliseconds(30));
    EXPECT_EQ(queue.finishFront(t0 + milliseconds(2)).bytes, "SRF0F");
    EXPECT_EQ(queue.dueAfter(t0), t0 + milliseconds(32));
}

TEST(AnswerTiming, AOneByteAnswerCannotBeSplit)
{
    rixsim::SendQueue queue;
    rixsim::queueAnswer(queue, "\n", t0, milliseconds(0), milliseconds(30));
    EXPECT_EQ(drain(queue, t0), std::vector<std::string>{"\n"});
}

TEST(UnitRate, TheUnitHearsOnlyItsOwnRate)
{
    EXPECT_FALSE(rixsim::misheardAtRate(0, 9600));
    EXPECT_FALSE(rixsim::misheardAtRate(4800, 4800));
    EXPECT_EQ(rixsim::misheardAtRate(4800, 9600), "not understood at 9600 baud: the unit works at 4800");
    EXPECT_EQ(rixsim::misheardAtRate(19200, 0), "not understood at 0 baud: the unit works at 19200");
}

struct WriteCase {
    int afterWrites;
    int writesBefore;
    int writes;
    bool last;
};

class HangupLastWrite : public ::testing::TestWithParam<WriteCase> {};

TEST_P(HangupLastWrite, OnlyTheWriteThatReachesTheCountIsTheLast)
{
    const rixsim::Hangup hangup(std::nullopt, GetParam().afterWrites, t0);
    EXPECT_EQ(hangup.lastWrite(GetParam().writesBefore, GetParam().writes), GetParam().last);
}

INSTANTIATE_TEST_SUITE_P(Counts, HangupLastWrite, ::testing::Values(
    WriteCase{2, 0, 1, false},
    WriteCase{2, 1, 2, true},
    WriteCase{2, 2, 3, false},
    WriteCase{2, 1, 1, false}, // a read or an ignored write after the first
    WriteCase{1, 0, 1, true},
    WriteCase{0, 0, 1, false})); // no hang-up after writes

TEST(Hangup, TheTimeRunsFromTheStart)
{
    const rixsim::Hangup hangup(milliseconds(100), 0, t0);
    EXPECT_EQ(hangup.deadline(), t0 + milliseconds(100));
    EXPECT_FALSE(hangup.timeUp(t0 + milliseconds(99)));
    EXPECT_TRUE(hangup.timeUp(t0 + milliseconds(100)));
    const rixsim::Hangup never(std::nullopt, 0, t0);
    EXPECT_FALSE(never.deadline());
    EXPECT_FALSE(never.timeUp(t0 + std::chrono::hours(24)));
}

TEST(Hangup, ItLingersUntilTheLastAnswerIsReadOrTwoSecondsHavePassed)
{
    rixsim::Hangup hangup(std::nullopt, 3, t0);
    EXPECT_FALSE(hangup.lingering());
    hangup.startLingering(t0);
    EXPECT_TRUE(hangup.lingering());
    EXPECT_FALSE(hangup.lingerOver(t0 + milliseconds(1999), 12));
    EXPECT_TRUE(hangup.lingerOver(t0 + milliseconds(1), 0));
    EXPECT_TRUE(hangup.lingerOver(t0 + milliseconds(2000), 12));
    EXPECT_EQ(hangup.afterWritesNote(), "hung up after write 3");
}

TEST(SendEvery, ARepetitionThatFallsDueWhileTheLastIsQueuedIsSkipped)
{
    rixsim::SendEvery every(milliseconds(100), "S00\r\n", t0);
    rixsim::SendQueue queue;
    every.queueDue(queue, t0 + milliseconds(99));
    EXPECT_TRUE(queue.empty());
    every.queueDue(queue, t0 + milliseconds(100));
    ASSERT_FALSE(queue.empty());
    EXPECT_EQ(queue.front().bytes, "S00\r\n");
    EXPECT_EQ(every.deadline(), t0 + milliseconds(200));

    every.queueDue(queue, t0 + milliseconds(250)); // the first is not out yet
    EXPECT_EQ(every.deadline(), t0 + milliseconds(300));
    rixsim::Send out = queue.finishFront(t0 + milliseconds(260));
    EXPECT_TRUE(queue.empty());
    ASSERT_TRUE(out.whenOut);
    out.whenOut(t0 + milliseconds(260));
    every.queueDue(queue, t0 + milliseconds(300));
    EXPECT_EQ(drain(queue, t0), std::vector<std::string>{"S00\r\n"});
}

TEST(SendEvery, NoPeriodOrNoTextSendsNothing)
{
    for (const auto &[period, text] : {std::pair{milliseconds(0), std::string("S00\r\n")},
                                       std::pair{milliseconds(100), std::string()}}) {
        rixsim::SendEvery every(period, text, t0);
        rixsim::SendQueue queue;
        every.queueDue(queue, t0 + std::chrono::hours(1));
        EXPECT_TRUE(queue.empty());
        EXPECT_FALSE(every.deadline());
    }
}

TEST(TextLines, OneLineAtATimeWithTheGapAfterEachSoAnAnswerCanGoBetween)
{
    rixsim::TextLines text({3, milliseconds(5), milliseconds(1000)}, t0);
    rixsim::SendQueue queue;
    text.queueDue(queue, t0 + milliseconds(999));
    EXPECT_TRUE(queue.empty());
    EXPECT_EQ(text.deadline(), t0 + milliseconds(1000));
    Clock::time_point at = t0 + milliseconds(1000);
    std::vector<std::string> sent;
    for (int line = 0; line < 3; ++line) {
        text.queueDue(queue, at);
        ASSERT_FALSE(queue.empty()) << line;
        text.queueDue(queue, at);   // the next waits for this one and its gap
        rixsim::Send out = queue.finishFront(at + milliseconds(4));
        EXPECT_TRUE(queue.empty());
        sent.push_back(out.bytes);
        out.whenOut(at + milliseconds(4));
        // An answer queued in the gap goes out before the next line.
        EXPECT_EQ(text.deadline(), line < 2 ? at + milliseconds(9) : t0 + milliseconds(2000));
        at += milliseconds(9);
    }
    EXPECT_EQ(sent, (std::vector<std::string>{"LINE01\r\n", "LINE02\r\n", "LINE03\r\n"}));
    EXPECT_EQ(rixsim::TextLines::line(12), "LINE12\r\n");
}

TEST(UnaskedInbox, TextsGoToTheQueueInTheOrderTheyCameWithTheirPace)
{
    rixsim::UnaskedInbox inbox;
    inbox.put("first", std::chrono::microseconds(0));
    inbox.put("second", std::chrono::microseconds(5000));
    rixsim::SendQueue queue;
    inbox.moveTo(queue, t0);
    EXPECT_TRUE(queue.due(t0));
    EXPECT_EQ(queue.back().perByte, std::chrono::microseconds(5000));
    EXPECT_EQ(drain(queue, t0), (std::vector<std::string>{"first", "second"}));
    inbox.moveTo(queue, t0);
    EXPECT_TRUE(queue.empty());
}

TEST(OpeningSends, OnAPseudoTerminalTheOpenTextWaitsForTheFirstOpen)
{
    const rixsim::SimPort port = rixsim::SimPort::openPseudoTerminal();
    rixsim::OpeningSends sends("AT START\r\n", "ON OPEN\r\n", port);
    rixsim::SendQueue queue;
    sends.queueAtStart(queue, t0);
    EXPECT_EQ(drain(queue, t0), std::vector<std::string>{"AT START\r\n"});
    ASSERT_GE(sends.watchFd(), 0);
    EXPECT_FALSE(sends.queueOnOpen(queue));

    const int terminal = ::open(port.path().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(terminal, 0);
    ::close(terminal);
    EXPECT_TRUE(sends.queueOnOpen(queue));
    EXPECT_EQ(drain(queue, t0), std::vector<std::string>{"ON OPEN\r\n"});
    EXPECT_EQ(sends.watchFd(), -1); // only the first open counts
    EXPECT_FALSE(sends.queueOnOpen(queue));
}

TEST(FloodSender, NoDurationNoFlood)
{
    std::vector<std::string> notes;
    rixsim::FloodSender flood(milliseconds(0), t0, [&notes](std::string note) { notes.push_back(note); });
    flood.refill(t0, true);
    EXPECT_FALSE(flood.waiting());
    EXPECT_TRUE(notes.empty());
}

TEST(FloodSender, PacedItSendsOneLineAtATimeUntilTheTimeIsUp)
{
    std::vector<std::string> notes;
    rixsim::FloodSender flood(milliseconds(50), t0, [&notes](std::string note) { notes.push_back(note); });
    EXPECT_EQ(notes, std::vector<std::string>{"flood started for 50 ms"});
    flood.refill(t0, true);
    EXPECT_EQ(flood.chunk(), "FLOOD 000001 ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcdefghijklmnopq\r\n");
    EXPECT_TRUE(flood.waiting());
    EXPECT_FALSE(flood.underWay());
    flood.offset() = 1;
    EXPECT_TRUE(flood.underWay());
    flood.refill(t0 + milliseconds(60), true); // a chunk under way is completed first
    EXPECT_EQ(flood.chunk().substr(0, 13), "FLOOD 000001 ");
    flood.offset() = flood.chunk().size();
    EXPECT_FALSE(flood.underWay());
    flood.refill(t0 + milliseconds(60), true);
    EXPECT_FALSE(flood.waiting());
    EXPECT_EQ(notes.back(), "flood finished after 1 lines");
    flood.refill(t0 + milliseconds(70), true);
    EXPECT_EQ(notes.size(), 2u);
}

TEST(FloodSender, UnpacedItSendsThirtyTwoLinesPerChunk)
{
    rixsim::FloodSender flood(milliseconds(50), t0, [](std::string) {});
    flood.refill(t0, false);
    const std::string &chunk = flood.chunk();
    ASSERT_EQ(chunk.size(), 32u * 68u);
    EXPECT_EQ(chunk.substr(0, 13), "FLOOD 000001 ");
    EXPECT_EQ(chunk.substr(31 * 68, 13), "FLOOD 000032 ");
    flood.offset() = chunk.size();
    flood.refill(t0 + milliseconds(1), false);
    EXPECT_EQ(flood.chunk().substr(0, 13), "FLOOD 000033 ");
    EXPECT_EQ(flood.offset(), 0u);
}

} // namespace
