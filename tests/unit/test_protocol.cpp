// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/protocol/protocol.h"

#include <gtest/gtest.h>

TEST(WriteConversion, FourthCharacterBecomesPWhateverTheText)
{
    EXPECT_EQ(protocol::toWriteCommand("$RSRF2"), "$RSPF2");
    EXPECT_EQ(protocol::toWriteCommand("$RSV"), "$RSP");
    EXPECT_EQ(protocol::toWriteCommand("$RS"), "$RS");
    EXPECT_EQ(protocol::toWriteCommand(""), "");
    EXPECT_EQ(protocol::toWriteCommand("abcdefg"), "abcPefg");
}

TEST(ReadAnswer, TheValueIsTakenOnlyFromTheAnswerThatNamesTheParameterAsked)
{
    const auto value = [](const char *arrived, char asked, int n) {
        const auto answer = protocol::findReadAnswer(QByteArray(arrived), QLatin1Char(asked), n);
        return answer ? answer->value.toStdString() : std::string("-");
    };
    EXPECT_EQ(value("SRF0F011\r\n", 'S', 0), "F011");
    // A late answer to the read before, then the one asked.
    EXPECT_EQ(value("SRF0F011\r\nSRF10A00\r\n", 'S', 1), "0A00");
    EXPECT_EQ(value("SRF0F011\r\n", 'S', 1), "-");
    // Unasked text around it, and the command sent back first (4800 baud).
    EXPECT_EQ(value("45Z12345\r\nSRF0f011\r\nZ1", 'S', 0), "F011");
    EXPECT_EQ(value("$RARF1ARF10A00\r\n", 'A', 1), "0A00");
    // Asked as S, any unit answers with its own digit; asked by digit, only that unit.
    EXPECT_EQ(value("7RF31212\r\n", 'S', 3), "1212");
    EXPECT_EQ(value("7RF31212\r\n", 'A', 3), "-");
    EXPECT_EQ(value("XRF31212\r\n", 'S', 3), "-");
    // Not four digits: too few, a fifth, or not hexadecimal.
    EXPECT_EQ(value("SRF0F01\r\n", 'S', 0), "-");
    EXPECT_EQ(value("SRF0F0112\r\n", 'S', 0), "-");
    EXPECT_EQ(value("SRF0F0G1\r\n", 'S', 0), "-");
    EXPECT_EQ(value("SRF0F011", 'S', 0), "F011");
}

TEST(ReadAnswer, SaysWhetherTheCommandCameBackFirst)
{
    const auto echoed = [](const char *arrived) {
        return protocol::findReadAnswer(QByteArray(arrived), QLatin1Char('S'), 2)->echoed;
    };
    EXPECT_TRUE(echoed("$RSRF2SRF21212\r\n"));
    EXPECT_FALSE(echoed("SRF21212\r\n"));
    EXPECT_FALSE(echoed("$RSRF2xSRF21212\r\n"));
}

TEST(ReadAnswer, IsWholeOnceAByteFollowsItOrTheLineIsQuiet)
{
    const auto whole = [](const char *arrived, bool quiet) {
        return protocol::readAnswerWhole(QByteArray(arrived), quiet, QLatin1Char('S'), 0);
    };
    EXPECT_FALSE(whole("SRF0F011", false)) << "a fifth digit may still come";
    EXPECT_TRUE(whole("SRF0F011", true));
    EXPECT_TRUE(whole("SRF0F011\r", false));
    EXPECT_FALSE(whole("SRF0F0112", true));
    EXPECT_FALSE(whole("SRF1F011\r\n", true));
}

TEST(VersionAnswer, IsAnAddressDigitVItsTextAndALineEndWhereverItStands)
{
    struct Row {
        const char *arrived;
        char asked;
        const char *found;   // address|text|echoed, or "-"
    };
    const Row rows[] = {
        {"SVRIX 2.1\r\n", 'S', "S|RIX 2.1|0"},
        {"7Vrix-sim 1.0\r\n", 'S', "7|rix-sim 1.0|0"},
        // The command sent back first (4800 baud): its digit after "$R" is no answer.
        {"$RSVSVRIX\r\n", 'S', "S|RIX|1"},
        {"$R4V4VRIX\r\n", '4', "4|RIX|1"},
        {"$RSV", 'S', "-"},
        {"$RSV\r\n", 'S', "-"},
        // Asked by digit, only that unit; not a digit of a unit at all.
        {"7VRIX\r\n", '4', "-"},
        {"GVRIX\r\n", 'S', "-"},
        // Not whole yet, and a line too long to be a version.
        {"SVRIX", 'S', "-"},
        {"SV" "0123456789012345678901234567890123456789012345678901234567890123" "\r\n", 'S',
         "S|0123456789012345678901234567890123456789012345678901234567890123|0"},
        {"SV" "0123456789012345678901234567890123456789012345678901234567890123X" "\r\n", 'S', "-"},
        // Unasked text before it, and the unit's own characters.
        {"STATUS\r\n3VRIX \xC4\r\n", 'S', "3|RIX \u00C4|0"},
    };
    for (const Row &row : rows) {
        const auto answer = protocol::findVersionAnswer(QByteArray(row.arrived), QLatin1Char(row.asked));
        const QString found = answer ? QStringLiteral("%1|%2|%3").arg(answer->address).arg(answer->text).arg(int(answer->echoed))
                                     : QStringLiteral("-");
        EXPECT_EQ(found, QString::fromUtf8(row.found)) << row.arrived;
    }
}

