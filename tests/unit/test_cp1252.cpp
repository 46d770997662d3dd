// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/cp1252.h"

#include <gtest/gtest.h>

TEST(Cp1252, EveryByteSurvivesDecodeAndEncode)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const auto back = cp1252::encode(cp1252::decode(all));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, all);
}

TEST(Cp1252, GermanLettersAndEuroAreSingleBytes)
{
    EXPECT_EQ(cp1252::encode(QStringLiteral("äöüß€")).value(), QByteArray("\xE4\xF6\xFC\xDF\x80"));
    EXPECT_EQ(cp1252::decode(QByteArray("\x80\x9F\xE4")), QStringLiteral("€Ÿä"));
}

TEST(Cp1252, CharactersOutsideTheCodePageAreRefused)
{
    EXPECT_FALSE(cp1252::encode(QStringLiteral("a→b")).has_value());
    EXPECT_FALSE(cp1252::canEncode(QChar(0x2192)));
    EXPECT_TRUE(cp1252::canEncode(QChar(0x20AC)));
}

TEST(Cp1252, ControlBytesAreShownAsVisibleSymbols)
{
    EXPECT_EQ(cp1252::decodeForDisplay(QByteArray("\rA\x1b\x7f", 4)),
              QString::fromUtf8("\u240DA\u241B\u2421"));
    EXPECT_EQ(cp1252::decodeForDisplay(QByteArray("\0", 1)), QString::fromUtf8("\u2400"));
}

TEST(Cp1252, NoByteIsInvisibleWhenShown)
{
    for (int b = 0; b < 256; ++b) {
        const QChar shown = cp1252::decodeForDisplay(QByteArray(1, char(b))).at(0);
        EXPECT_NE(shown.category(), QChar::Other_Control) << "byte " << b;
        EXPECT_NE(shown.category(), QChar::Separator_Line) << "byte " << b;
    }
    EXPECT_EQ(cp1252::decodeForDisplay(QByteArray("\x81\x9D")), QString::fromUtf8("\uFFFD\uFFFD"));
}

// The code page's 32 high positions, written out (Windows-1252 as published), so that a
// changed or swapped entry is caught. The five positions the code page leaves undefined
// keep their byte value as their code point.
TEST(Cp1252, HighPositionsAreTheCodePagesOwn)
{
    const char16_t expected[32] = {
        u'\u20AC', u'\u0081', u'\u201A', u'\u0192', u'\u201E', u'\u2026', u'\u2020', u'\u2021',   // 80-87
        u'\u02C6', u'\u2030', u'\u0160', u'\u2039', u'\u0152', u'\u008D', u'\u017D', u'\u008F',   // 88-8F
        u'\u0090', u'\u2018', u'\u2019', u'\u201C', u'\u201D', u'\u2022', u'\u2013', u'\u2014',   // 90-97
        u'\u02DC', u'\u2122', u'\u0161', u'\u203A', u'\u0153', u'\u009D', u'\u017E', u'\u0178',   // 98-9F
    };
    for (int b = 0x80; b <= 0x9F; ++b) {
        const QString decoded = cp1252::decode(QByteArray(1, char(b)));
        ASSERT_EQ(decoded.size(), 1);
        EXPECT_EQ(decoded.at(0).unicode(), expected[b - 0x80]) << "byte 0x" << std::hex << b;
        EXPECT_EQ(cp1252::encode(QString(QChar(expected[b - 0x80]))).value_or("?"), QByteArray(1, char(b)))
            << "byte 0x" << std::hex << b;
    }
    for (const int undefined : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
        EXPECT_EQ(cp1252::decode(QByteArray(1, char(undefined))), QString(QChar(undefined)));
    // En and em dash, the pair most easily swapped.
    EXPECT_EQ(cp1252::encode(QString::fromUtf8("\u2013\u2014")).value_or("?"), QByteArray("\x96\x97"));
}
