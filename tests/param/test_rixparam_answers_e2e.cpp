// SPDX-License-Identifier: GPL-3.0-or-later
// rix-param reads each value from the answer that names the parameter asked: against a
// slow unit, a chatty one, one with a stale or late answer on the line, and one at the
// wrong rate, whose user is told which --baud to use. And its command line as people use it.

#include "rixparamfixture.h"

#include <filesystem>

namespace {

using namespace std::chrono_literals;

TEST_F(RixParam, AUnitThatAnswersOneAndAHalfSecondsLateIsReadExactly)
{
    rixsim::TransportOptions slow;
    slow.answerDelay = 1500ms;
    startUnit(rixsim::Unit{}, slow);
    const ParamResult r = run({"read", "--quiet"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(holdsFreshValues(r.out)) << r.out;
    EXPECT_EQ(received(), sevenReads) << "no read needed its retry";
}

TEST_F(RixParam, UnaskedTextEvery150MsDoesNotDisturbAnyRead)
{
    rixsim::TransportOptions chatty;
    chatty.sendEvery = 150ms;
    chatty.sendEveryText = "Z12345\r\n";
    startUnit(rixsim::Unit{}, chatty);
    for (int run = 0; run < 3; ++run) {
        const ParamResult r = this->run({"read", "--quiet"});
        ASSERT_EQ(r.code, 0) << "run " << run << ": " << r.err;
        EXPECT_TRUE(holdsFreshValues(r.out)) << r.out;
    }
    EXPECT_EQ(received().size(), 21u) << "no read needed its retry";
}

TEST_F(RixParam, AStaleAnswerWaitingWhenTheLineOpensIsNotTaken)
{
    rixsim::TransportOptions stale;
    stale.sendOnOpen = "SRF0AAAA\r\nSRF1BBBB\r\n";
    startUnit(rixsim::Unit{}, stale);
    const ParamResult r = run({"read", "--quiet"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(holdsFreshValues(r.out)) << r.out;
}

TEST_F(RixParam, ALateAnswerToTheRequestBeforeIsNotTakenForTheNextParameter)
{
    // Each answer comes right after the previous read's answer: taken first-come, every
    // value would be the parameter's before it, as with a unit slower than the wait.
    rixsim::Unit late;
    late.setLateAnswers(true);
    startUnit(std::move(late));
    const ParamResult r = run({"read", "--quiet"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(holdsFreshValues(r.out)) << r.out;
    EXPECT_EQ(received(), sevenReads);
}

TEST_F(RixParam, AnAnswerThatDoesNotFitTheRateNamesTheOtherBaud)
{
    // The unit sends each command back, as only at 4800, on a line set to 19200.
    startUnit(rixsim::Unit(true));
    const ParamResult echo = run({"read", "--quiet"});
    EXPECT_EQ(echo.code, 2);
    EXPECT_NE(echo.err.find("sendet aber jeden Befehl vorher zurück"), std::string::npos) << echo.err;
    EXPECT_NE(echo.err.find("Bitte mit --baud 4800 aufrufen."), std::string::npos) << echo.err;
    EXPECT_EQ(echo.out, "");

    // And a unit that sends nothing back, on a line set to 4800.
    startUnit();
    const ParamResult none = run({"read", "--quiet", "--baud", "4800"});
    EXPECT_EQ(none.code, 2);
    EXPECT_NE(none.err.find("sendet aber den Befehl nicht vorher zurück"), std::string::npos) << none.err;
    EXPECT_NE(none.err.find("Bitte mit --baud 19200 aufrufen."), std::string::npos) << none.err;
}

TEST_F(RixParam, AUnitThatAnswersOnlyAtTheOtherRateIsFoundThereWithAReadOnly)
{
    rixsim::TransportOptions at4800;
    at4800.unitRate = 4800;
    startUnit(rixsim::Unit(true), at4800);
    const ParamResult r = run({"diff", file("set.txt", "F3=0E3C\n"), "--quiet", "--timeout", "400"});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("F3 antwortet nicht mit 19200 Baud, aber mit 4800 Baud. Bitte mit --baud 4800 aufrufen."),
              std::string::npos)
        << r.err;
    const std::vector<std::string> expected = {"$RSRF3", "$RSRF3", "$RSRF3"};
    EXPECT_EQ(received(), expected) << "the read, its retry, and once at the other rate";
}

TEST_F(RixParam, VersionHelpAndStandardOutputAsPeopleExpect)
{
    const ParamResult version = run({"--version"}, false);
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out.rfind("rix-param ", 0), 0u) << version.out;
    EXPECT_EQ(version.err, "");
    const ParamResult alsoVersion = run({"read", "--version"}, false);
    EXPECT_EQ(alsoVersion.out, version.out);

    const ParamResult wrongCommand = run({"read", "--yes"}, false);
    EXPECT_EQ(wrongCommand.code, 2);
    EXPECT_EQ(wrongCommand.err, "rix-param: --yes gilt nur für write. (--help zeigt die Aufrufe)\n");

    startUnit();
    ASSERT_FALSE(std::filesystem::exists("-"));
    const ParamResult toOut = run({"read", "-o", "-", "--quiet"});
    EXPECT_EQ(toOut.code, 0) << toOut.err;
    EXPECT_TRUE(holdsFreshValues(toOut.out)) << toOut.out;
    EXPECT_FALSE(std::filesystem::exists("-")) << "no file named -";
}

} // namespace
