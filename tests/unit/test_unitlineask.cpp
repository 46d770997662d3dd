// SPDX-License-Identifier: GPL-3.0-or-later
// A parameter's read takes a value only from the answer that names the parameter it asked,
// wherever that stands among other text; for a clean answer that value is what the window's
// answer list shows. Its commands are the window's bytes.

#include "support/fakechannel.h"
#include "support/waiting.h"
#include "unit/parameters/parameterexchange.h"
#include "unit/protocol/receiveengine.h"

#include <QTimer>
#include <gtest/gtest.h>

#include <optional>
#include <utility>
#include <vector>

namespace {

// What rix-param takes as the answer to the read of Fn from `asked`, when the unit replies
// `reply` to each request and `waiting` was on the line before the first.
std::optional<QString> taken(const QByteArray &reply, QChar asked, int n, const QByteArray &waiting = {})
{
    Timeline timeline;
    FakeSerialChannel channel(timeline);
    RecordingPause pause(timeline);
    Conversation line(channel, &pause);
    line.open({"COM7", "19200"});
    if (!waiting.isEmpty())
        channel.receive(waiting);
    QObject notifier;
    channel.beforeWrite = [&](const QByteArray &) {
        if (reply.isEmpty())
            return;
        channel.receive(reply);
        // The port's notifier says so from the event loop, as the real one does.
        QTimer::singleShot(1, &notifier, [&] { channel.notifyArrival(); });
    };
    LineTiming quick;
    quick.answerWaitMs = 30;
    std::optional<Heard> heard;
    readParameter(ParameterLine{line, quick}, asked, n, [&](const Heard &h) { heard = h; });
    EXPECT_TRUE(testsupport::waitUntil([&] { return heard.has_value(); }));
    EXPECT_EQ(channel.writes.front(), readCommand(asked, n));
    EXPECT_EQ(channel.writes.size(), heard && heard->answer ? 1u : 2u) << "asked once more without an answer";
    return heard && heard->answer ? std::optional<QString>(heard->answer->value) : std::nullopt;
}

// What the window's answer list shows for a burst after a command button's command.
QByteArray windowShows(const QByteArray &burst, const QByteArray &command, const QByteArray &baud)
{
    ReceiveEngine engine;
    const ReceiveEngine::Context context{std::string_view(command.constData(), std::size_t(command.size())),
                                         std::string_view(baud.constData(), std::size_t(baud.size())), 1};
    engine.commandWritten(context.commandLine);
    ReceiveEngine::Shown shown = engine.add(std::string_view(burst.constData(), std::size_t(burst.size())), context);
    for (ReceiveEngine::Lines &last : engine.quiet())
        shown.push_back(std::move(last));
    QByteArray answer;
    for (const ReceiveEngine::Lines &lines : shown)
        if (lines.answer)
            answer += QByteArray::fromStdString(*lines.answer);
    return answer;
}

} // namespace

TEST(ParamAnswers, ACleanAnswerGivesTheValueTheAnswerListShowsAtBothRates)
{
    const QChar s = QLatin1Char('S');
    EXPECT_EQ(windowShows("SRF0F011\r\n", "$RSRF0", "19200"), QByteArray("F011"));
    EXPECT_EQ(taken("SRF0F011\r\n", s, 0), QStringLiteral("F011"));
    // 4800: the unit sends the command back first.
    EXPECT_EQ(windowShows("$RSRF0SRF0F011\r\n", "$RSRF0", "4800"), QByteArray("F011"));
    EXPECT_EQ(taken("$RSRF0SRF0F011\r\n", s, 0), QStringLiteral("F011"));
}

