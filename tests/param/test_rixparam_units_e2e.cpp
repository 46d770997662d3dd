// SPDX-License-Identifier: GPL-3.0-or-later
// rix-param on several units at once (--port given more than once): every unit on its own
// line with its own session, its lines prefixed with its port, its own report, the worst
// unit's exit code; one unit pulled mid-write, one silent; a signal that every unit obeys.

#include "rixparamfixture.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <thread>

namespace {

using namespace std::chrono_literals;
using Result = ParamResult;
using rixsim::TrafficEvent;

const std::string fiveChanges = "F1=0A10\nF2=1313\nF3=0E3C\nF4=0E10\nF5=64D0\n";

std::vector<std::string> portArguments(std::vector<std::string> arguments,
                                       const std::vector<const rixsim::BackgroundSimulator *> &units)
{
    for (const auto *unit : units) {
        arguments.push_back("--port");
        arguments.push_back(unit->path());
    }
    return arguments;
}

// The lines of `text` that begin with `port` + ": ", without it.
std::string linesOf(const std::string &text, const std::string &port)
{
    std::string mine;
    const std::string prefix = port + ": ";
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find('\n', at);
        const std::string line = text.substr(at, end - at);
        if (line.rfind(prefix, 0) == 0)
            mine += line.substr(prefix.size()) + "\n";
        at = end == std::string::npos ? text.size() : end + 1;
    }
    return mine;
}

rixsim::TransportOptions silentLine()
{
    rixsim::TransportOptions options;
    options.unitRate = 9600;   // hears only noise at 19200
    return options;
}

TEST_F(RixParam, WriteToFourUnitsOnePulledMidWriteOneSilentEachWithItsOwnReport)
{
    auto &first = addUnit();
    rixsim::TransportOptions pulled;
    pulled.hangupAfterWrites = 2;
    auto &second = addUnit(rixsim::Unit{}, pulled);
    auto &silent = addUnit(rixsim::Unit{}, silentLine());
    auto &fourth = addUnit();
    const Result r = run(portArguments({"write", file("set.txt", fiveChanges), "--yes", "--timeout", "300"},
                                       {&first, &second, &silent, &fourth}),
                         false);
    EXPECT_EQ(r.code, 2) << r.err;

    for (auto *unit : {&first, &fourth}) {
        EXPECT_EQ(unit->transport().unit().parameter(5), "64D0");
        const std::string out = linesOf(r.out, unit->path());
        EXPECT_EQ(out.rfind("F1: 0A00 → 0A10 (", 0), 0u) << out;
        EXPECT_NE(out.find("\nGeschrieben und zurückgelesen: 5 Wert(e).\n"), std::string::npos) << out;
    }
    const std::string pulledOut = linesOf(r.err, second.path());
    EXPECT_NE(pulledOut.find("verloren"), std::string::npos) << pulledOut;
    EXPECT_NE(pulledOut.find("  F1: 0A00 → 0A10  geschrieben und bestätigt\n"
                             "  F2: 1212 → 1313  geschrieben, nicht bestätigt (Zustand unbekannt)\n"
                             "  F3: 0E28 → 0E3C  nicht geschrieben\n"),
              std::string::npos)
        << pulledOut;
    for (const std::string &command : receivedBy(silent))
        EXPECT_EQ(command.find("PF"), std::string::npos) << "a unit that did not answer is not written";
    EXPECT_NE(linesOf(r.err, silent.path()).find("rix-param: F1 antwortet nicht"), std::string::npos) << r.err;
    EXPECT_EQ(linesOf(r.err, first.path()).find("rix-param"), std::string::npos) << r.err;
}

