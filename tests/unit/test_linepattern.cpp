// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/protocol/linepattern.h"

#include <gtest/gtest.h>

namespace {

struct Row {
    const char *name;
    bool hex;
    const char16_t *typed;
    bool exactCase;
    QByteArray line;
    bool found;
};

const Row rows[] = {
    {"text ignores case by default", false, u"ok", false, QByteArray("SOK\r\n"), true},
    {"exact case tells them apart", false, u"ok", true, QByteArray("SOK\r\n"), false},
    {"exact case finds its own", false, u"OK", true, QByteArray("SOK\r\n"), true},
    {"a control picture finds its byte", false, u"K\u240D\u240A", false, QByteArray("SOK\r\n"), true},
    {"a control byte is not passed over", false, u"AB", false, QByteArray("A\rB"), false},
    {"NUL and DEL by their pictures", false, u"\u2400x\u2421", false, QByteArray("a\0x\x7f", 4), true},
    {"ä finds Ä", false, u"ä", false, QByteArray("F\xC4"), true},
    {"ä exact is not Ä", false, u"ä", true, QByteArray("F\xC4"), false},
    {"Š finds š (0x8A/0x9A)", false, u"Š", false, QByteArray("\x9A"), true},
    {"ÿ finds Ÿ (0xFF/0x9F)", false, u"ÿ", false, QByteArray("\x9F"), true},
    {"ß stays ß", false, u"ß", false, QByteArray("SS"), false},
    {"€ is 0x80", false, u"€", false, QByteArray("5\x80"), true},
    {"U+FFFD finds an undefined byte", false, u"\uFFFD", false, QByteArray("\x9D"), true},
    {"a repeated start at the end", false, u"SRF0F011", true, QByteArray("$RSRF0SRF0F011\r\n"), true},
    {"longer than the line", false, u"SRF0F0110", true, QByteArray("SRF0F011"), false},
    {"hex finds ESC [", true, u"1B 5B", false, QByteArray("\x1b[31m"), true},
    {"hex without blanks, small digits", true, u"1b5b", false, QByteArray("x\x1b["), true},
    {"hex CR LF in order", true, u"0D 0A", false, QByteArray("OK\r\n"), true},
    {"hex LF CR is another order", true, u"0D0A", false, QByteArray("OK\n\r"), false},
    {"hex is exact about case", true, u"41", false, QByteArray("a"), false},
    {"hex is exact about letters", true, u"C4", false, QByteArray("\xE4"), false},
    {"hex tells undefined bytes apart", true, u"81", false, QByteArray("\x8D"), false},
    {"hex finds a NUL", true, u"00", false, QByteArray("a\0", 2), true},
};

TEST(LinePattern, MatchesAsTheTableSays)
{
    for (const Row &row : rows) {
        const QString typed = QString::fromUtf16(row.typed);
        const LinePattern pattern = row.hex ? LinePattern::fromHex(typed) : LinePattern::fromText(typed, row.exactCase);
        EXPECT_TRUE(pattern.problem().isEmpty()) << row.name;
        EXPECT_EQ(pattern.matches(row.line.constData(), int(row.line.size())), row.found) << row.name;
    }
}

TEST(LinePattern, WhatCannotBeSearchedSaysWhyAndFindsNothing)
{
    const QByteArray line("1B 5 ж");
    for (const LinePattern &pattern : {LinePattern::fromHex(QStringLiteral("1B 5")), LinePattern::fromHex(QStringLiteral("1G")),
                                       LinePattern::fromText(QStringLiteral("ж"), false)}) {
        EXPECT_FALSE(pattern.problem().isEmpty());
        EXPECT_FALSE(pattern.isValid());
        EXPECT_FALSE(pattern.matches(line.constData(), int(line.size())));
    }
    EXPECT_EQ(LinePattern::fromText(QStringLiteral("ж"), false).problem(), QStringLiteral("„ж“ kommt in Windows-1252 nicht vor."));
    EXPECT_FALSE(LinePattern::fromText(QString(), false).isValid());
    EXPECT_TRUE(LinePattern::fromText(QString(), false).problem().isEmpty());
}

TEST(LinePattern, ACrOrLfAfterTheFirstByteIsSaidToFindNothing)
{
    const QString findsNothing = QStringLiteral("Findet nichts: CR und LF stehen höchstens am Zeilenanfang.");
    const struct {
        bool hex;
        const char16_t *typed;
        bool said;
    } cases[] = {
        {true, u"0D 0A", true},     {true, u"41 0A", true},    {true, u"0A", false},
        {true, u"0D 41", false},    {false, u"K\u240D", true}, {false, u"\u240DK", false},
        {false, u"\u240AK\u240A", true}, {true, u"1B 5B", false},
    };
    for (const auto &c : cases) {
        const QString typed = QString::fromUtf16(c.typed);
        const LinePattern pattern = c.hex ? LinePattern::fromHex(typed) : LinePattern::fromText(typed, false);
        EXPECT_TRUE(pattern.isValid()) << typed.toStdString();
        EXPECT_EQ(pattern.notice(), c.said ? findsNothing : QString()) << typed.toStdString();
    }
}

} // namespace
