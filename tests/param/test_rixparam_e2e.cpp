// SPDX-License-Identifier: GPL-3.0-or-later
// rix-param as a technician runs it: the built program against a simulated unit on a
// pseudo-terminal. What reached the unit is read from the simulator's traffic log.

#include "rixparamfixture.h"

#include <chrono>
#include <filesystem>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using rixsim::TrafficEvent;
using Result = ParamResult;

TEST_F(RixParam, ReadAt19200AsksF0ToF6InOrderWithTheButtonPauseAndSavesTheSet)
{
    startUnit();
    const std::string path = (dir / "unit.txt").string();
    const Result r = run({"read", "-o", path});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(received(), sevenReads);
    EXPECT_TRUE(holdsFreshValues(contents(path))) << contents(path);
    EXPECT_NE(r.err.find("F3 … 0E28\n"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");

    // The button's 165 ms between one command and the next. The simulator stamps a command
    // when its thread has read it, which a busy machine delays by a few ms; without the pause
    // the gap would be the answer and its 20 ms of quiet, about 25 ms.
    std::vector<std::chrono::steady_clock::time_point> at;
    for (const auto &event : sim->log().snapshot())
        if (event.kind == TrafficEvent::Kind::Received)
            at.push_back(event.time);
    ASSERT_EQ(at.size(), 7u);
    for (std::size_t i = 1; i < at.size(); ++i)
        EXPECT_GE(at[i] - at[i - 1], 150ms) << "after F" << i - 1;
}

TEST_F(RixParam, ReadAt4800SkipsTheReturnedCommandAndQuietDropsProgress)
{
    startUnit(rixsim::Unit(true));
    const Result r = run({"read", "--baud", "4800", "--quiet"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(received(), sevenReads);
    EXPECT_TRUE(holdsFreshValues(r.out)) << r.out;
    EXPECT_NE(r.out.find("# F3 Vorlaufzeit"), std::string::npos) << r.out;
    EXPECT_EQ(r.err, "");
    // A write at 4800: the unit's copy of the write and its answer are dropped, the read-back
    // is cut by the same rules.
    const Result w = run({"write", file("set.txt", "F5=64D0\n"), "--yes", "--baud", "4800"});
    EXPECT_EQ(w.code, 0) << w.err;
    EXPECT_EQ(sim->transport().unit().parameter(5), "64D0");
    EXPECT_EQ(received().back(), "$RSRF5");
}

TEST_F(RixParam, ASaveThatCannotBeMadeIsExitTwoWithItsReasonAndLeavesNoFile)
{
    startUnit();
    const std::string missingDir = (dir / "nowhere" / "unit.txt").string();
    const Result r = run({"read", "--quiet", "-o", missingDir});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find(missingDir + ": nichts gespeichert. Den Ordner gibt es nicht."), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(missingDir));

    const Result onDir = run({"read", "--quiet", "-o", dir.string()});
    EXPECT_EQ(onDir.code, 2);
    EXPECT_NE(onDir.err.find("keine gewöhnliche Datei"), std::string::npos) << onDir.err;
    EXPECT_TRUE(received().empty()) << "the target is checked before the unit is asked";
}

TEST_F(RixParam, TheTimeoutIsHowLongTheSessionWaitsForAnAnswer)
{
    // Answers a second late: missed with a shorter wait, taken with a longer one.
    rixsim::TransportOptions late;
    late.answerDelay = 1000ms;
    startUnit(rixsim::Unit{}, late);
    const std::string set = file("set.txt", "F3=0E28\n");
    const Result shorter = run({"diff", set, "--quiet", "--timeout", "150"});
    EXPECT_EQ(shorter.code, 2) << shorter.err;
    EXPECT_NE(shorter.err.find("F3 antwortet nicht"), std::string::npos) << shorter.err;
    EXPECT_EQ(received(), (std::vector<std::string>{"$RSRF3", "$RSRF3", "$RSRF3"})) << "retry and the other rate";

    startUnit(rixsim::Unit{}, late);
    const Result longer = run({"diff", set, "--quiet", "--timeout", "1800"});
    EXPECT_EQ(longer.code, 0) << longer.err;
    EXPECT_EQ(received(), std::vector<std::string>{"$RSRF3"});
}

TEST_F(RixParam, AFileThatCannotBeReadIsSaidInGermanWithoutTheLogsEnglish)
{
    const std::string missing = (dir / "nofile.txt").string();
    const std::string german = "rix-param: " + missing + ": lässt sich nicht lesen. Die Datei oder den Ordner gibt es nicht.\n";
    EXPECT_EQ(run({"diff", missing}, false).err, german);
    EXPECT_EQ(run({"diff", missing, "--quiet"}, false).err, german);
    // The log's detail is there for whoever asks for it.
    rixsim::testing::ChildProcess asked("/bin/sh", {"-c", "QT_LOGGING_RULES=rix.file.warning=true exec \"$0\" \"$@\"",
                                                    RIXPARAM_PROGRAM, "diff", missing});
    const Result logged = finish(asked);
    EXPECT_NE(logged.err.find("rix.file: cannot read"), std::string::npos) << logged.err;
    EXPECT_NE(logged.err.find(german), std::string::npos) << logged.err;
}

TEST_F(RixParam, AnAnswerThatComesAfterThePauseIsStillTakenWhole)
{
    rixsim::TransportOptions late;
    late.answerDelay = 400ms;
    startUnit(rixsim::Unit{}, late);
    const Result r = run({"read", "--quiet"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(holdsFreshValues(r.out)) << r.out;
    EXPECT_EQ(received(), sevenReads) << "no retry was needed";
}

TEST_F(RixParam, DiffExitsZeroWhenEqualOneWithTheChangeTwoForABadFile)
{
    startUnit();
    const Result same = run({"diff", file("same.txt", freshSet)});
    EXPECT_EQ(same.code, 0) << same.err;
    EXPECT_EQ(same.out, "");

    const Result changed = run({"diff", file("changed.txt", "# Vorlaufzeit länger\nF3=0e3c\n")});
    EXPECT_EQ(changed.code, 1) << changed.err;
    EXPECT_NE(changed.out.find("F3: 0E28 → 0E3C (Vorlaufzeit)\n"), std::string::npos) << changed.out;
    EXPECT_NE(changed.out.find("200 ms"), std::string::npos) << changed.out;
    EXPECT_NE(changed.out.find("300 ms"), std::string::npos) << changed.out;
    EXPECT_EQ(changed.out.find("F1"), std::string::npos) << changed.out;

    const std::size_t before = received().size();
    const std::string bad = file("bad.txt", "F1=0A00\n\nF3=0E2\n");
    const Result broken = run({"diff", bad});
    EXPECT_EQ(broken.code, 2);
    EXPECT_NE(broken.err.find(bad + ":3: "), std::string::npos) << broken.err;
    EXPECT_EQ(received().size(), before) << "a bad file must not even open the line";

    const Result empty = run({"diff", file("empty.txt", "# nur ein Kommentar\n")});
    EXPECT_EQ(empty.code, 2) << "a file without parameters is no reason to say equal";
    EXPECT_EQ(received().size(), before);
}

TEST_F(RixParam, WriteSendsOnlyTheChangeWithTheWindowsBytesThenReadsItBack)
{
    startUnit();
    const Result r = run({"write", file("set.txt", freshSet.substr(0, 24) + "F3=0E3C\n"), "--yes"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(sim->transport().unit().parameter(3), "0E3C");
    const std::vector<std::string> expected = {"$RSRF0", "$RSRF1", "$RSRF2", "$RSRF3", "$RSPF30E3C", "$RSRF3"};
    EXPECT_EQ(received(), expected);
    EXPECT_NE(r.out.find("F3: 0E28 → 0E3C"), std::string::npos) << r.out;

    // The same file again: nothing differs, nothing is written.
    const Result again = run({"write", file("set.txt", "F3=0E3C\n"), "--yes"});
    EXPECT_EQ(again.code, 0) << again.err;
    EXPECT_EQ(received().back(), "$RSRF3");
    EXPECT_EQ(received().size(), expected.size() + 1);
}

TEST_F(RixParam, DryRunAMissingYesWithoutTerminalAndABadFileWriteNothing)
{
    startUnit();
    const std::string path = file("set.txt", "F1=0A10\nF3=0E3C\n");
    const Result dry = run({"write", path, "--dry-run"});
    EXPECT_EQ(dry.code, 0) << dry.err;
    EXPECT_NE(dry.out.find("F1: 0A00 → 0A10"), std::string::npos) << dry.out;
    EXPECT_NE(dry.out.find("F3: 0E28 → 0E3C"), std::string::npos) << dry.out;

    // Without a terminal it cannot ask: it says so before it asks the unit anything.
    const std::size_t readByDryRun = received().size();
    const Result unasked = run({"write", path});
    EXPECT_EQ(unasked.code, 2);
    EXPECT_NE(unasked.err.find("--yes"), std::string::npos) << unasked.err;
    EXPECT_EQ(received().size(), readByDryRun);

    const std::string bad = file("bad.txt", "F1=0A10\nF3=0E3C extra\n");
    const Result broken = run({"write", bad, "--yes"});
    EXPECT_EQ(broken.code, 2);
    EXPECT_EQ(broken.err, "rix-param: " + bad
                              + ":2: Wert „0E3C extra“ von F3 ist nicht vier Hexadezimalziffern (0-9, A-F). Nichts "
                                "geschrieben.\n");

    EXPECT_FALSE(anyWrite());
    EXPECT_EQ(sim->transport().unit().parameter(3), "0E28");
}

TEST_F(RixParam, AUnitThatDoesNotKeepAWriteEndsWithThreeNamingIt)
{
    rixsim::Unit unit;
    unit.setKeepsWrites(false);
    startUnit(std::move(unit));
    const Result r = run({"write", file("set.txt", "F2=1313\nF4=0E10\n"), "--yes", "--quiet"});
    EXPECT_EQ(r.code, 3) << r.err;
    EXPECT_NE(r.err.find("  F2: 1212 → 1313  geschrieben, nicht übernommen (zurückgelesen 1212)\n"), std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("  F4: 0E0E → 0E10  geschrieben, nicht übernommen (zurückgelesen 0E0E)\n"), std::string::npos)
        << r.err;
}

TEST_F(RixParam, AParameterThatNeverAnswersIsNamedAfterItsRetry)
{
    rixsim::Unit unit;
    unit.setMuted(3, true);
    startUnit(std::move(unit));
    const Result r = run({"read", "--quiet"});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("F3 antwortet nicht"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("--address"), std::string::npos) << "asked as S, every unit would answer";
    const std::vector<std::string> expected = {"$RSRF0", "$RSRF1", "$RSRF2", "$RSRF3", "$RSRF3"};
    EXPECT_EQ(received(), expected);
    EXPECT_EQ(r.out, "") << "no partial set";
}

TEST_F(RixParam, AnAddressNoUnitAnswersIsHintedAndTheTextThatCameIsQuotedReadably)
{
    rixsim::TransportOptions chatty;
    chatty.sendEvery = 50ms;
    chatty.sendEveryText = "Z12345\r\n";
    startUnit(rixsim::Unit{}, chatty);
    const Result r = run({"diff", file("set.txt", "F3=0E28\n"), "--quiet", "--address", "5", "--timeout", "400"});
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.err.rfind("rix-param: F3 antwortet nicht (auch nicht auf die Wiederholung von „$R5RF3“); es kam nur "
                          "anderer Text: „",
                          0),
              0u)
        << r.err;
    EXPECT_NE(r.err.find("\\r\\nZ12345\\r\\n"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("\xEF\xBF\xBD"), std::string::npos) << "no replacement character: " << r.err;
    const std::string hint = "; auch mit 4800 Baud keine Antwort. Hat die Einheit eine andere Adresse als 5? Bitte "
                             "--address prüfen (--address S erreicht jede Einheit).\n";
    EXPECT_TRUE(r.err.size() > hint.size() && r.err.compare(r.err.size() - hint.size(), hint.size(), hint) == 0) << r.err;
}

TEST_F(RixParam, AUnitThatNeverFallsQuietGivesItsAnswersAndDoesNotHoldItForEver)
{
    // The answers come between the flood's lines and are found there; a parameter that
    // does not answer ends the read after its retry, not after the minute of flood.
    rixsim::Unit unit;
    unit.setMuted(3, true);
    rixsim::TransportOptions flooding;
    flooding.paced = false;
    flooding.flood = 60s;
    startUnit(std::move(unit), std::move(flooding));
    const Result r = run({"read", "--quiet"});
    EXPECT_EQ(r.code, 2);
    const std::vector<std::string> expected = {"$RSRF0", "$RSRF1", "$RSRF2", "$RSRF3", "$RSRF3"};
    EXPECT_EQ(received(), expected) << "F0 to F2 answered at the first request";
    EXPECT_NE(r.err.find("F3 antwortet nicht"), std::string::npos) << r.err.substr(0, 300);
    EXPECT_NE(r.err.find("es kam nur anderer Text: „"), std::string::npos) << r.err.substr(0, 300);
    EXPECT_LT(r.err.size(), 300u) << "the unit's text is quoted short, not whole";
    EXPECT_LT(r.took, 20s);
}

TEST_F(RixParam, LineSettingsAreWrittenOnlyOnRequestAndLast)
{
    startUnit();
    const std::string path = file("set.txt", "F0=5011\nF3=0E3C\nF6=0010\n");
    // Without the option F0 and F6 still differ afterwards: exit 1, as diff would say.
    const Result without = run({"write", path, "--yes", "--quiet"});
    EXPECT_EQ(without.code, 1) << without.err;
    EXPECT_NE(without.out.find("F0 wird nur mit --include-line-settings geschrieben"), std::string::npos);
    EXPECT_NE(without.out.find("F0 und F6 weichen weiter ab"), std::string::npos) << without.out;
    EXPECT_EQ(sim->transport().unit().parameter(0), "F011");
    EXPECT_EQ(sim->transport().unit().parameter(6), "1010");

    const std::size_t before = received().size();
    const Result with = run({"write", path, "--yes", "--quiet", "--include-line-settings"});
    // F6's new rate cannot be read back at this rate: written, not confirmed.
    EXPECT_EQ(with.code, 3) << with.err;
    const std::vector<std::string> all = received();
    // F3 already holds its value now; F0 is read back under its new address, F6's rate
    // digit changed, so it is not read back.
    const std::vector<std::string> expected = {"$RSRF0", "$RSRF3", "$RSRF6", "$RSPF05011", "$R5RF0", "$RSPF60010"};
    EXPECT_EQ(std::vector<std::string>(all.begin() + long(before), all.end()), expected);
    EXPECT_NE(with.err.find("  F6: 1010 → 0010  geschrieben, nicht bestätigt (Zustand unbekannt)"), std::string::npos)
        << with.err;
    EXPECT_NE(with.err.find("neu verbinden"), std::string::npos) << with.err;
}

TEST_F(RixParam, AMissingOrBusyPortIsExitTwoWithTheWindowsReason)
{
    const Result r = run({"read", "--port", (dir / "ttyNOPE").string()}, false);
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("ist nicht vorhanden, oder wird von einer anderen Anwendung benutzt"), std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("gibt es nicht"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
    // Without --port never COM1: the one unit on a USB or ACM adapter, here none.
    const Result unnamed = run({"read"}, false);
    EXPECT_EQ(unnamed.code, 2);
    EXPECT_EQ(unnamed.err.rfind("rix-param: Ohne --port", 0), 0u) << unnamed.err;
    // A port another program holds: the lock the window takes is refused, nothing is sent.
    startUnit();
    const int holder = ::open(sim->path().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    const Result busy = run({"read"});
    ::close(holder);
    EXPECT_EQ(busy.code, 2);
    EXPECT_NE(busy.err.find("wird von einem anderen Programm benutzt"), std::string::npos) << busy.err;
    EXPECT_TRUE(received().empty());
}

} // namespace
