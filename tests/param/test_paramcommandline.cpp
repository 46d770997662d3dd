// SPDX-License-Identifier: GPL-3.0-or-later
// rix-param's command line reads as people expect one to. (Which answer it takes, and its
// commands' bytes, are the parameter exchange's rules: tests/unit/test_unitlineask.cpp.)

#include "param/commandline.h"
#include "param/console.h"

#include <gtest/gtest.h>

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
