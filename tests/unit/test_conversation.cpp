// SPDX-License-Identifier: GPL-3.0-or-later
// The one conversation with a unit: exchanges in order, nothing read in a pause, an answer
// taken by what it says within its limit, a write that waits for the unit's pause or line
// end, what the system holds taken before a write, and a close or a loss that drops what
// is queued and hears what was read.

#include "support/fakechannel.h"
#include "support/waiting.h"
#include "unit/conversation/conversation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using testsupport::waitUntil;
using Wait = Conversation::Wait;

// Hears everything the conversation tells, as lines of a log.
struct Log : Conversation::Listener {
    std::vector<std::string> events;
    void heard(const QByteArray &bytes) override { events.push_back("heard:" + bytes.toStdString()); }
    void quiet() override { events.push_back("quiet"); }
    void cutting(std::int64_t) override { events.push_back("cut"); }
    void written(const QByteArray &bytes, Wait) override { events.push_back("written:" + bytes.toStdString()); }
    void closed() override { events.push_back("closed"); }
};

struct Line {
    Timeline timeline;
    FakeSerialChannel channel{timeline};
    RecordingPause pause{timeline};
    Conversation talk{channel, &pause};
    Log log;
    Line()
    {
        talk.setListener(&log);
        talk.setPollInterval(50);
        QObject::connect(&talk.pollTimer(), &QTimer::timeout, [this] { talk.poll(); });
        talk.open({"COM7", "19200"});
    }
};

Conversation::Request request(const QByteArray &bytes, int pauseMs, std::vector<Conversation::Reply> *replies = nullptr)
{
    Conversation::Request r;
    r.bytes = bytes;
    r.pauseMs = pauseMs;
    if (replies)
        r.done = [replies](const Conversation::Reply &reply) { replies->push_back(reply); };
    return r;
}

// Recognises the unit's answer "SRF0" + four digits, whole once the line is quiet.
bool readAnswerWhole(const QByteArray &arrived, bool quiet)
{
    return arrived.contains("SRF0F011") && quiet;
}

} // namespace

TEST(Conversation, ExchangesGoOutInOrderEachAfterThePauseOfTheOneBefore)
{
    Line line;
    line.pause.realWait = true;
    std::vector<Conversation::Reply> replies;
    line.talk.submit(request("$RSRF0", 165, &replies));
    line.talk.submit(request("$RSRF1", 165, &replies));
    EXPECT_EQ(line.channel.written(), "$RSRF0") << "the second waits for the first's pause";
    EXPECT_FALSE(line.talk.isPolling()) << "no poll in a pause";
    ASSERT_TRUE(waitUntil([&] { return replies.size() == 2; }));
    EXPECT_EQ(line.timeline.events,
              (std::vector<std::string>{"open:COM7:19200", "write:$RSRF0", "pause:165", "pause over", "write:$RSRF1",
                                        "pause:165", "pause over"}));
    EXPECT_TRUE(line.talk.isIdle());
}

TEST(Conversation, WhatComesInAPauseIsTakenAtItsEndAndBelongsToTheExchange)
{
    Line line;
    line.pause.realWait = true;
    std::vector<Conversation::Reply> replies;
    line.talk.submit(request("$RSV", 165, &replies));
    line.channel.receive("SV rix-sim\r\n");
    line.channel.notifyArrival();
    EXPECT_EQ(line.log.events, (std::vector<std::string>{"written:$RSV"})) << "nothing is read in the pause";
    ASSERT_TRUE(waitUntil([&] { return replies.size() == 1; }));
    EXPECT_EQ(replies[0].arrived, "SV rix-sim\r\n");
    EXPECT_TRUE(replies[0].anything);
    EXPECT_FALSE(replies[0].dropped);
    EXPECT_EQ(line.log.events, (std::vector<std::string>{"written:$RSV", "heard:SV rix-sim\r\n"}));
}

TEST(Conversation, AnAnswerIsTakenByWhatItSaysNotByComingFirst)
{
    Line line;
    std::vector<Conversation::Reply> replies;
    auto ask = request("$RSRF0", 165, &replies);
    ask.answered = readAnswerWhole;
    ask.answerWaitMs = 2000;
    line.talk.submit(ask);
    ASSERT_TRUE(replies.empty());
    line.channel.receive("STATUS 3\r\n");
    line.channel.notifyArrival();
    ASSERT_TRUE(waitUntil([&] { return line.log.events.back() == "quiet"; }));
    EXPECT_TRUE(replies.empty()) << "another text is no answer";
    line.channel.receive("SRF0F011\r\n");
    line.channel.notifyArrival();
    ASSERT_TRUE(waitUntil([&] { return replies.size() == 1; })) << line.talk.isPolling() << line.channel.pendingReads();
    EXPECT_TRUE(replies[0].answered);
    EXPECT_EQ(replies[0].arrived, "STATUS 3\r\nSRF0F011\r\n");
}

