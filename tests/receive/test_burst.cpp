#include "receive/burst.h"

#include <gtest/gtest.h>

namespace {
std::optional<QByteArray> answer(const QByteArray &burst, const QString &ed1, const QString &baud, int flag)
{
    return processBurst(burst, ed1, baud, std::int16_t(flag)).answer;
}
} // namespace

TEST(Burst, WhereTheShownLineStartsForEachBaudAndFlag)
{
    // L = 6; the burst is numbered so each start can be read off.
    const QByteArray burst = "123456789ABCDEFG";
    const QString ed1 = "$RSRF0";
    EXPECT_EQ(answer(burst, ed1, "4800", 0), QByteArray("789ABCDEFG"));   // L + 1
    EXPECT_EQ(answer(burst, ed1, "4800", 1), QByteArray("BCDEFG"));       // 2L - 1
    EXPECT_EQ(answer(burst, ed1, "19200", 0), QByteArray("123456789ABCDEFG"));
    EXPECT_EQ(answer(burst, ed1, "19200", 1), QByteArray("56789ABCDEFG")); // L - 1
    EXPECT_EQ(processBurst(burst, ed1, "4800", 1).displayStart, 7);
    EXPECT_EQ(processBurst(burst, ed1, "19200", 1).displayStart, 1);
    // Only "4800" exactly counts as the echoing rate.
    EXPECT_EQ(answer(burst, ed1, "04800", 0), QByteArray("123456789ABCDEFG"));
    EXPECT_EQ(answer(burst, ed1, "4800 ", 0), QByteArray("123456789ABCDEFG"));
}

TEST(Burst, ParameterAnswerShowsJustTheValue)
{
    EXPECT_EQ(answer("SRF0F011", "$RSRF0", "19200", 1), QByteArray("F011"));
    EXPECT_EQ(answer("$RSRF0SRF0F011", "$RSRF0", "4800", 1), QByteArray("F011"));
}

TEST(Burst, BlankAnswersShowNothing)
{
    EXPECT_FALSE(answer("     ", "", "19200", 0).has_value());
    EXPECT_FALSE(answer("$RSRF0   ", "$RSRF0", "4800", 1).has_value());   // the echo alone
    EXPECT_FALSE(answer("$RSRF0", "$RSRF0", "4800", 0).has_value());
    // A tab or a CR is not blank.
    EXPECT_EQ(answer("\t", "", "19200", 0), QByteArray("\t"));
    // The shown text itself is not trimmed.
    EXPECT_EQ(answer("  AB  ", "", "19200", 0), QByteArray("  AB  "));
}

TEST(Burst, AStartPastTheEndShowsAnEmptyLine)
{
    // The test part is not blank, but after a button command the line starts at L - 1.
    EXPECT_EQ(answer("AB", "$RSRF0", "19200", 1), QByteArray(""));
}

TEST(Burst, ACommandLineShorterThanTwoStartsAtTheFirstCharacter)
{
    EXPECT_EQ(answer("XYZ", "", "19200", 1), QByteArray("XYZ"));
    EXPECT_EQ(answer("XYZ", "Q", "19200", 1), QByteArray("XYZ"));
    EXPECT_EQ(answer("XYZ", "", "4800", 1), QByteArray("XYZ"));
}

TEST(Burst, FirstByteIsKeptLaterLineEndsAreDropped)
{
    QByteArray burst;
    for (char c : QByteArray("\rAB\r\nC\n"))
        appendToBurst(burst, c);
    EXPECT_EQ(burst, QByteArray("\rABC"));
    EXPECT_EQ(answer(burst, "", "19200", 0), QByteArray("\rABC"));
}
