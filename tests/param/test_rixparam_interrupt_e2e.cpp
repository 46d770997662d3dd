// SPDX-License-Identifier: GPL-3.0-or-later
// A write that is cut short says exactly what reached the unit: after Ctrl-C, a kill, a
// closed session or a closed standard output it finishes the parameter on the line, writes
// nothing more, reports every parameter and ends as the signal says; a lost line or a unit
// that falls silent stops it the same way.

#include "rixparamfixture.h"

#include <atomic>
#include <csignal>
#include <thread>

namespace {

using namespace std::chrono_literals;
using rixsim::TrafficEvent;
using rixsim::testing::ChildProcess;

const std::string fiveChanges = "F1=0A10\nF2=1313\nF3=0E3C\nF4=0E10\nF5=64D0\n";
const std::string twoConfirmedThreeNotWritten =
    "  F1: 0A00 → 0A10  geschrieben und bestätigt\n"
    "  F2: 1212 → 1313  geschrieben und bestätigt\n"
    "  F3: 0E28 → 0E3C  nicht geschrieben\n"
    "  F4: 0E0E → 0E10  nicht geschrieben\n"
    "  F5: 64C8 → 64D0  nicht geschrieben\n";

class InterruptedWrite : public RixParam {
protected:
    // A unit that calls `act` with rix-param's process when it receives its n-th parameter write.
    void startUnitActingOnWrite(int n, std::function<void(ChildProcess &)> act, rixsim::Unit unit = rixsim::Unit{})
    {
        rixsim::TransportOptions options;
        options.onEvent = [this, n, act = std::move(act)](const TrafficEvent &event) {
            if (event.kind == TrafficEvent::Kind::Received && event.bytes.find("PF") != std::string::npos
                && ++writesSeen == n && child.load())
                act(*child.load());
        };
        startUnit(std::move(unit), std::move(options));
    }
    ParamResult writeFiveChanges()
    {
        auto process = start({"write", file("set.txt", fiveChanges), "--yes"});
        child = process.get();
        ParamResult result = finish(*process);
        child = nullptr;
        return result;
    }
    // The commands the unit received after its n-th parameter write.
    std::vector<std::string> receivedAfterWrite(int n) const
    {
        const std::vector<std::string> all = received();
        int seen = 0;
        for (std::size_t i = 0; i < all.size(); ++i)
            if (all[i].find("PF") != std::string::npos && ++seen == n)
                return std::vector<std::string>(all.begin() + long(i) + 1, all.end());
        return {};
    }
    bool unitHolds(const std::vector<std::string> &values) const
    {
        for (int n = 1; n <= 5; ++n)
            if (sim->transport().unit().parameter(n) != values[std::size_t(n - 1)])
                return false;
        return true;
    }

