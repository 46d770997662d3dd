// SPDX-License-Identifier: GPL-3.0-or-later
// The parameter session both programs share, over a scripted unit: which kind of send each
// exchange is, the write plan's order, a stop between parameters, a read-back that never
// comes, and the messages for a silent unit and one at the other rate.

#include "support/fakechannel.h"
#include "support/waiting.h"
#include "unit/parameters/parametersession.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

// A unit behind the conversation: reads of Fn are answered from `values` (unless muted),
// writes are kept as the unit keeps them; every send is noted with the pause that followed
// it, which says which button's send it was ("R:" the F buttons' 165 ms, "W:" the send
// button's 275 ms).
class ScriptedUnit : public FakeSerialChannel {
public:
    explicit ScriptedUnit(Timeline &timeline) : FakeSerialChannel(timeline)
    {
        beforeWrite = [this](const QByteArray &command) { answer(command); };
    }
    QString values[7] = {"F011", "0A00", "1212", "0E28", "0E0E", "64C8", "1010"};
    int muteAfterWrites = -1;   // after this many writes nothing is answered
    bool echo = false;
    QByteArray before;   // sent in front of each answer

private:
    void answer(const QByteArray &command)
    {
        const int n = command.at(5) - '0';
        if (command.mid(3, 2) == "PF") {
            if (!silent()) {
                ++writes_;
                values[n] = QString::fromLatin1(command.mid(6, 4));
            }
            return;
        }
        if (!silent())
            receive(before + (echo ? command : QByteArray()) + command.mid(2, 1) + "RF" + QByteArray::number(n)
                    + values[n].toLatin1() + "\r\n");
    }
    bool silent() const { return muteAfterWrites >= 0 && writes_ >= muteAfterWrites; }
    int writes_ = 0;
};

// A conversation with the scripted unit; its pauses are over at once.
struct Bench {
    Timeline timeline;
    ScriptedUnit unit{timeline};
    RecordingPause pause{timeline};
    Conversation line{unit, &pause};
    Bench() { line.open({"COM7", "19200"}); }
    ParameterLine use()
    {
        LineTiming quick;
        quick.answerWaitMs = 0;
        return ParameterLine{line, quick};
    }
    // "R:$RSRF3" or "W:$RSPF30E3C", by the pause after each write.
    QStringList sent() const
    {
        QStringList sent;
        for (std::size_t i = 0; i + 1 < timeline.events.size(); ++i) {
            const std::string &e = timeline.events[i];
            if (e.rfind("write:", 0) == 0)
                sent << QString::fromStdString((timeline.events[i + 1] == "pause:165" ? "R:" : "W:") + e.substr(6));
        }
        return sent;
    }
};

ParameterSession::Read read(ParameterSession &session, int n)
{
    std::optional<ParameterSession::Read> read;
    session.read(n, [&](const ParameterSession::Read &r) { read = r; });
    EXPECT_TRUE(testsupport::waitUntil([&] { return read.has_value(); }));
    return read.value_or(ParameterSession::Read());
}

QString writeInOrder(std::vector<PlannedWrite> &plan, ParameterWriter &writer, const std::function<bool()> &stopAsked)
{
    PlanWrite write(plan, writer, stopAsked);
    std::optional<QString> failure;
    write.start([&](const QString &f) { failure = f; });
    EXPECT_TRUE(testsupport::waitUntil([&] { return failure.has_value(); }));
    plan = write.plan();
    return failure.value_or(QStringLiteral("not over"));
}

ParameterSet setOf(std::initializer_list<std::pair<int, const char *>> values)
{
    ParameterSet set;
    for (const auto &[n, value] : values)
        set.value[std::size_t(n)] = QString::fromLatin1(value);
    return set;
}

ParameterSet unitDefaults()
{
    return setOf({{0, "F011"}, {1, "0A00"}, {2, "1212"}, {3, "0E28"}, {4, "0E0E"}, {5, "64C8"}, {6, "1010"}});
}

} // namespace

TEST(ParameterSession, AReadIsAButtonsReadAndTakesTheAnswerAfterOtherText)
{
    Bench bench;
    bench.unit.before = "7RF30000\r\nStatus\r\n";
    // Another unit's answer naming F3 is not the answer of unit 5.
    ParameterSession session(bench.use(), QLatin1Char('5'), QStringLiteral("19200"));
    EXPECT_EQ(read(session, 3).value, QStringLiteral("0E28"));
    EXPECT_EQ(bench.sent(), QStringList{"R:$R5RF3"});
}

TEST(ParameterSession, ASilentParameterIsAskedTwiceNamedAndTheReadGoesOn)
{
    Bench bench;
    ParameterSession session(bench.use(), QLatin1Char('4'), QStringLiteral("19200"));
    EXPECT_EQ(read(session, 2).value, QStringLiteral("1212"));
    bench.unit.muteAfterWrites = 0;
    const ParameterSession::Read silent = read(session, 3);
    EXPECT_EQ(silent.value, std::nullopt);
    EXPECT_EQ(silent.noAnswer, QStringLiteral("F3 antwortet nicht (auch nicht auf die Wiederholung von „$R4RF3“)."));
    // After an answer no number of silent ones ends the read.
    EXPECT_EQ(read(session, 4).value, std::nullopt);
    EXPECT_EQ(read(session, 5).failure, QString());
    EXPECT_EQ(bench.sent(), (QStringList{"R:$R4RF2", "R:$R4RF3", "R:$R4RF3", "R:$R4RF4", "R:$R4RF4", "R:$R4RF5", "R:$R4RF5"}));
}

