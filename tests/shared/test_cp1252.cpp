#include "shared/cp1252.h"

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