    std::atomic<int> writesSeen{0};
    std::atomic<ChildProcess *> child{nullptr};
};

TEST_F(InterruptedWrite, CtrlCDuringTheSecondWriteFinishesItReportsEachParameterAndEndsBySigint)
{
    startUnitActingOnWrite(2, [](ChildProcess &p) { p.signal(SIGINT); });
    const ParamResult r = writeFiveChanges();
    EXPECT_EQ(r.signal, SIGINT) << r.err;
    EXPECT_EQ(writes(), (std::vector<std::string>{"$RSPF10A10", "$RSPF21313"}));
    EXPECT_EQ(receivedAfterWrite(2), std::vector<std::string>{"$RSRF2"}) << "its read-back, and nothing after it";
    EXPECT_NE(r.err.find("rix-param: SIGINT (Strg+C) empfangen.\n"
                         "Schreiben abgebrochen, danach nichts mehr geschrieben. Stand der Einheit:\n"
                         + twoConfirmedThreeNotWritten),
              std::string::npos)
        << r.err;
    EXPECT_TRUE(unitHolds({"0A10", "1313", "0E28", "0E0E", "64C8"}));
}

TEST_F(InterruptedWrite, AKillOrAClosedSessionStopsItTheSameWay)
{
    for (const int signal : {SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        writesSeen = 0;
        startUnitActingOnWrite(2, [signal](ChildProcess &p) { p.signal(signal); });
        const ParamResult r = writeFiveChanges();
        EXPECT_EQ(r.signal, signal) << r.err;
        EXPECT_EQ(writes().size(), 2u);
        EXPECT_NE(r.err.find(twoConfirmedThreeNotWritten), std::string::npos) << r.err;
    }
}

TEST_F(InterruptedWrite, TheFirstCtrlCIsAnsweredAtOnceWhileASilentUnitKeepsTheReadBackWaiting)
{
    // The read-back and its retry wait 2 × 1.5 s for a unit that has stopped answering;
    // the user learns at once what is being finished.
    rixsim::Unit stops;
    stops.setMuteAfterWrites(1);
    startUnitActingOnWrite(1, [](ChildProcess &p) { p.signal(SIGINT); }, std::move(stops));
    auto process = start({"write", file("set.txt", fiveChanges), "--yes", "--timeout", "1500"});
    child = process.get();
    std::string line;
    while (line.rfind("rix-param:", 0) != 0 && !(line = process->readStderrLine(20s)).empty()) {
    }
    EXPECT_EQ(line, "rix-param: SIGINT (Strg+C): F1 wird noch fertig geschrieben und zurückgelesen, danach wird "
                    "nichts mehr geschrieben.");
    EXPECT_FALSE(process->waitForExit(0ms).has_value());
    EXPECT_EQ(process->endSignal(), 0) << "still finishing F1 when it said so";

    const ParamResult r = finish(*process);
    child = nullptr;
    EXPECT_EQ(r.signal, SIGINT) << r.err;
    EXPECT_EQ(receivedAfterWrite(1), (std::vector<std::string>{"$RSRF1", "$RSRF1"})) << "F1 was finished";
    EXPECT_NE(r.err.find("  F1: 0A00 → 0A10  geschrieben, nicht bestätigt (Zustand unbekannt)\n"
                         "  F2: 1212 → 1313  nicht geschrieben\n"),
              std::string::npos)
        << r.err;
}

TEST_F(InterruptedWrite, ASecondCtrlCPrintsTheReportAtOnceAndEnds)
{
    startUnitActingOnWrite(2, [](ChildProcess &p) {
        p.signal(SIGINT);
        std::this_thread::sleep_for(50ms);
        p.signal(SIGINT);
    });
    const ParamResult r = writeFiveChanges();
    EXPECT_EQ(r.signal, SIGINT);
    EXPECT_EQ(writes().size(), 2u);
    EXPECT_TRUE(receivedAfterWrite(2).empty()) << "ended in the write's pause, before its read-back";
    const std::string report = "rix-param: zweites Signal, SIGINT (Strg+C): sofort beendet, ohne F2 zurückzulesen.\n"
                               "Schreiben abgebrochen, danach nichts mehr geschrieben. Stand der Einheit:\n"
                               "  F1: 0A00 → 0A10  geschrieben und bestätigt\n"
                               "  F2: 1212 → 1313  geschrieben, nicht bestätigt (Zustand unbekannt)\n"
                               "  F3: 0E28 → 0E3C  nicht geschrieben\n"
                               "  F4: 0E0E → 0E10  nicht geschrieben\n"
                               "  F5: 64C8 → 64D0  nicht geschrieben\n";
    EXPECT_TRUE(r.err.size() >= report.size() && r.err.compare(r.err.size() - report.size(), report.size(), report) == 0)
        << r.err;
    EXPECT_TRUE(unitHolds({"0A10", "1313", "0E28", "0E0E", "64C8"}));
}

TEST_F(InterruptedWrite, AClosedStandardOutputStopsItLikeSigpipe)
{
    // A pipeline's reader that has had enough (`| head`) goes away during the first write.
    startUnitActingOnWrite(1, [](ChildProcess &p) { p.closeStdout(); });
    const ParamResult r = writeFiveChanges();
    EXPECT_EQ(r.signal, SIGPIPE) << r.err;
    EXPECT_EQ(writes(), std::vector<std::string>{"$RSPF10A10"});
    EXPECT_NE(r.err.find("SIGPIPE (Standardausgabe geschlossen) empfangen."), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("  F1: 0A00 → 0A10  geschrieben und bestätigt\n"
                         "  F2: 1212 → 1313  nicht geschrieben\n"),
              std::string::npos)
        << r.err;
}

TEST_F(InterruptedWrite, ALostLineSaysWhatWasWrittenBeforeIt)
{
    rixsim::TransportOptions hangsUp;
    hangsUp.hangupAfterWrites = 2;
    startUnit(rixsim::Unit{}, hangsUp);
    const ParamResult r = writeFiveChanges();
    EXPECT_EQ(r.code, 2) << r.err;
    EXPECT_EQ(writes().size(), 2u);
    EXPECT_NE(r.err.find("verloren"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("  F1: 0A00 → 0A10  geschrieben und bestätigt\n"
                         "  F2: 1212 → 1313  geschrieben, nicht bestätigt (Zustand unbekannt)\n"
                         "  F3: 0E28 → 0E3C  nicht geschrieben\n"),
              std::string::npos)
        << r.err;
}

TEST_F(InterruptedWrite, AUnitThatFallsSilentAfterTheFirstWriteIsNotWrittenBlind)
{
    rixsim::Unit stops;
    stops.setMuteAfterWrites(1);
    startUnit(std::move(stops));
    auto process = start({"write", file("set.txt", fiveChanges), "--yes", "--timeout", "500"});
    const ParamResult r = finish(*process);
    EXPECT_EQ(r.code, 2) << r.err;
    EXPECT_EQ(writes(), std::vector<std::string>{"$RSPF10A10"});
    EXPECT_EQ(receivedAfterWrite(1), (std::vector<std::string>{"$RSRF1", "$RSRF1"})) << "the read-back and its retry";
    EXPECT_NE(r.err.find("F1 antwortet nach dem Schreiben nicht, auch nicht auf die Wiederholung."), std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("  F1: 0A00 → 0A10  geschrieben, nicht bestätigt (Zustand unbekannt)\n"
                         "  F2: 1212 → 1313  nicht geschrieben\n"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(r.err.find("nicht übernommen"), std::string::npos) << "its state is not known";
}

} // namespace