TEST(ParamAnswers, OnlyAnAnswerThatNamesTheParameterAskedIsTaken)
{
    const QChar s = QLatin1Char('S'), a = QLatin1Char('A');
    // Found inside a burst that also holds unasked text, before and after it.
    EXPECT_EQ(taken("Z12345\r\nSRF30E28\r\nZ12345\r\n", s, 3), QStringLiteral("0E28"));
    EXPECT_EQ(taken("45SRF30E28\r\n", s, 3), QStringLiteral("0E28"));
    EXPECT_EQ(taken("SRF30e3c\r\n", s, 3), QStringLiteral("0E3C"));
    EXPECT_EQ(taken("SRF30E28  ", s, 3), QStringLiteral("0E28"));
    EXPECT_EQ(taken("ARF30E28\r\n", a, 3), QStringLiteral("0E28"));
    // Asked as S, any unit's digit answers.
    EXPECT_EQ(taken("7RF30E28\r\n", s, 3), QStringLiteral("0E28"));

    EXPECT_EQ(taken("SRF20E28\r\n", s, 3), std::nullopt) << "another parameter's answer";
    EXPECT_EQ(taken("BRF30E28\r\n", a, 3), std::nullopt) << "another unit's answer";
    EXPECT_EQ(taken("SRF30E2\r\n", s, 3), std::nullopt);
    EXPECT_EQ(taken("SRF30E28A\r\n", s, 3), std::nullopt);
    EXPECT_EQ(taken("SRF30G28\r\n", s, 3), std::nullopt);
    EXPECT_EQ(taken("SPF3?\r\n", s, 3), std::nullopt);
    EXPECT_EQ(taken("0E28\r\n", s, 3), std::nullopt) << "a value without its parameter";
}

TEST(ParamAnswers, WhatWaitsBeforeTheRequestIsDroppedEvenWhenItNamesTheParameter)
{
    EXPECT_EQ(taken("SRF30E28\r\n", QLatin1Char('S'), 3, "SRF3AAAA\r\n"), QStringLiteral("0E28"));
    EXPECT_EQ(taken("", QLatin1Char('S'), 3, "SRF3AAAA\r\n"), std::nullopt);
}

TEST(ParamAnswers, TwoAnswersWithDifferentValuesGiveNoValue)
{
    // An answer from before the request that was still on its way came first: which one
    // holds cannot be told.
    EXPECT_EQ(taken("SRF3AAAA\r\nSRF30E28\r\n", QLatin1Char('S'), 3), std::nullopt);
    EXPECT_EQ(taken("SRF30E28\r\nSRF30E28\r\n", QLatin1Char('S'), 3), QStringLiteral("0E28"));
    EXPECT_EQ(taken("SRF20E28\r\nSRF30E28\r\n", QLatin1Char('S'), 3), QStringLiteral("0E28"));
}

TEST(ParamExchange, CommandsAreTheWindowsBytes)
{
    EXPECT_EQ(readCommand(QLatin1Char('S'), 3), QByteArray("$RSRF3"));
    EXPECT_EQ(readCommand(QLatin1Char('A'), 0), QByteArray("$RARF0"));
    EXPECT_EQ(writeCommand(QLatin1Char('S'), 3, QStringLiteral("0E3C")), QByteArray("$RSPF30E3C"));
}


TEST(ParamExchange, AReadOnceIsAskedOnceAnsweredOrNot)
{
    for (const QByteArray &reply : {QByteArray("SRF30E28\r\n"), QByteArray()}) {
        SCOPED_TRACE(reply.toStdString());
        Timeline timeline;
        FakeSerialChannel channel(timeline);
        RecordingPause pause(timeline);
        Conversation line(channel, &pause);
        line.open({"COM7", "19200"});
        channel.beforeWrite = [&](const QByteArray &) { channel.receive(reply); };
        LineTiming quick;
        quick.answerWaitMs = 30;
        std::optional<Heard> heard;
        readParameterOnce(ParameterLine{line, quick}, QLatin1Char('S'), 3, [&](const Heard &h) { heard = h; });
        ASSERT_TRUE(testsupport::waitUntil([&] { return heard.has_value(); }));
        EXPECT_EQ(channel.writes, std::vector<QByteArray>{"$RSRF3"});
        EXPECT_EQ(heard->answer ? heard->answer->value : QString(), reply.isEmpty() ? QString() : QStringLiteral("0E28"));
    }
}
