// SPDX-License-Identifier: GPL-3.0-or-later
#include "rixsim/programoptions.h"
#include "rixsim/unitgroups.h"

#include <gtest/gtest.h>

namespace {

using Action = rixsim::ParsedArguments::Action;
using std::chrono::milliseconds;

rixsim::ParsedArguments parse(std::vector<std::string> arguments)
{
    return rixsim::parseArguments(arguments);
}

TEST(ProgramOptions, NoArgumentsRunsWithDefaults)
{
    const auto parsed = parse({});
    ASSERT_EQ(parsed.action, Action::Run);
    EXPECT_FALSE(parsed.options.echo);
    EXPECT_EQ(parsed.options.answerDelay, milliseconds(0));
    EXPECT_EQ(parsed.options.splitGap, milliseconds(0));
    EXPECT_EQ(parsed.options.flood, milliseconds(0));
    EXPECT_FALSE(parsed.options.hangupAfter.has_value());
    EXPECT_EQ(rixsim::transportOptionsFor(parsed.options).hangupAfterWrites, 0);
    EXPECT_FALSE(parsed.options.device.has_value());
    EXPECT_FALSE(parsed.options.link.has_value());
    EXPECT_EQ(parsed.options.baud, 19200);
    EXPECT_EQ(parsed.options.sendAtStart, "");
    EXPECT_EQ(rixsim::transportOptionsFor(parsed.options).sendOnOpen, "");
    EXPECT_TRUE(parsed.options.paced);
    EXPECT_EQ(parsed.options.sendEvery, milliseconds(0));
    EXPECT_FALSE(parsed.options.versionText.has_value());
    EXPECT_TRUE(rixsim::transportOptionsFor(parsed.options).paced);
    EXPECT_EQ(rixsim::unitFor(parsed.options).versionText(), rixsim::Unit::defaultVersionText);
}

TEST(ProgramOptions, FaultOptionsReachTheUnit)
{
    const auto parsed = parse({"--ignore-writes", "--mute", "F3", "--mute=f5", "--mute-after-writes", "3", "--late-answers"});
    ASSERT_EQ(parsed.action, Action::Run) << parsed.error;
    rixsim::Unit unit = rixsim::unitFor(parsed.options);
    EXPECT_FALSE(unit.keepsWrites());
    EXPECT_TRUE(unit.lateAnswers());
    EXPECT_TRUE(unit.muted(3));
    EXPECT_TRUE(unit.muted(5));
    EXPECT_FALSE(unit.muted(4));
    EXPECT_EQ(unit.muteAfterWrites(), 3);
    EXPECT_TRUE(rixsim::unitFor(parse({}).options).keepsWrites());
    EXPECT_EQ(rixsim::unitFor(parse({}).options).muteAfterWrites(), 0);
    EXPECT_EQ(parse({"--mute", "F7"}).action, Action::Error);
    EXPECT_EQ(parse({"--mute", "3"}).action, Action::Error);
}

TEST(ProgramOptions, EveryOptionReachesItsField)
{
    const auto parsed = parse({"--echo", "--delay", "50", "--split-ms=40", "--send", "HI\\r\\n", "--flood", "1.5",
                               "--hangup-after", "0.25", "--hangup-after-writes", "5", "--device", "/dev/ttyUSB0",
                               "--baud", "4800", "--link", "/tmp/rix0", "--unit-baud=4800", "--text-lines", "40,5,3000"});
    ASSERT_EQ(parsed.action, Action::Run) << parsed.error;
    const auto &o = parsed.options;
    EXPECT_TRUE(o.echo);
    EXPECT_EQ(o.answerDelay, milliseconds(50));
    EXPECT_EQ(o.splitGap, milliseconds(40));
    EXPECT_EQ(o.sendAtStart, "HI\r\n");
    EXPECT_EQ(o.flood, milliseconds(1500));
    EXPECT_EQ(o.hangupAfter, milliseconds(250));
    EXPECT_EQ(o.hangupAfterWrites, 5);
    EXPECT_EQ(o.device, "/dev/ttyUSB0");
    EXPECT_EQ(o.baud, 4800);
    EXPECT_EQ(o.link, "/tmp/rix0");
    EXPECT_EQ(o.unitBaud, 4800);
    EXPECT_EQ(o.textLines.lines, 40);
    EXPECT_EQ(o.textLines.gap, milliseconds(5));
    EXPECT_EQ(o.textLines.period, milliseconds(3000));

    const auto t = rixsim::transportOptionsFor(o);
    EXPECT_EQ(t.answerDelay, milliseconds(50));
    EXPECT_EQ(t.splitGap, milliseconds(40));
    EXPECT_EQ(t.sendAtStart, "HI\r\n");
    EXPECT_EQ(t.flood, milliseconds(1500));
    EXPECT_EQ(t.hangupAfter, milliseconds(250));
    EXPECT_EQ(t.hangupAfterWrites, 5);
    EXPECT_EQ(t.unitRate, 4800);
    EXPECT_EQ(t.textLines.lines, 40);
    EXPECT_EQ(t.quietGap, milliseconds(10));
}

TEST(ProgramOptions, PacingRepeatedTextAndVersionText)
{
    const auto parsed = parse({"--no-pace", "--send-every", "250", "PING\\r\\n", "--version-text=V\\x41 2", "--echo",
                               "--send-on-open", "SRF0\\x46011\\r\\n"});
    ASSERT_EQ(parsed.action, Action::Run) << parsed.error;
    const auto &o = parsed.options;
    EXPECT_FALSE(o.paced);
    EXPECT_EQ(o.sendEvery, milliseconds(250));
    EXPECT_EQ(o.sendEveryText, "PING\r\n");
    EXPECT_EQ(o.versionText, "VA 2");
    EXPECT_EQ(o.sendOnOpen, "SRF0F011\r\n");

    const auto t = rixsim::transportOptionsFor(o);
    EXPECT_FALSE(t.paced);
    EXPECT_EQ(t.sendEvery, milliseconds(250));
    EXPECT_EQ(t.sendEveryText, "PING\r\n");
    EXPECT_EQ(t.sendOnOpen, "SRF0F011\r\n");
    rixsim::Unit unit = rixsim::unitFor(o);
    EXPECT_EQ(unit.respond("$RSV"), "$RSVSVVA 2\r\n");

    const auto withEquals = parse({"--send-every=40", "X"});
    ASSERT_EQ(withEquals.action, Action::Run) << withEquals.error;
    EXPECT_EQ(withEquals.options.sendEvery, milliseconds(40));
    EXPECT_EQ(withEquals.options.sendEveryText, "X");
}

TEST(ProgramOptions, TheReplayAndItsChoices)
{
    const auto defaults = parse({"--replay", "mitschnitt.txt", "--echo"});
    ASSERT_EQ(defaults.action, Action::Run) << defaults.error;
    EXPECT_EQ(defaults.options.replayFile, std::optional<std::string>("mitschnitt.txt"));
    EXPECT_EQ(rixsim::transportOptionsFor(defaults.options).replayMismatch, rixsim::Replay::OnMismatch::Silent);
    EXPECT_FALSE(rixsim::transportOptionsFor(defaults.options).replayEndStops);
    EXPECT_FALSE(parse({}).options.replayFile.has_value());

    const auto chosen = parse({"--replay=m.txt", "--replay-mismatch", "unit", "--replay-end=stop"});
    ASSERT_EQ(chosen.action, Action::Run) << chosen.error;
    EXPECT_EQ(rixsim::transportOptionsFor(chosen.options).replayMismatch, rixsim::Replay::OnMismatch::Unit);
    EXPECT_TRUE(rixsim::transportOptionsFor(chosen.options).replayEndStops);
    EXPECT_EQ(parse({"--replay", "m", "--replay-mismatch", "stop"}).options.replayMismatch,
              rixsim::Replay::OnMismatch::Stop);
    EXPECT_EQ(parse({"--replay", "m", "--replay-end", "silent"}).options.replayEndStops, false);

    EXPECT_EQ(parse({"--replay-end", "stop"}).error, "option --replay-end needs --replay");
    EXPECT_EQ(parse({"--replay", "m", "--flood", "1"}).error, "option --replay cannot be combined with --flood");
    EXPECT_EQ(parse({"--send-every", "100", "X", "--replay", "m"}).error,
              "option --replay cannot be combined with --send-every");
    EXPECT_EQ(parse({"--replay", "m", "--hangup-after", "1"}).action, Action::Error);
    EXPECT_EQ(parse({"--replay", "m", "--replay-mismatch", "loud"}).error, "bad value for --replay-mismatch: 'loud'");
    EXPECT_EQ(parse({"--replay", "m", "--replay-end", "later"}).action, Action::Error);
    EXPECT_EQ(parse({"--replay", ""}).action, Action::Error);
}

TEST(ProgramOptions, WholeSecondsAndFractions)
{
    EXPECT_EQ(parse({"--flood", "3"}).options.flood, milliseconds(3000));
    EXPECT_EQ(parse({"--flood", "0.05"}).options.flood, milliseconds(50));
    EXPECT_EQ(parse({"--hangup-after", "0"}).options.hangupAfter, milliseconds(0));
}

TEST(ProgramOptions, HelpAndVersion)
{
    EXPECT_EQ(parse({"--help"}).action, Action::Help);
    EXPECT_EQ(parse({"--version"}).action, Action::Version);
    EXPECT_EQ(parse({"--version", "--help"}).action, Action::Help);
    EXPECT_EQ(rixsim::programVersion, "rix-sim 1.0.0");
    const std::string usage = rixsim::usageText();
    for (const char *option : {"--echo", "--delay", "--split-ms", "--send", "--flood", "--hangup-after", "--device",
                               "--baud", "--link", "--help", "--version", "--no-pace", "--send-every",
                               "--version-text", "--mute-after-writes", "--hangup-after-writes",
                               "--send-on-open", "--unit-baud", "--late-answers", "--replay", "--replay-mismatch",
                               "--replay-end"})
        EXPECT_NE(usage.find(option), std::string::npos) << option;
}

TEST(ProgramOptions, BadCommandLinesAreErrorsWithOneLine)
{
    const std::vector<std::vector<std::string>> bad = {
        {"--bogus"},          {"-x"},           {"file"},
        {"--delay"},          {"--delay", "-5"}, {"--delay", "5ms"},
        {"--delay", ""},      {"--delay", "1.5"}, {"--split-ms", "x"},
        {"--flood", "abc"},   {"--flood", "1."}, {"--flood", ".5"},
        {"--flood", "-1"},    {"--flood", "0.0001"}, {"--hangup-after", "1e3"},
        {"--delay", "99999999999999999999"}, {"--baud", "0"}, {"--baud", "fast"},
        {"--send", "bad\\q"}, {"--send", "\\x4"}, {"--send", "tail\\"},
        {"--device", ""},     {"--link="},      {"--echo=yes"},
        {"--no-pace=yes"},    {"--send-every"}, {"--send-every", "100"},
        {"--send-every", "0", "X"}, {"--send-every", "x", "X"}, {"--send-every", "100", ""},
        {"--send-every", "100", "bad\\q"}, {"--send-every=", "X"}, {"--version-text"},
        {"--version-text", "\\x4"}, {"--mute-after-writes", "0"}, {"--mute-after-writes", "2.5"},
        {"--mute-after-writes", "-1"}, {"--mute-after-writes"}, {"--hangup-after-writes", "0"},
        {"--hangup-after-writes", "0.5"}, {"--hangup-after-writes=x"}, {"--send-on-open"},
        {"--send-on-open", "bad\\q"}, {"--unit-baud", "0"}, {"--unit-baud", "fast"}, {"--unit-baud"},
        {"--text-lines", "40,5"}, {"--text-lines", "0,5,100"}, {"--text-lines", "40,5,0"}, {"--text-lines", "40,,100"},
        {"--address", "G"}, {"--address", "S"}, {"--address", "12"}, {"--address", ""},
    };
    for (const auto &arguments : bad) {
        const auto parsed = parse(arguments);
        EXPECT_EQ(parsed.action, Action::Error) << arguments.front() << (arguments.size() > 1 ? " " + arguments[1] : "");
        EXPECT_FALSE(parsed.error.empty());
        EXPECT_EQ(parsed.error.find('\n'), std::string::npos);
    }
}

TEST(ProgramOptions, ErrorNamesTheOffendingArgument)
{
    EXPECT_NE(parse({"--bogus"}).error.find("--bogus"), std::string::npos);
    EXPECT_NE(parse({"--delay", "x7"}).error.find("x7"), std::string::npos);
    EXPECT_NE(parse({"--flood"}).error.find("--flood"), std::string::npos);
}

TEST(ProgramOptions, EscapesInSendText)
{
    EXPECT_EQ(rixsim::resolveEscapes("A\\x00B\\x7f\\\\\\t"), std::string("A\0B\x7F\\\t", 6));
    EXPECT_EQ(rixsim::resolveEscapes("plain $RSRF0"), "plain $RSRF0");
    EXPECT_FALSE(rixsim::resolveEscapes("\\xZZ").has_value());
    EXPECT_FALSE(rixsim::resolveEscapes("\\").has_value());
}

} // namespace