TEST(Conversation, AnAnswerAheadOfAFloodLongerThanWhatIsKeptIsStillTaken)
{
    // A unit that never falls quiet: its answer comes first, then more text in the pause
    // than an exchange keeps.
    Line line;
    QByteArray flood;
    for (int i = 0; i < 6000; ++i)
        flood += "LINE 12345\r\n";   // 72000 bytes
    line.channel.beforeWrite = [&](const QByteArray &) { line.channel.receive("SRF0F011\r\n" + flood); };
    std::vector<Conversation::Reply> replies;
    auto ask = request("$RSRF0", 165, &replies);
    ask.answered = [](const QByteArray &arrived, bool) { return arrived.contains("SRF0F011\r\n"); };
    ask.answerWaitMs = 50;
    line.talk.submit(ask);
    ASSERT_TRUE(waitUntil([&] { return replies.size() == 1; }));
    EXPECT_TRUE(replies[0].answered);
    EXPECT_TRUE(replies[0].arrived.startsWith("SRF0F011\r\n"));
    EXPECT_LE(replies[0].arrived.size(), 10 + 72000) << "nothing more is added once the answer is kept";
}

TEST(Conversation, AnAnswerThatNeverComesEndsTheExchangeAtItsLimit)
{
    Line line;
    std::vector<Conversation::Reply> replies;
    auto ask = request("$RSRF0", 0, &replies);
    ask.answered = readAnswerWhole;
    ask.answerWaitMs = 150;
    const auto start = testsupport::Clock::now();
    line.talk.submit(ask);
    EXPECT_FALSE(line.talk.isIdle());
    ASSERT_TRUE(waitUntil([&] { return replies.size() == 1; }));
    EXPECT_GE(testsupport::millisecondsBetween(start, testsupport::Clock::now()), 140.0);
    EXPECT_FALSE(replies[0].answered);
    EXPECT_FALSE(replies[0].anything);
    EXPECT_TRUE(line.talk.isIdle());
}

TEST(Conversation, WhatTheSystemHoldsIsHeardBeforeTheWriteAndIsNoPartOfItsAnswer)
{
    Line line;
    std::vector<Conversation::Reply> replies;
    line.channel.holdInSystem("SRF0F011\r\n");   // a late answer to an earlier read
    line.talk.submit(request("$RSRF1", 165, &replies));
    EXPECT_TRUE(line.channel.writes.empty()) << "the write waits for the port to fetch what the system holds";
    ASSERT_TRUE(waitUntil([&] { return replies.size() == 1; }));
    EXPECT_EQ(line.log.events, (std::vector<std::string>{"heard:SRF0F011\r\n", "written:$RSRF1"}));
    EXPECT_TRUE(replies[0].arrived.isEmpty());
}

TEST(Conversation, ACommandWaitsForTheUnitsPauseAndAKeyOnlyForItsLineEnd)
{
    struct Row {
        Wait wait;
        QByteArray sending;   // what the unit is in the middle of
        int limitMs;          // the wait's limit while it has not paused
    };
    for (const Row &row : {Row{Wait::UnitPause, "LINE01\r\nLINE0", 1000}, Row{Wait::Key, "LINE01\r\nLINE0", 25}}) {
        Line line;
        line.channel.receiveWithoutGap(row.sending);
        line.talk.poll();
        ASSERT_TRUE(line.talk.unitSending());
        bool ran = false;
        line.talk.whenFree(row.wait, [&] { ran = true; });
        EXPECT_FALSE(ran);
        EXPECT_EQ(line.talk.gateLimitMs(), row.limitMs);
        line.channel.receiveWithoutGap("2\r\n");
        line.channel.notifyArrival();
        EXPECT_EQ(ran, row.wait == Wait::Key) << "a key goes at the line end, a command waits for the pause";
        ASSERT_TRUE(waitUntil([&] { return ran; }));
        EXPECT_EQ(line.log.events.back(), row.wait == Wait::Key ? "heard:2\r\n" : "quiet");
    }
}

