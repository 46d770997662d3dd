// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/parameters/parametermeaning.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
std::vector<std::string> meaning(int n, const char *value)
{
    std::vector<std::string> out;
    for (const QString &line : describeParameter(n, QString::fromUtf8(value)))
        out.push_back(line.toStdString());
    return out;
}
using Lines = std::vector<std::string>;
} // namespace

TEST(ParameterMeaning, FiveMillisecondGroupsAreDecodedWhereTheDescriptionsGiveThem)
{
    EXPECT_EQ(meaning(1, "0A00"), (Lines{"1.,2. Stelle = 0x0A = 10 × 5 ms = 50 ms"}));
    EXPECT_EQ(meaning(3, "0E28"), (Lines{"3.,4. Stelle = 0x28 = 40 × 5 ms = 200 ms"}));
    EXPECT_EQ(meaning(4, "0E0E"), (Lines{"1.,2. Stelle (1. Ton) = 0x0E = 14 × 5 ms = 70 ms",
                                         "3.,4. Stelle (ab 2. Ton) = 0x0E = 14 × 5 ms = 70 ms"}));
    EXPECT_EQ(meaning(4, "0A3C"), (Lines{"1.,2. Stelle (1. Ton) = 0x0A = 10 × 5 ms = 50 ms",
                                         "3.,4. Stelle (ab 2. Ton) = 0x3C = 60 × 5 ms = 300 ms"}));
    // F5's first two digits are not described, so 0x64 is not turned into a time.
    EXPECT_EQ(meaning(5, "64C8"), (Lines{"3.,4. Stelle (min. Länge Ruf I, II) = 0xC8 = 200 × 5 ms = 1000 ms"}));
    EXPECT_EQ(meaning(3, "00FF"), (Lines{"3.,4. Stelle = 0xFF = 255 × 5 ms = 1275 ms"}));
}

TEST(ParameterMeaning, AnUnclearPartIsNamedNotDecoded)
{
    EXPECT_EQ(meaning(2, "1234"), (Lines{"1.,2. Stelle = 0x12 = 18 × 5 ms = 90 ms",
                                         "„u. ab 2.Stelle“: unklar beschrieben, nicht ausgewertet"}));
}

TEST(ParameterMeaning, AddressDigitAndLineModeDigits)
{
    EXPECT_EQ(meaning(0, "F011"), (Lines{"1. Stelle = F: Adresse F"}));
    EXPECT_EQ(meaning(0, "3999"), (Lines{"1. Stelle = 3: Adresse 3"}));
    // "2.St.Q=(1/0)" gives Q's two values but not which means what.
    EXPECT_EQ(meaning(6, "1010"), (Lines{"1. Stelle = 1: VK7000", "2. Stelle = 0: Q=0"}));
    EXPECT_EQ(meaning(6, "0100"), (Lines{"1. Stelle = 0: 4800 (RIX)", "2. Stelle = 1: Q=1"}));
    EXPECT_EQ(meaning(6, "2A00"), (Lines{"1. Stelle = 2: nicht beschrieben", "2. Stelle = A: nicht beschrieben"}));
}

TEST(ParameterMeaning, LowerCaseIsReadAsUpperCaseAndNonsenseGivesNothing)
{
    EXPECT_EQ(meaning(0, "a011"), (Lines{"1. Stelle = A: Adresse A"}));
    EXPECT_EQ(meaning(3, "0e2f"), (Lines{"3.,4. Stelle = 0x2F = 47 × 5 ms = 235 ms"}));
    EXPECT_TRUE(meaning(3, "0E2").empty());
    EXPECT_TRUE(meaning(3, "0E2G").empty());
    EXPECT_TRUE(meaning(7, "0E28").empty());
    EXPECT_TRUE(meaning(-1, "0E28").empty());
}

TEST(ParameterMeaning, TitlesAreTheDescriptionsTitles)
{
    EXPECT_EQ(parameterTitle(0).toStdString(), "RIX-Adresse");
    EXPECT_EQ(parameterTitle(1).toStdString(), "Min. AW-Tonlänge aller Töne");
    EXPECT_EQ(parameterTitle(6).toStdString(), "Baudrate u. FMS-Leitstellenquittung");
    EXPECT_TRUE(parameterTitle(7).isEmpty());
}
