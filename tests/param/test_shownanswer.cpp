// rix-param's side of the receive rules and its command line: what it takes from a burst
// must be what the window's answer list shows, and its commands are the window's bytes.

#include "param/commandline.h"
#include "param/parameterexchange.h"
#include "param/shownanswer.h"

#include <gtest/gtest.h>

TEST(ParamShownAnswer, ButtonAnswersLoseAddressAndLettersAtBothRates)
{
    // 19200: the line starts at the 5th byte of "SRF0F011".
    EXPECT_EQ(shownAnswer("SRF0F011\r\n", "$RSRF0", QStringLiteral("19200")), QByteArray("F011"));
    // 4800: the returned command first, then the same skip.
    EXPECT_EQ(shownAnswer("$RSRF0SRF0F011\r\n", "$RSRF0", QStringLiteral("4800")), QByteArray("F011"));
    // The returned command alone is no line.
    EXPECT_EQ(shownAnswer("$RSRF0\r\n", "$RSRF0", QStringLiteral("4800")), QByteArray());
    EXPECT_EQ(shownAnswer("    ", "$RSRF3", QStringLiteral("19200")), QByteArray());
}

TEST(ParamShownAnswer, FirstLineEndIsKeptLaterOnesDropped)
{
    // A CR as the burst's first byte stays and shifts the skip, exactly as in the window.
    EXPECT_EQ(shownAnswer("\rSRF30E28\r\n", "$RSRF3", QStringLiteral("19200")), QByteArray("30E28"));
    EXPECT_EQ(shownAnswer("SRF30E\r\n28\r\n", "$RSRF3", QStringLiteral("19200")), QByteArray("0E28"));
}

TEST(ParamExchange, CommandsAreTheWindowsBytesAndValuesAreFourHexDigits)
{
    EXPECT_EQ(readCommand(QLatin1Char('S'), 3), QByteArray("$RSRF3"));
    EXPECT_EQ(readCommand(QLatin1Char('A'), 0), QByteArray("$RARF0"));
    EXPECT_EQ(writeCommand(QLatin1Char('S'), 3, QStringLiteral("0E3C")), QByteArray("$RSPF30E3C"));

    EXPECT_EQ(parameterValue("0e3c"), QStringLiteral("0E3C"));
    EXPECT_EQ(parameterValue("0E28  "), QStringLiteral("0E28"));
    EXPECT_FALSE(parameterValue(" 0E28").has_value());
    EXPECT_FALSE(parameterValue("0E2").has_value());
    EXPECT_FALSE(parameterValue("0E28\r").has_value());
    EXPECT_FALSE(parameterValue("0G28").has_value());
    EXPECT_FALSE(parameterValue("?").has_value());
}

TEST(ParamCommandLine, DefaultsAreTheWindowsAndBadWordsAreRefused)
{
    const ParsedCommandLine read = parseCommandLine({QStringLiteral("read")});
    ASSERT_TRUE(read.error.isEmpty()) << read.error.toStdString();
    EXPECT_EQ(read.options.command, ParamOptions::Command::Read);
    EXPECT_EQ(read.options.port, QStringLiteral("COM1"));
    EXPECT_EQ(read.options.baud, QStringLiteral("19200"));
    EXPECT_EQ(read.options.address, QLatin1Char('S'));

    const ParsedCommandLine write = parseCommandLine(
        {QStringLiteral("write"), QStringLiteral("set.txt"), QStringLiteral("--yes"), QStringLiteral("--baud=4800"),
         QStringLiteral("--address"), QStringLiteral("a"), QStringLiteral("--include-line-settings")});
    ASSERT_TRUE(write.error.isEmpty()) << write.error.toStdString();
    EXPECT_EQ(write.options.setFile, QStringLiteral("set.txt"));
    EXPECT_TRUE(write.options.yes);
    EXPECT_TRUE(write.options.includeLineSettings);
    EXPECT_FALSE(write.options.dryRun);
    EXPECT_EQ(write.options.baud, QStringLiteral("4800"));
    EXPECT_EQ(write.options.address, QLatin1Char('A'));

    for (const QStringList &bad : {QStringList{}, QStringList{QStringLiteral("erase")},
                                   QStringList{QStringLiteral("read"), QStringLiteral("--baud"), QStringLiteral("9600")},
                                   QStringList{QStringLiteral("read"), QStringLiteral("--address"), QStringLiteral("G")},
                                   QStringList{QStringLiteral("read"), QStringLiteral("--yes")},
                                   QStringList{QStringLiteral("diff")},
                                   QStringList{QStringLiteral("write"), QStringLiteral("a"), QStringLiteral("b")},
                                   QStringList{QStringLiteral("read"), QStringLiteral("-o")}})
        EXPECT_FALSE(parseCommandLine(bad).error.isEmpty()) << bad.join(QLatin1Char(' ')).toStdString();
}