TEST(Conversation, AKeyAtALineEndGoesAtOnce)
{
    Line line;
    line.channel.receiveWithoutGap("STATUS 2\r\n");
    line.talk.poll();
    bool ran = false;
    line.talk.whenFree(Wait::Key, [&] { ran = true; });
    EXPECT_TRUE(ran) << "no wait is entered at a line end";
    EXPECT_EQ(line.talk.gateLimitMs(), 0);
}

TEST(Conversation, ACommandIntoAUnitThatNeverPausesGoesAtItsLineEndAfterTheWaitAndCutsTheText)
{
    Line line;
    QTimer stream;
    QObject::connect(&stream, &QTimer::timeout, [&] {
        line.channel.receiveWithoutGap("STATUS 3 OK\r\n");
        line.channel.notifyArrival();
    });
    stream.start(5);
    line.channel.receiveWithoutGap("STA");
    line.talk.poll();
    const auto start = testsupport::Clock::now();
    line.talk.whenFree(Wait::UnitPause, [&] { line.talk.submit(request("$RSRF0", 165)); });
    ASSERT_TRUE(waitUntil([&] { return !line.channel.writes.empty(); }));
    stream.stop();
    EXPECT_GE(testsupport::millisecondsBetween(start, testsupport::Clock::now()), 990.0);
    const auto cut = std::find(line.log.events.begin(), line.log.events.end(), "cut");
    ASSERT_NE(cut, line.log.events.end());
    EXPECT_EQ(*(cut - 1), "heard:STATUS 3 OK\r\n") << "cut at a line end";
    EXPECT_EQ(*(cut + 1), "written:$RSRF0");
}

TEST(Conversation, ATurnsExchangesGoOutBeforeWhatWasQueuedAfterIt)
{
    Line line;
    line.pause.realWait = true;
    line.talk.submit(request("A", 50));
    line.talk.whenFree(Wait::UnitPause, [&] {
        line.talk.submit(request("B", 50));
        line.talk.submit(request("C", 50));
    });
    line.talk.submit(request("D", 50));
    ASSERT_TRUE(waitUntil([&] { return line.talk.isIdle(); }));
    EXPECT_EQ(line.channel.written(), "ABCD");
}

TEST(Conversation, ACloseDropsWhatIsQueuedInOrderAndHearsWhatThePortHeld)
{
    Line line;
    line.pause.realWait = true;
    std::vector<std::string> ends;
    auto noted = [&](const char *name) {
        auto r = request(name, 165);
        r.done = [&ends, name](const Conversation::Reply &reply) { ends.push_back(std::string(name) + (reply.dropped ? " dropped" : " done")); };
        return r;
    };
    line.talk.submit(noted("$RSRF0"));
    line.talk.submit(noted("$RSRF1"));
    bool turnRan = false;
    line.talk.whenFree(Wait::UnitPause, [&] { turnRan = true; });
    line.channel.receive("SRF0F011\r\n");
    line.talk.close();
    EXPECT_EQ(ends, (std::vector<std::string>{"$RSRF0 dropped", "$RSRF1 dropped"}));
    EXPECT_FALSE(turnRan);
    EXPECT_EQ(line.channel.written(), "$RSRF0");
    EXPECT_EQ(line.log.events, (std::vector<std::string>{"written:$RSRF0", "heard:SRF0F011\r\n", "closed"}));
    EXPECT_TRUE(line.talk.isIdle());
    line.talk.submit(noted("$RSRF2"));
    EXPECT_EQ(ends.back(), "$RSRF2 dropped") << "nothing goes out on a closed port";
}

TEST(Conversation, ALossIsReportedAfterWhatWasReadBeforeItIsHeardAndEnded)
{
    Line line;
    std::vector<std::string> failures;
    line.talk.onFailure([&](std::exception_ptr e) {
        try {
            std::rethrow_exception(e);
        } catch (const PortLostError &lost) {
            failures.push_back(lost.what());
        }
    });
    line.channel.receiveWithoutGap("STATUS");
    line.channel.hangUp();
    line.channel.notifyArrival();
    EXPECT_EQ(line.log.events, (std::vector<std::string>{"heard:STATUS", "quiet"}));
    EXPECT_EQ(failures, (std::vector<std::string>{"hung up"}));
    EXPECT_FALSE(line.talk.isPolling());
}