TEST(AnswerToACommand, IsTheLineThatRepeatsTheAddressAndTheLettersSentAfterTheEchoAt4800)
{
    struct Row {
        const char *line;
        const char *command;
        const char *baud;
        bool answers;
    };
    const Row rows[] = {
        // Every command the buttons send, as the unit answers it.
        {"SRF0F011", "$RSRF0", "19200", true},
        {"SVrix-sim 1.0", "$RSV", "19200", true},
        {"SE1", "$RSE1", "19200", true},
        {"SE2", "$RSE2", "19200", true},
        {"SEA", "$RSEA", "19200", true},
        {"StP60999", "$RStP60999", "19200", true},
        {"Sm6876471131", "$RSm6876471131", "19200", true},
        {"SQ", "$RSQ", "19200", true},
        // A write: its value comes back in capitals, or "?" when the unit refuses it.
        {"SPF30E30", "$RSPF30e30", "19200", true},
        {"SPF30E30", "$RSPF30E30", "19200", true},
        {"SPF3?", "$RSPF3zz", "19200", true},
        {"SPF31234", "$RSPF30E30", "19200", false},
        {"SRF?", "$RSRF0", "19200", false},
        // Other letters, another parameter, another key.
        {"SRF1F011", "$RSRF0", "19200", false},
        {"SEA", "$RSE1", "19200", false},
        {"SE1", "$RSEA", "19200", false},
        {"STATUS 3 OK", "$RSRF0", "19200", false},
        {"LINE15", "$RSE1", "19200", false},
        // Asked as S any unit answers; asked by its digit, only that unit.
        {"7RF31212", "$RSRF3", "19200", true},
        {"7RF31212", "$R7RF3", "19200", true},
        {"7RF31212", "$RARF3", "19200", false},
        {"XRF31212", "$RSRF3", "19200", false},
        {"sRF31212", "$RSRF3", "19200", false},
        // At 4800 the command comes first, and only there.
        {"$RSRF0SRF0F011", "$RSRF0", "4800", true},
        {"$RSE1SE1", "$RSE1", "4800", true},
        {"SRF0F011", "$RSRF0", "4800", false},
        {"$RSRF0", "$RSRF0", "4800", false},
        {"$RSRF0SRF0F011", "$RSRF0", "19200", false},
        {"$RSRF1SRF0F011", "$RSRF0", "4800", false},
        // A text the user typed that is no command has no answer to tell.
        {"hello", "hello", "19200", false},
        {"SRF0F011", "RSRF0", "19200", false},
        {"SRF0F011", "$RSRF0 ", "19200", false},
        {"S", "$RS", "19200", false},
        {"GRF0F011", "$RGRF0", "19200", false},
        {"SRF0F011", "", "19200", false},
        {"", "$RSQ", "19200", false},
    };
    for (const Row &row : rows)
        EXPECT_EQ(protocol::isAnswerTo(row.line, row.command, row.baud), row.answers)
            << row.line << " to " << row.command << " at " << row.baud;
}

TEST(LineRules, AnAddressIsOneDigitOfTheList)
{
    for (const char *digit : {"0", "9", "A", "F", "S"})
        EXPECT_TRUE(protocol::isAddressText(QString::fromLatin1(digit))) << digit;
    for (const char *text : {"", "G", "a", "s", "AB", "-", " 1"})
        EXPECT_FALSE(protocol::isAddressText(QString::fromLatin1(text))) << text;
    EXPECT_EQ(protocol::addressChoices(), QStringLiteral("0–9, A–F oder S"));
}

TEST(LineRules, TheUnitWorksAtTwoRatesAndSendsTheCommandBackAtOnlyOne)
{
    EXPECT_TRUE(protocol::isRate("19200"));
    EXPECT_TRUE(protocol::isRate("4800"));
    for (const char *text : {"", "9600", "48000", " 4800", "4800 "})
        EXPECT_FALSE(protocol::isRate(QString::fromLatin1(text))) << text;
    EXPECT_EQ(protocol::rateChoices(), QStringLiteral("19200 oder 4800"));
    EXPECT_EQ(protocol::otherRate("19200"), "4800");
    EXPECT_EQ(protocol::otherRate("4800"), "19200");
    EXPECT_TRUE(protocol::echoesCommand(QStringLiteral("4800")));
    EXPECT_TRUE(protocol::echoesCommand(std::string_view("4800")));
    EXPECT_FALSE(protocol::echoesCommand(QStringLiteral("19200")));
    EXPECT_FALSE(protocol::echoesCommand(std::string_view("19200")));
    EXPECT_FALSE(protocol::echoesCommand(std::string_view("48000")));
}
