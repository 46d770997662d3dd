// SPDX-License-Identifier: GPL-3.0-or-later
#include "rixsim/unit.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Exchange {
    const char *command;
    const char *answer; // "" for no answer
};

std::ostream &operator<<(std::ostream &out, const Exchange &e)
{
    return out << '"' << e.command << '"';
}

class FreshUnitAnswers : public ::testing::TestWithParam<Exchange> {};

TEST_P(FreshUnitAnswers, ExactBytes)
{
    rixsim::Unit unit;
    EXPECT_EQ(unit.respond(GetParam().command), GetParam().answer);
}

INSTANTIATE_TEST_SUITE_P(Reads, FreshUnitAnswers, ::testing::Values(
    Exchange{"$RSRF0", "SRF0F011\r\n"},
    Exchange{"$RSRF1", "SRF10A00\r\n"},
    Exchange{"$RSRF2", "SRF21212\r\n"},
    Exchange{"$RSRF3", "SRF30E28\r\n"},
    Exchange{"$RSRF4", "SRF40E0E\r\n"},
    Exchange{"$RSRF5", "SRF564C8\r\n"},
    Exchange{"$RSRF6", "SRF61010\r\n"},
    Exchange{"$RFRF0", "FRF0F011\r\n"},
    Exchange{"$RFRF5", "FRF564C8\r\n"}));

INSTANTIATE_TEST_SUITE_P(OtherCommands, FreshUnitAnswers, ::testing::Values(
    Exchange{"$RSV", "SVrix-sim 1.0\r\n"},
    Exchange{"$RFV", "FVrix-sim 1.0\r\n"},
    Exchange{"$RSE1", "SE1\r\n"},
    Exchange{"$RSE2", "SE2\r\n"},
    Exchange{"$RSEA", "SEA\r\n"},
    Exchange{"$RFEA", "FEA\r\n"},
    Exchange{"$RStP60999", "StP60999\r\n"},
    Exchange{"$RStP00000", "StP00000\r\n"},
    Exchange{"$RSm0123456789", "Sm0123456789\r\n"},
    Exchange{"$RFm9999999999", "Fm9999999999\r\n"},
    Exchange{"$RSQ", "SQ\r\n"}));

INSTANTIATE_TEST_SUITE_P(MalformedWrites, FreshUnitAnswers, ::testing::Values(
    Exchange{"$RSPF3XYZ", "SPF3?\r\n"},
    Exchange{"$RSPF30E3", "SPF3?\r\n"},
    Exchange{"$RSPF30E300", "SPF3?\r\n"},
    Exchange{"$RSPF3", "SPF3?\r\n"},
    Exchange{"$RSPF30G30", "SPF3?\r\n"},
    Exchange{"$RSPF3 E30", "SPF3?\r\n"},
    Exchange{"$RFPF6xxxx", "FPF6?\r\n"}));

INSTANTIATE_TEST_SUITE_P(Ignored, FreshUnitAnswers, ::testing::Values(
    Exchange{"", ""},
    Exchange{"$RS", ""},
    Exchange{"$RARF0", ""},           // another unit's address
    Exchange{"$R0RF0", ""},
    Exchange{"$RsRF0", ""},           // the broadcast address is upper-case only
    Exchange{"$RfRF0", ""},
    Exchange{"$RSRF7", ""},           // no such parameter
    Exchange{"$RSRF", ""},
    Exchange{"$RSRF00", ""},
    Exchange{"$RSRG0", ""},
    Exchange{"$RSPF70E30", ""},       // a write to no parameter is not a malformed write
    Exchange{"$RSPG30E30", ""},
    Exchange{"$RSRF0\r", ""},         // nothing may follow the letters
    Exchange{" $RSRF0", ""},
    Exchange{"RSRF0", ""},
    Exchange{"$SSRF0", ""},
    Exchange{"$RSE3", ""},
    Exchange{"$RSE", ""},
    Exchange{"$RSVV", ""},
    Exchange{"$RSQ1", ""},
    Exchange{"$RStP6099", ""},        // tP takes exactly five digits
    Exchange{"$RStP609990", ""},
    Exchange{"$RStP6099A", ""},
    Exchange{"$RStp60999", ""},
    Exchange{"$RSm012345678", ""},    // m takes exactly ten digits
    Exchange{"$RSm01234567890", ""},
    Exchange{"$RSm01234567A9", ""},
    Exchange{"$RSM0123456789", ""},
    Exchange{"$RSRF0$RSRF1", ""}));   // two commands without a gap are one unknown command