TEST_F(RixParam, ReadOfSeveralUnitsIntoAFolderIsOneFileEachNamedAfterPortAndAddress)
{
    rixsim::Unit three;
    three.setAddressDigit('3');
    auto &first = addUnit();
    auto &second = addUnit(three);
    const std::string folder = dir.string() + "/";
    const Result r = run(portArguments({"read", "-o", folder}, {&first, &second}), false);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "");
    const auto name = [](const rixsim::BackgroundSimulator &unit, const std::string &address) {
        std::string port = unit.path().substr(5);   // /dev/pts/N → pts/N → pts_N
        std::replace(port.begin(), port.end(), '/', '_');
        return port + "-" + address + ".txt";
    };
    const std::string firstFile = contents(folder + name(first, "F"));
    const std::string secondFile = contents(folder + name(second, "3"));
    EXPECT_TRUE(holdsFreshValues(firstFile)) << firstFile;
    EXPECT_NE(secondFile.find("\nF0=3011\n"), std::string::npos) << secondFile;
    EXPECT_NE(secondFile.find("# Schnittstelle: " + second.path() + "\n"), std::string::npos) << secondFile;
    EXPECT_NE(linesOf(r.err, second.path()).find("F0 … 3011\n"), std::string::npos) << r.err;
    EXPECT_NE(linesOf(r.err, first.path()).find("Parametersatz in " + folder + name(first, "F") + " gespeichert.\n"),
              std::string::npos)
        << r.err;

    // A script's list of ports may hold one: the folder takes its one file all the same.
    const std::string alone = dir.string() + "/alone/";
    std::filesystem::create_directory(alone);
    const Result one = run(portArguments({"read", "-o", alone}, {&second}), false);
    ASSERT_EQ(one.code, 0) << one.err;
    EXPECT_NE(contents(alone + name(second, "3")).find("\nF0=3011\n"), std::string::npos) << one.err;
}

TEST_F(RixParam, DiffOfSeveralUnitsAsJsonIsTheWorstUnitsExitCode)
{
    auto &same = addUnit();
    rixsim::Unit changed;
    changed.setAddressDigit('7');
    auto &other = addUnit(changed);
    const Result r = run(portArguments({"diff", file("set.txt", "F0=F011\nF3=0E28\n"), "--json", "--quiet"}, {&same, &other}),
                         false);
    EXPECT_EQ(r.code, 1) << r.err;
    EXPECT_EQ(r.out, "[\n  {\"changes\":[],\"exit\":0,\"messages\":[],\"port\":\"" + same.path()
                         + "\",\"signal\":null},\n  {\"changes\":[{\"file\":\"F011\",\"parameter\":\"F0\",\"unit\":\"7011\"}],"
                           "\"exit\":1,\"messages\":[],\"port\":\""
                         + other.path() + "\",\"signal\":null}\n]\n");
}

TEST_F(RixParam, WriteToSeveralUnitsNeedsYes)
{
    auto &one = addUnit();
    auto &two = addUnit();
    const Result r = run(portArguments({"write", file("set.txt", fiveChanges)}, {&one, &two}), false);
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.err, "rix-param: write an mehrere Einheiten nur mit --yes oder --dry-run. (--help zeigt die Aufrufe)\n");
    EXPECT_TRUE(receivedBy(one).empty());
}

TEST_F(RixParam, CtrlCWhileSeveralUnitsAreWrittenHasEachFinishItsParameterAndReport)
{
    std::atomic<rixsim::testing::ChildProcess *> child{nullptr};
    std::atomic<int> writesSeen{0};
    rixsim::TransportOptions interrupts;
    interrupts.onEvent = [&](const TrafficEvent &event) {
        if (event.kind == TrafficEvent::Kind::Received && event.bytes.find("PF") != std::string::npos
            && ++writesSeen == 2 && child.load())
            child.load()->signal(SIGINT);
    };
    auto &first = addUnit(rixsim::Unit{}, interrupts);
    rixsim::TransportOptions slow;
    slow.answerDelay = 150ms;
    auto &second = addUnit(rixsim::Unit{}, slow);
    auto process = start(portArguments({"write", file("set.txt", fiveChanges), "--yes"}, {&first, &second}), false);
    child = process.get();
    const Result r = finish(*process);
    child = nullptr;
    EXPECT_EQ(r.signal, SIGINT) << r.err;
    const std::string firstErr = linesOf(r.err, first.path());
    EXPECT_NE(firstErr.find("rix-param: SIGINT (Strg+C): F2 wird noch fertig geschrieben und zurückgelesen"),
              std::string::npos)
        << r.err;
    EXPECT_NE(firstErr.find("  F2: 1212 → 1313  geschrieben und bestätigt\n"
                            "  F3: 0E28 → 0E3C  nicht geschrieben\n"),
              std::string::npos)
        << r.err;
    // The slower unit stops after the parameter on its line too, and reports.
    const std::string secondErr = linesOf(r.err, second.path());
    EXPECT_NE(secondErr.find("SIGINT (Strg+C) empfangen."), std::string::npos) << r.err;
    EXPECT_NE(secondErr.find("  F5: 64C8 → 64D0  nicht geschrieben\n"), std::string::npos) << r.err;
    EXPECT_EQ(second.transport().unit().parameter(5), "64C8");
}