TEST(ProgramOptions, AddressBecomesTheFirstDigitOfF0)
{
    const auto parsed = parse({"--address", "b"});
    ASSERT_EQ(parsed.action, Action::Run) << parsed.error;
    const rixsim::Unit unit = rixsim::unitFor(parsed.options);
    EXPECT_EQ(unit.addressDigit(), 'B');
    EXPECT_EQ(unit.parameter(0), "B011");
    EXPECT_EQ(rixsim::unitFor(parse({}).options).parameter(0), "F011");
}

TEST(UnitGroups, EachAndStartsAnotherUnitWithItsOwnOptions)
{
    const auto parsed = rixsim::parseUnits({"--link", "/tmp/a", "--and", "--echo", "--address", "5", "--link", "/tmp/b"});
    ASSERT_EQ(parsed.action, Action::Run) << parsed.error;
    ASSERT_EQ(parsed.units.size(), 2U);
    EXPECT_EQ(parsed.units[0].link, "/tmp/a");
    EXPECT_FALSE(parsed.units[0].echo);
    EXPECT_EQ(parsed.units[1].link, "/tmp/b");
    EXPECT_TRUE(parsed.units[1].echo);
    EXPECT_EQ(parsed.units[1].address, '5');
    EXPECT_EQ(rixsim::parseUnits({}).units.size(), 1U);
}

TEST(UnitGroups, RefusalsNameTheUnit)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> bad = {
        {{"--and"}, "unit 1: no options before or after --and"},
        {{"--echo", "--and"}, "unit 2: no options before or after --and"},
        {{"--echo", "--and", "--delay", "x"}, "unit 2: bad value for --delay: 'x'"},
        {{"--link", "/tmp/a", "--and", "--link", "/tmp/a"}, "unit 2: /tmp/a is already another unit's"},
    };
    for (const auto &[arguments, error] : bad) {
        const auto parsed = rixsim::parseUnits(arguments);
        EXPECT_EQ(parsed.action, Action::Error);
        EXPECT_EQ(parsed.error, error);
        EXPECT_TRUE(parsed.units.empty());
    }
    EXPECT_EQ(rixsim::parseUnits({"--echo", "--and", "--help"}).action, Action::Help);
}
