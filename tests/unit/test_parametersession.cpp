// SPDX-License-Identifier: GPL-3.0-or-later
// The parameter session both programs share, over a scripted link: which kind of send each
// exchange is, the write plan's order, a stop between parameters, a read-back that never
// comes, and the messages for a silent unit and one at the other rate.

#include "unit/parameters/parametersession.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

// A unit behind a link: reads of Fn are answered from `values` (unless muted), writes are
// kept and answered as the unit does; every send is noted with its kind.
class ScriptedLink : public SessionLink {
public:
    QStringList sent;   // "R:$RSRF3" (a button's read) or "W:$RSPF30E3C" (the send button's write)
    QString values[7] = {"F011", "0A00", "1212", "0E28", "0E0E", "64C8", "1010"};
    int muteAfterWrites = -1;   // after this many writes nothing is answered
    bool echo = false;
    QByteArray before;   // sent in front of each answer

    void writeRequest(const QByteArray &command) override
    {
        sent << QStringLiteral("R:") + QString::fromLatin1(command);
        const int n = command.at(5) - '0';
        if (!silent())
            incoming_ += before + (echo ? command : QByteArray()) + command.mid(2, 1) + "RF" + QByteArray::number(n)
                         + values[n].toLatin1() + "\r\n";
    }
    void writeCommand(const QByteArray &command) override
    {
        sent << QStringLiteral("W:") + QString::fromLatin1(command);
        if (silent())
            return;
        ++writes_;
        values[command.at(5) - '0'] = QString::fromLatin1(command.mid(6, 4));
    }
    QByteArray take() override { return std::exchange(incoming_, QByteArray()); }
    void waitForBytes(int) override {}

private:
    bool silent() const { return muteAfterWrites >= 0 && writes_ >= muteAfterWrites; }
    QByteArray incoming_;
    int writes_ = 0;
};

LineTiming quick()
{
    LineTiming timing;
    timing.settleMs = 0;
    timing.buttonPauseMs = 0;
    timing.sendPauseMs = 0;
    timing.answerWaitMs = 0;
    return timing;
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
    ScriptedLink link;
    link.before = "7RF30000\r\nStatus\r\n";
    UnitLine line(link, quick());
    // Another unit's answer naming F3 is not the answer of unit 5.
    ParameterSession session(line, QLatin1Char('5'), QStringLiteral("19200"));
    EXPECT_EQ(session.read(3).value, QStringLiteral("0E28"));
    EXPECT_EQ(link.sent, QStringList{"R:$R5RF3"});
}

TEST(ParameterSession, ASilentParameterIsAskedTwiceNamedAndTheReadGoesOn)
{
    ScriptedLink link;
    UnitLine line(link, quick());
    ParameterSession session(line, QLatin1Char('4'), QStringLiteral("19200"));
    EXPECT_EQ(session.read(2).value, QStringLiteral("1212"));
    link.muteAfterWrites = 0;
    const ParameterSession::Read silent = session.read(3);
    EXPECT_EQ(silent.value, std::nullopt);
    EXPECT_EQ(silent.noAnswer, QStringLiteral("F3 antwortet nicht (auch nicht auf die Wiederholung von „$R4RF3“)."));
    // After an answer no number of silent ones ends the read.
    EXPECT_EQ(session.read(4).value, std::nullopt);
    EXPECT_EQ(session.read(5).value, std::nullopt);
    EXPECT_EQ(link.sent, (QStringList{"R:$R4RF2", "R:$R4RF3", "R:$R4RF3", "R:$R4RF4", "R:$R4RF4", "R:$R4RF5", "R:$R4RF5"}));
}

TEST(ParameterSession, TheFirstTwoSilentEndTheReadNamingBoth)
{
    ScriptedLink link;
    link.muteAfterWrites = 0;
    UnitLine line(link, quick());
    ParameterSession session(line, QLatin1Char('4'), QStringLiteral("19200"));
    EXPECT_EQ(session.read(0).value, std::nullopt);
    try {
        session.read(1);
        FAIL() << "no failure";
    } catch (const SessionFailure &failure) {
        EXPECT_EQ(failure.message, QStringLiteral("F0 antwortet nicht (auch nicht auf die Wiederholung von „$R4RF0“).\n"
                                                  "F1 antwortet nicht (auch nicht auf die Wiederholung von „$R4RF1“)."));
    }
    EXPECT_EQ(link.sent, (QStringList{"R:$R4RF0", "R:$R4RF0", "R:$R4RF1", "R:$R4RF1"}));
}

