// SPDX-License-Identifier: GPL-3.0-or-later
// The unit line takes a value only from the answer that names the parameter it asked,
// wherever that stands among other text; for a clean answer that value is what the window's
// answer list shows. Its commands are the window's bytes.

#include "unit/line/serialchannel.h"
#include "unit/parameters/parameterexchange.h"
#include "unit/protocol/receiveengine.h"

#include <gtest/gtest.h>

#include <optional>
#include <utility>
#include <vector>

namespace {

// A line that holds `waiting` before the request and answers the request with `reply`.
class ScriptedLine : public SerialChannel {
public:
    QByteArray waiting, reply;
    std::vector<QByteArray> written;

    void open(const PortSettings &) override {}
    void write(const QByteArray &bytes) override
    {
        written.push_back(bytes);
        incoming_ += reply;
    }
    QByteArray takeAvailable() override
    {
        incoming_.prepend(std::exchange(waiting, QByteArray()));
        return std::exchange(incoming_, QByteArray());
    }
    void onBytesArrived(std::function<void()>) override {}
    std::optional<std::uint32_t> modemStatus() override { return std::nullopt; }
    void close() override {}
    void closeAll() override {}
    bool isOpen() const override { return true; }

private:
    QByteArray incoming_;
};

// What rix-param takes as the answer to the read of Fn from `asked`, when the unit replies `reply`.
std::optional<QString> taken(const QByteArray &reply, QChar asked, int n, const QByteArray &waiting = {})
{
    ScriptedLine line;
    line.reply = reply;
    line.waiting = waiting;
    LineTiming quick;
    quick.settleMs = 0;
    quick.buttonPauseMs = 0;
    quick.answerWaitMs = 30;
    UnitLine unitLine(line, quick);
    const UnitLine::Heard heard = unitLine.ask(readCommand(asked, n), asked, n);
    EXPECT_EQ(line.written, std::vector<QByteArray>{readCommand(asked, n)});
    return heard.answer ? std::optional<QString>(heard.answer->value) : std::nullopt;
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

