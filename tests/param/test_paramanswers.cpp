// SPDX-License-Identifier: GPL-3.0-or-later
// rix-param takes a value only from the answer that names the parameter it asked, wherever
// that stands among other text; for a clean answer that value is what the window's answer
// list shows. Its commands are the window's bytes, and its command line reads as people
// expect one to.

#include "param/commandline.h"
#include "param/console.h"
#include "unit/parameters/parameterexchange.h"
#include "unit/protocol/receiveengine.h"
#include "unit/line/serialchannel.h"

#include <QTimer>
#include <gtest/gtest.h>

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
    engine.commandWritten();
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

TEST(ParamCommandLine, DefaultsAreTheWindowsAndOptionsMayStandAnywhere)
{
    const ParsedCommandLine read = parseCommandLine({QStringLiteral("read")});
    ASSERT_TRUE(read.error.isEmpty()) << read.error.toStdString();
    EXPECT_EQ(read.options.command, ParamOptions::Command::Read);
    EXPECT_EQ(read.options.port, QStringLiteral("COM1"));
    EXPECT_EQ(read.options.baud, QStringLiteral("19200"));
    EXPECT_EQ(read.options.address, QLatin1Char('S'));
    EXPECT_EQ(read.options.timeoutMs, 2000);
    EXPECT_TRUE(read.options.toStandardOutput());

    const ParsedCommandLine write = parseCommandLine(
        {QStringLiteral("--yes"), QStringLiteral("write"), QStringLiteral("--baud=4800"), QStringLiteral("set.txt"),
         QStringLiteral("--address"), QStringLiteral("a"), QStringLiteral("--include-line-settings"),
         QStringLiteral("--timeout=1500")});
    ASSERT_TRUE(write.error.isEmpty()) << write.error.toStdString();
    EXPECT_EQ(write.options.command, ParamOptions::Command::Write);
    EXPECT_EQ(write.options.setFile, QStringLiteral("set.txt"));
    EXPECT_TRUE(write.options.yes);
    EXPECT_TRUE(write.options.includeLineSettings);
    EXPECT_FALSE(write.options.dryRun);
    EXPECT_EQ(write.options.baud, QStringLiteral("4800"));
    EXPECT_EQ(write.options.address, QLatin1Char('A'));
    EXPECT_EQ(write.options.timeoutMs, 1500);

    const ParsedCommandLine toOut = parseCommandLine({QStringLiteral("read"), QStringLiteral("-o"), QStringLiteral("-")});
    ASSERT_TRUE(toOut.error.isEmpty()) << toOut.error.toStdString();
    EXPECT_TRUE(toOut.options.toStandardOutput());
    const ParsedCommandLine toFile = parseCommandLine({QStringLiteral("read"), QStringLiteral("-o"), QStringLiteral("u.txt")});
    EXPECT_FALSE(toFile.options.toStandardOutput());

    EXPECT_EQ(parseCommandLine({QStringLiteral("write"), QStringLiteral("--version")}).options.command,
              ParamOptions::Command::Version);
    EXPECT_EQ(parseCommandLine({QStringLiteral("--bogus"), QStringLiteral("--help")}).options.command,
              ParamOptions::Command::Help);
}

TEST(ParamCommandLine, BadWordsAreRefusedWithAMessageThatSaysWhy)
{
    const auto error = [](const QStringList &arguments) { return parseCommandLine(arguments).error; };
    EXPECT_EQ(error({QStringLiteral("read"), QStringLiteral("--yes")}), QStringLiteral("--yes gilt nur für write."));
    EXPECT_EQ(error({QStringLiteral("diff"), QStringLiteral("f"), QStringLiteral("-o"), QStringLiteral("x")}),
              QStringLiteral("-o gilt nur für read."));
    EXPECT_EQ(error({QStringLiteral("read"), QStringLiteral("--bogus")}), QStringLiteral("Unbekannte Option „--bogus“."));
    EXPECT_EQ(error({QStringLiteral("read"), QStringLiteral("--port")}), QStringLiteral("Bei „--port“ fehlt der Wert."));
    EXPECT_EQ(error({QStringLiteral("write"), QStringLiteral("f"), QStringLiteral("--yes=1")}),
              QStringLiteral("„--yes“ nimmt keinen Wert an."));
    EXPECT_EQ(error({QStringLiteral("read"), QStringLiteral("--baud"), QStringLiteral("9600")}),
              QStringLiteral("Ungültige Baudrate „9600“ (19200 oder 4800)."));
    EXPECT_EQ(error({QStringLiteral("read"), QStringLiteral("--timeout"), QStringLiteral("0")}),
              QStringLiteral("Ungültige Wartezeit „0“ (ganze Millisekunden, 1 bis 60000)."));

    for (const QStringList &bad : {QStringList{}, QStringList{QStringLiteral("erase")},
                                   QStringList{QStringLiteral("read"), QStringLiteral("--address"), QStringLiteral("G")},
                                   QStringList{QStringLiteral("read"), QStringLiteral("--timeout"), QStringLiteral("2s")},
                                   QStringList{QStringLiteral("diff")},
                                   QStringList{QStringLiteral("read"), QStringLiteral("file")},
                                   QStringList{QStringLiteral("write"), QStringLiteral("a"), QStringLiteral("b")},
                                   QStringList{QStringLiteral("read"), QStringLiteral("-o")}})
        EXPECT_FALSE(parseCommandLine(bad).error.isEmpty()) << bad.join(QLatin1Char(' ')).toStdString();
}

TEST(ParamCommandLine, TheQuestionTakesYesInGermanAndEnglish)
{
    for (const char *yes : {"j", "J", "ja", "Ja", "y", "yes", "YES", " ja \r"})
        EXPECT_TRUE(isYes(QString::fromLatin1(yes))) << yes;
    for (const char *no : {"", "n", "nein", "N", "jein", "jj", "no", "ja bitte"})
        EXPECT_FALSE(isYes(QString::fromLatin1(no))) << no;
}