TEST(UnitWrites, StoredValueIsReadBackUpperCased)
{
    rixsim::Unit unit;
    EXPECT_EQ(unit.respond("$RSPF30E30"), "SPF30E30\r\n");
    EXPECT_EQ(unit.respond("$RSRF3"), "SRF30E30\r\n");
    EXPECT_EQ(unit.respond("$RSPF5abcd"), "SPF5ABCD\r\n");
    EXPECT_EQ(unit.respond("$RSRF5"), "SRF5ABCD\r\n");
    EXPECT_EQ(unit.parameter(5), "ABCD");
    EXPECT_EQ(unit.respond("$RFPF61A2b"), "FPF61A2B\r\n");
    EXPECT_EQ(unit.parameter(6), "1A2B");
}

TEST(UnitWrites, OnlyTheWrittenParameterChanges)
{
    rixsim::Unit unit;
    unit.respond("$RSPF20001");
    const char *expected[] = {"F011", "0A00", "0001", "0E28", "0E0E", "64C8", "1010"};
    for (int i = 0; i < rixsim::Unit::parameterCount; ++i)
        EXPECT_EQ(unit.parameter(i), expected[i]) << "F" << i;
}

TEST(UnitWrites, MalformedWriteKeepsTheOldValue)
{
    rixsim::Unit unit;
    EXPECT_EQ(unit.respond("$RSPF3XYZ"), "SPF3?\r\n");
    EXPECT_EQ(unit.respond("$RSPF31234567"), "SPF3?\r\n");
    EXPECT_EQ(unit.respond("$RSRF3"), "SRF30E28\r\n");
}

TEST(UnitWrites, IgnoredWriteToAnotherUnitChangesNothing)
{
    rixsim::Unit unit;
    EXPECT_EQ(unit.respond("$RAPF30E30"), "");
    EXPECT_EQ(unit.parameter(3), "0E28");
}

TEST(UnitAddress, WritingF0MovesTheUnitToTheNewDigit)
{
    rixsim::Unit unit;
    EXPECT_EQ(unit.addressDigit(), 'F');
    EXPECT_EQ(unit.respond("$RSPF0A011"), "SPF0A011\r\n");
    EXPECT_EQ(unit.addressDigit(), 'A');
    EXPECT_EQ(unit.respond("$RARF0"), "ARF0A011\r\n");
    EXPECT_EQ(unit.respond("$RFRF0"), "");
    EXPECT_EQ(unit.respond("$RSRF1"), "SRF10A00\r\n");
}

TEST(UnitAddress, WriteAddressedToOwnDigitAnswersWithThatDigit)
{
    rixsim::Unit unit;
    EXPECT_EQ(unit.respond("$RFPF03011"), "FPF03011\r\n");
    EXPECT_EQ(unit.respond("$R3E1"), "3E1\r\n");
    EXPECT_EQ(unit.respond("$RFE1"), "");
}

TEST(UnitAddress, LowerCaseHexDigitBecomesUpperCaseAddress)
{
    rixsim::Unit unit;
    unit.respond("$RSPF0b011");
    EXPECT_EQ(unit.addressDigit(), 'B');
    EXPECT_EQ(unit.respond("$RBQ"), "BQ\r\n");
    EXPECT_EQ(unit.respond("$RbQ"), "");
}

TEST(UnitEcho, AnsweredCommandIsSentBackFirst)
{
    rixsim::Unit unit(true);
    EXPECT_TRUE(unit.echo());
    EXPECT_EQ(unit.respond("$RSRF0"), "$RSRF0SRF0F011\r\n");
    EXPECT_EQ(unit.respond("$RSPF3XYZ"), "$RSPF3XYZSPF3?\r\n");
    EXPECT_EQ(unit.respond("$RStP60999"), "$RStP60999StP60999\r\n");
}

TEST(UnitEcho, IgnoredCommandIsNotEchoed)
{
    rixsim::Unit unit(true);
    EXPECT_EQ(unit.respond("$RARF0"), "");
    EXPECT_EQ(unit.respond("$RSXYZ"), "");
}

TEST(UnitEcho, CanBeSwitchedAtRunTime)
{
    rixsim::Unit unit;
    unit.setEcho(true);
    EXPECT_EQ(unit.respond("$RSQ"), "$RSQSQ\r\n");
    unit.setEcho(false);
    EXPECT_EQ(unit.respond("$RSQ"), "SQ\r\n");
}