TEST_F(RixParam, ASecondCtrlCPrintsEveryUnitsReportAtOnceAndEnds)
{
    // Both signals come once each unit has taken its first write, whose read-back neither
    // answers: whatever the machine's load, both are then on that parameter and stay on it
    // for seconds (a unit that answered could be done before the second signal, one that
    // lagged could still be reading at the first).
    std::atomic<rixsim::testing::ChildProcess *> child{nullptr};
    std::atomic<int> writesSeen{0};
    rixsim::TransportOptions interrupts;
    interrupts.onEvent = [&](const TrafficEvent &event) {
        if (event.kind == TrafficEvent::Kind::Received && event.bytes.find("PF") != std::string::npos
            && ++writesSeen == 2 && child.load()) {
            child.load()->signal(SIGINT);
            std::this_thread::sleep_for(50ms);
            child.load()->signal(SIGINT);
        }
    };
    rixsim::Unit stillOnF1;
    stillOnF1.setMuteAfterWrites(1);
    auto &first = addUnit(stillOnF1, interrupts);
    auto &second = addUnit(stillOnF1, interrupts);
    auto process = start(portArguments({"write", file("set.txt", fiveChanges), "--yes"}, {&first, &second}), false);
    child = process.get();
    const Result r = finish(*process);
    child = nullptr;
    EXPECT_EQ(r.signal, SIGINT) << r.err;
    for (const auto *unit : {&first, &second}) {
        const std::string err = linesOf(r.err, unit->path());
        EXPECT_NE(err.find("rix-param: zweites Signal, SIGINT (Strg+C): sofort beendet"), std::string::npos) << r.err;
        EXPECT_NE(err.find("Schreiben abgebrochen, danach nichts mehr geschrieben. Stand der Einheit:\n"), std::string::npos)
            << r.err;
        EXPECT_NE(err.find("  F5: 64C8 → 64D0  nicht geschrieben\n"), std::string::npos) << r.err;
    }
}

TEST_F(RixParam, ASecondCtrlCWithJsonPrintsEveryUnitsObjectBeforeItEnds)
{
    // A script that reads the JSON learns what was written, also when the user insisted.
    std::atomic<rixsim::testing::ChildProcess *> child{nullptr};
    std::atomic<int> writesSeen{0};
    rixsim::TransportOptions interrupts;
    interrupts.onEvent = [&](const TrafficEvent &event) {
        if (event.kind == TrafficEvent::Kind::Received && event.bytes.find("PF") != std::string::npos
            && ++writesSeen == 2 && child.load()) {
            child.load()->signal(SIGINT);
            std::this_thread::sleep_for(50ms);
            child.load()->signal(SIGINT);
        }
    };
    auto &first = addUnit(rixsim::Unit{}, interrupts);
    auto &second = addUnit();
    auto process = start(portArguments({"write", file("set.txt", fiveChanges), "--yes", "--json"}, {&first, &second}), false);
    child = process.get();
    const Result r = finish(*process);
    child = nullptr;
    EXPECT_EQ(r.signal, SIGINT) << r.err;
    ASSERT_EQ(r.out.rfind("[\n  {", 0), 0u) << "out: " << r.out << "\nerr: " << r.err;
    EXPECT_EQ(r.out.substr(r.out.size() - 4), "}\n]\n") << r.out;
    for (const auto *unit : {&first, &second})
        EXPECT_NE(r.out.find("\"port\":\"" + unit->path() + "\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("{\"file\":\"0A10\",\"parameter\":\"F1\",\"state\":\"geschrieben und bestätigt\",\"unit\":\"0A00\"},"
                         "{\"file\":\"1313\",\"parameter\":\"F2\",\"state\":\"geschrieben, nicht bestätigt (Zustand "
                         "unbekannt)\",\"unit\":\"1212\"}"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("\"exit\":2"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"signal\":\"SIGINT (Strg+C)\""), std::string::npos) << r.out;
    EXPECT_NE(linesOf(r.err, first.path()).find("rix-param: zweites Signal, SIGINT (Strg+C): sofort beendet"), std::string::npos)
        << r.err;
}

} // namespace