TEST(ParameterSession, TheFirstTwoSilentEndTheReadNamingBoth)
{
    Bench bench;
    bench.unit.muteAfterWrites = 0;
    ParameterSession session(bench.use(), QLatin1Char('4'), QStringLiteral("19200"));
    const ParameterSession::Read first = read(session, 0);
    EXPECT_EQ(first.value, std::nullopt);
    EXPECT_EQ(first.failure, QString()) << "one silent parameter ends nothing";
    EXPECT_EQ(read(session, 1).failure,
              QStringLiteral("F0 antwortet nicht (auch nicht auf die Wiederholung von „$R4RF0“).\n"
                             "F1 antwortet nicht (auch nicht auf die Wiederholung von „$R4RF1“)."));
    EXPECT_EQ(bench.sent(), (QStringList{"R:$R4RF0", "R:$R4RF0", "R:$R4RF1", "R:$R4RF1"}));
}

TEST(ParameterSession, AnAnswerAtTheOtherRateNamesIt)
{
    Bench bench;
    ParameterSession at4800(bench.use(), QLatin1Char('S'), QStringLiteral("4800"));
    EXPECT_EQ(read(at4800, 0).failure,
              QStringLiteral("F0: Die Einheit antwortet, sendet aber den Befehl nicht vorher zurück, wie sie es bei "
                             "4800 Baud tut: sie arbeitet wohl mit 19200 Baud, nicht mit 4800."));
    bench.unit.echo = true;
    EXPECT_EQ(read(at4800, 0).value, QStringLiteral("F011"));
}

TEST(ParameterSession, WritesPlainValuesThenF0ThenF6EachReadBackAndReportsThem)
{
    Bench bench;
    ParameterSession session(bench.use(), QLatin1Char('F'), QStringLiteral("19200"));
    const ParameterSet file = setOf({{6, "1011"}, {0, "E011"}, {3, "0e3c"}, {1, "0A00"}});
    std::vector<PlannedWrite> plan = makeWritePlan(file, unitDefaults(), true);
    EXPECT_EQ(writeInOrder(plan, session, [] { return false; }), QString());
    // F0 changes the address: its read-back and everything after it go to the new one.
    EXPECT_EQ(bench.sent(), (QStringList{"W:$RFPF30E3C", "R:$RFRF3", "W:$RFPF0E011", "R:$RERF0", "W:$REPF61011", "R:$RERF6"}));
    EXPECT_EQ(writeReport(plan), QStringLiteral("  F3: 0E28 → 0E3C  geschrieben und bestätigt\n"
                                                "  F0: F011 → E011  geschrieben und bestätigt\n"
                                                "  F6: 1010 → 1011  geschrieben und bestätigt\n"));
}

TEST(ParameterSession, AskedAsSF0IsReadBackAsSAfterANewAddress)
{
    Bench bench;
    ParameterSession session(bench.use(), QLatin1Char('S'), QStringLiteral("19200"));
    std::vector<PlannedWrite> plan = makeWritePlan(setOf({{0, "3011"}, {6, "1011"}}), unitDefaults(), true);
    EXPECT_EQ(writeInOrder(plan, session, [] { return false; }), QString());
    EXPECT_EQ(bench.sent(), (QStringList{"W:$RSPF03011", "R:$RSRF0", "W:$RSPF61011", "R:$RSRF6"}));
    EXPECT_EQ(plan[0].state, PlannedWrite::State::Confirmed);
}

TEST(ParameterSession, AStopOrASilentReadBackEndsTheWriteAndTheReportSaysWhatReachedTheUnit)
{
    Bench bench;
    ParameterSession session(bench.use(), QLatin1Char('S'), QStringLiteral("19200"));
    const ParameterSet file = setOf({{1, "0A10"}, {3, "0E3C"}, {6, "2010"}});
    ReportNotes notes;
    notes.leftOut = QStringLiteral("ausgelassen");
    notes.newRate = QStringLiteral("neu verbinden");

    std::vector<PlannedWrite> stopped = makeWritePlan(file, unitDefaults(), false);
    int asked = 0;
    EXPECT_EQ(writeInOrder(stopped, session, [&asked] { return ++asked > 1; }), QString());
    EXPECT_EQ(writeReport(stopped, notes), QStringLiteral("  F1: 0A00 → 0A10  geschrieben und bestätigt\n"
                                                          "  F3: 0E28 → 0E3C  nicht geschrieben\n"
                                                          "  F6: 1010 → 2010  ausgelassen\n"));

    bench.unit.muteAfterWrites = 1;   // the unit takes the next write and says nothing more
    std::vector<PlannedWrite> cut = makeWritePlan(file, setOf({{1, "0A10"}, {3, "0E28"}, {6, "1010"}}), true);
    EXPECT_EQ(writeInOrder(cut, session, [] { return false; }),
              QStringLiteral("F3 antwortet nach dem Schreiben nicht, auch nicht auf die Wiederholung."));
    EXPECT_EQ(writeReport(cut, notes), QStringLiteral("  F3: 0E28 → 0E3C  geschrieben, nicht bestätigt (Zustand unbekannt)\n"
                                                      "  F6: 1010 → 2010  nicht geschrieben\n"));
}

TEST(ParameterSession, AChangeInWordsNamesTheUnitsValueAndTheFilesValue)
{
    // The unit is the „Einheit“, in the question before a write as everywhere else.
    EXPECT_EQ(changeText(3, QStringLiteral("0E28"), QStringLiteral("0E3C")),
              QStringLiteral("F3: 0E28 → 0E3C (Vorlaufzeit)\n"
                             "    Einheit: 3.,4. Stelle = 0x28 = 40 × 5 ms = 200 ms\n"
                             "    Datei:   3.,4. Stelle = 0x3C = 60 × 5 ms = 300 ms\n"));
}