TEST(UnitVersion, AnswersWithTheTextItWasGiven)
{
    rixsim::Unit unit(true);
    const std::string text(56, 'x');
    unit.setVersionText(text);
    EXPECT_EQ(unit.respond("$RSV"), "$RSVSV" + text + "\r\n");
    EXPECT_EQ(unit.versionText(), text);
}

TEST(UnitFaults, UnitThatIgnoresWritesAnswersThemButKeepsTheOldValue)
{
    rixsim::Unit unit;
    unit.setKeepsWrites(false);
    EXPECT_EQ(unit.respond("$RSPF30e3c"), "SPF30E3C\r\n");
    EXPECT_EQ(unit.respond("$RSRF3"), "SRF30E28\r\n");
}

TEST(UnitFaults, MutedParameterAnswersNeitherReadNorWriteOthersStillDo)
{
    rixsim::Unit unit;
    unit.setMuted(3, true);
    EXPECT_EQ(unit.respond("$RSRF3"), "");
    EXPECT_EQ(unit.respond("$RSPF30E3C"), "");
    EXPECT_EQ(unit.parameter(3), "0E28");
    EXPECT_EQ(unit.respond("$RSRF4"), "SRF40E0E\r\n");
}

TEST(UnitFaults, LateAnswersBringThePreviousReadsAnswerFirst)
{
    rixsim::Unit unit;
    unit.setLateAnswers(true);
    EXPECT_EQ(unit.respond("$RSRF0"), "SRF0F011\r\n");
    EXPECT_EQ(unit.respond("$RSRF1"), "SRF0F011\r\nSRF10A00\r\n");
    EXPECT_EQ(unit.respond("$RSPF20001"), "SPF20001\r\n") << "only reads run late";
    EXPECT_EQ(unit.respond("$RSRF2"), "SRF10A00\r\nSRF20001\r\n");
    unit.setEcho(true);
    EXPECT_EQ(unit.respond("$RSRF3"), "SRF20001\r\n$RSRF3SRF30E28\r\n");
}

TEST(UnitFaults, FallsSilentRightAfterAnsweringTheNthAcceptedWrite)
{
    rixsim::Unit unit;
    unit.setMuteAfterWrites(2);
    unit.setMuted(2, true);
    // Only a well-formed write that reaches a parameter of this unit counts.
    EXPECT_EQ(unit.respond("$RSPF30E30"), "SPF30E30\r\n");
    EXPECT_EQ(unit.respond("$RSRF3"), "SRF30E30\r\n");
    EXPECT_EQ(unit.respond("$RSPF3XYZ"), "SPF3?\r\n");
    EXPECT_EQ(unit.respond("$RAPF30E31"), "");
    EXPECT_EQ(unit.respond("$RSPF20E31"), "");
    EXPECT_EQ(unit.respond("$RSQ"), "SQ\r\n");
    EXPECT_EQ(unit.acceptedWrites(), 1);
    EXPECT_FALSE(unit.silent());

    EXPECT_EQ(unit.respond("$RFPF4abcd"), "FPF4ABCD\r\n");
    EXPECT_TRUE(unit.silent());
    for (const char *command : {"$RSRF4", "$RFRF0", "$RSV", "$RSQ", "$RSE1", "$RSPF4XYZ", "$RSPF51234"})
        EXPECT_EQ(unit.respond(command), "") << command;
}

TEST(UnitFaults, SilentUnitStillTakesTheWritesMeantForIt)
{
    rixsim::Unit unit(true);
    unit.setMuteAfterWrites(1);
    EXPECT_EQ(unit.respond("$RSPF1beef"), "$RSPF1beefSPF1BEEF\r\n");
    EXPECT_EQ(unit.respond("$RSPF5abcd"), "") << "neither echo nor answer";
    EXPECT_EQ(unit.respond("$RSPF6XYZ"), "");
    EXPECT_EQ(unit.respond("$RFPF0A011"), "");
    EXPECT_EQ(unit.respond("$RFPF30E30"), "") << "F is no longer its address";
    EXPECT_EQ(unit.respond("$RAPF41234"), "");
    const char *expected[] = {"A011", "BEEF", "1212", "0E28", "1234", "ABCD", "1010"};
    for (int i = 0; i < rixsim::Unit::parameterCount; ++i)
        EXPECT_EQ(unit.parameter(i), expected[i]) << "F" << i;
    EXPECT_EQ(unit.acceptedWrites(), 4);
}

} // namespace