TEST(ParameterSession, AnAnswerAtTheOtherRateNamesIt)
{
    ScriptedLink link;
    UnitLine line(link, quick());
    ParameterSession at4800(line, QLatin1Char('S'), QStringLiteral("4800"));
    try {
        at4800.read(0);
        FAIL() << "no failure";
    } catch (const SessionFailure &failure) {
        EXPECT_EQ(failure.message,
                  QStringLiteral("F0: Die Einheit antwortet, sendet aber den Befehl nicht vorher zurück, wie sie es bei "
                                 "4800 Baud tut: sie arbeitet wohl mit 19200 Baud, nicht mit 4800."));
    }
    link.echo = true;
    EXPECT_EQ(at4800.read(0).value, QStringLiteral("F011"));
}

TEST(ParameterSession, WritesPlainValuesThenF0ThenF6EachReadBackAndReportsThem)
{
    ScriptedLink link;
    UnitLine line(link, quick());
    ParameterSession session(line, QLatin1Char('F'), QStringLiteral("19200"));
    const ParameterSet file = setOf({{6, "1011"}, {0, "E011"}, {3, "0e3c"}, {1, "0A00"}});
    std::vector<PlannedWrite> plan = makeWritePlan(file, unitDefaults(), true);
    EXPECT_EQ(writeInOrder(plan, session, [] { return false; }), QString());
    // F0 changes the address: its read-back and everything after it go to the new one.
    EXPECT_EQ(link.sent, (QStringList{"W:$RFPF30E3C", "R:$RFRF3", "W:$RFPF0E011", "R:$RERF0", "W:$REPF61011", "R:$RERF6"}));
    EXPECT_EQ(writeReport(plan), QStringLiteral("  F3: 0E28 → 0E3C  geschrieben und bestätigt\n"
                                                "  F0: F011 → E011  geschrieben und bestätigt\n"
                                                "  F6: 1010 → 1011  geschrieben und bestätigt\n"));
}

TEST(ParameterSession, AskedAsSF0IsReadBackAsSAfterANewAddress)
{
    ScriptedLink link;
    UnitLine line(link, quick());
    ParameterSession session(line, QLatin1Char('S'), QStringLiteral("19200"));
    std::vector<PlannedWrite> plan = makeWritePlan(setOf({{0, "3011"}, {6, "1011"}}), unitDefaults(), true);
    EXPECT_EQ(writeInOrder(plan, session, [] { return false; }), QString());
    EXPECT_EQ(link.sent, (QStringList{"W:$RSPF03011", "R:$RSRF0", "W:$RSPF61011", "R:$RSRF6"}));
    EXPECT_EQ(plan[0].state, PlannedWrite::State::Confirmed);
}

TEST(ParameterSession, AStopOrASilentReadBackEndsTheWriteAndTheReportSaysWhatReachedTheUnit)
{
    ScriptedLink link;
    UnitLine line(link, quick());
    ParameterSession session(line, QLatin1Char('S'), QStringLiteral("19200"));
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

    link.muteAfterWrites = 1;   // the unit takes the next write and says nothing more
    std::vector<PlannedWrite> cut = makeWritePlan(file, setOf({{1, "0A10"}, {3, "0E28"}, {6, "1010"}}), true);
    EXPECT_EQ(writeInOrder(cut, session, [] { return false; }),
              QStringLiteral("F3 antwortet nach dem Schreiben nicht, auch nicht auf die Wiederholung."));
    EXPECT_EQ(writeReport(cut, notes), QStringLiteral("  F3: 0E28 → 0E3C  geschrieben, nicht bestätigt (Zustand unbekannt)\n"
                                                      "  F6: 1010 → 2010  nicht geschrieben\n"));
}
