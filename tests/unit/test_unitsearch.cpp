// SPDX-License-Identifier: GPL-3.0-or-later
// The search for a unit of unknown setting, over scripted ports: what it asks at which
// rate, what it takes as an answer (the command sent back at 4800, another rate's noise,
// no answer, another address, a busy port, a late answer, an answer in pieces) and what it
// says about each port.

#include "support/waiting.h"
#include "unit/errors.h"
#include "unit/line/serialchannel.h"
#include "unit/search/unitsearch.h"

#include <QElapsedTimer>
#include <QTimer>
#include <gtest/gtest.h>

#include <cerrno>
#include <map>
#include <memory>

namespace {

using testsupport::waitUntil;

// What a port answers: for each rate, each command's answer (none when missing).
struct Script {
    std::map<QString, std::map<QByteArray, QByteArray>> answers;   // rate → command → bytes
    int openFailure = 0;                                             // errno the open fails with
    int answerAfterMs = 1;                                           // from the command to its answer
    std::map<QByteArray, QByteArray> continued;   // command → bytes that follow its answer 5 ms later
    QStringList written;                          // "19200:$RSV"
    std::vector<qint64> writtenAtMs;              // when, on the search's clock
    QElapsedTimer clock;
};

// A port whose answers come from a script, from the event loop as a real port's do. An
// answer asked for at one rate still comes after the port was opened at the other, as a
// late unit's does.
class ScriptedChannel : public SerialChannel {
public:
    explicit ScriptedChannel(Script &script) : script_(script)
    {
        if (!script_.clock.isValid())
            script_.clock.start();
    }
    void open(const PortSettings &settings) override
    {
        if (script_.openFailure != 0)
            throw PortOpenError(script_.openFailure, settings.portName.toStdString() + " geht nicht");
        rate_ = settings.baudText;
        open_ = true;
    }
    void write(const QByteArray &bytes) override
    {
        script_.written << rate_ + QLatin1Char(':') + QString::fromLatin1(bytes);
        script_.writtenAtMs.push_back(script_.clock.elapsed());
        const QByteArray answer = script_.answers[rate_][bytes];
        if (answer.isEmpty())
            return;
        arrive(answer, script_.answerAfterMs);
        if (script_.continued.count(bytes) != 0)
            arrive(script_.continued[bytes], script_.answerAfterMs + 5);
    }
    QByteArray takeAvailable() override { return std::exchange(incoming_, QByteArray()); }
    void onBytesArrived(std::function<void()> handler) override { arrived_ = std::move(handler); }
    std::optional<std::uint32_t> modemStatus() override { return std::nullopt; }
    void close() override { open_ = false; }
    void closeAll() override { open_ = false; }
    bool isOpen() const override { return open_; }

private:
    void arrive(const QByteArray &bytes, int afterMs)
    {
        QTimer::singleShot(afterMs, &notifier_, [this, bytes] {
            if (!open_)
                return;
            incoming_ += bytes;
            if (arrived_)
                arrived_();
        });
    }

    Script &script_;
    QString rate_;
    bool open_ = false;
    QByteArray incoming_;
    std::function<void()> arrived_;
    QObject notifier_;
};

// Short waits, so that a silent port does not hold the tests for its 2 × 2 s.
search::Timing quick()
{
    search::Timing timing;
    timing.settleMs = 0;
    timing.answerWaitMs = 250;
    return timing;
}

// Searches the ports of `scripts`, named P0, P1, …, and gives each port's outcome.
QList<search::PortOutcome> outcomes(std::vector<Script> &scripts, search::Timing timing = quick())
{
    QStringList ports;
    for (std::size_t i = 0; i < scripts.size(); ++i)
        ports << QStringLiteral("P%1").arg(i);
    std::size_t next = 0;
    search::UnitSearch unitSearch(ports, [&] { return std::make_unique<ScriptedChannel>(scripts.at(next++)); }, timing);
    unitSearch.start();
    EXPECT_TRUE(waitUntil([&] { return unitSearch.isFinished(); }, std::chrono::seconds(15)));
    return unitSearch.outcomes();
}

QStringList searched(std::vector<Script> &scripts, search::Timing timing = quick())
{
    QStringList lines;
    for (const search::PortOutcome &outcome : outcomes(scripts, timing))
        lines << search::outcomeLine(outcome);
    return lines;
}

const QByteArray v = "$RSV";
const QByteArray f0 = "$RSRF0";

struct Row {
    const char *what;
    Script script;
    const char *line;
    QStringList written;
};

} // namespace

TEST(UnitSearch, EachKindOfAnswerGivesItsLineAndAsksOnlyWhatReads)
{
    const QStringList fastAsked{"19200:$RSV", "19200:$RSRF0"};
    const QStringList bothRates{"19200:$RSV", "4800:$RSV"};
    const QStringList slowAsked{"19200:$RSV", "4800:$RSV", "4800:$RSRF0"};
    std::vector<Row> rows = {
        {"a unit at 19200", {{{"19200", {{v, "SVRIX 2.1\r\n"}, {f0, "SRF0F011\r\n"}}}}},
         "P0: 19200 Baud, Adresse F, Version „RIX 2.1“", fastAsked},
        {"a unit at 4800 with its echo",
         {{{"4800", {{v, "$RSVSVRIX 2.1\r\n"}, {f0, "$RSRF0SRF05011\r\n"}}}}},
         "P0: 4800 Baud, Adresse 5, Version „RIX 2.1“", slowAsked},
        {"a unit at the other rate: noise at 19200, the answer at 4800",
         {{{"19200", {{v, "\xF8\x80\x00\xFE"}}}, {"4800", {{v, "$RSVSVRIX\r\n"}, {f0, "$RSRF0SRF03A00\r\n"}}}}},
         "P0: 4800 Baud, Adresse 3, Version „RIX“", slowAsked},
        {"no answer at either rate", {},
         "P0: keine Einheit gefunden (keine Antwort mit 19200 und mit 4800 Baud)", bothRates},
        {"only noise", {{{"19200", {{v, "\x81\x80"}}}, {"4800", {{v, "\r\n"}}}}},
         "P0: keine Einheit gefunden (keine Antwort mit 19200 und mit 4800 Baud; es kam nur anderer Text: "
         "„\\x81€\\r\\n“)",
         bothRates},
        {"a unit that answers with its own address, not S",
         {{{"19200", {{v, "7VRIX\r\n"}, {f0, "7RF07A00\r\n"}}}}}, "P0: 19200 Baud, Adresse 7, Version „RIX“",
         fastAsked},
        {"another unit's F1 is no address",
         {{{"19200", {{v, "SVRIX\r\n"}, {f0, "SRF1F011\r\n"}}}}},
         "P0: 19200 Baud, Adresse unbekannt (F0 ohne Antwort), Version „RIX“", fastAsked},
        {"the command sent back at 19200",
         {{{"19200", {{v, "$RSVSVRIX\r\n"}, {f0, "$RSRF0SRF0C011\r\n"}}}}},
         "P0: 19200 Baud, Adresse C, Version „RIX“ (die Einheit sendet den Befehl bei 19200 Baud zurück, wie "
         "sonst nur bei 4800)",
         fastAsked},
        {"the version sent back alone is no answer", {{{"19200", {{v, "$RSV"}}}}},
         "P0: keine Einheit gefunden (keine Antwort mit 19200 und mit 4800 Baud; es kam nur anderer Text: "
         "„$RSV“)",
         bothRates},
        {"a port that is not there", {{}, ENOENT}, "P0: nicht nutzbar (P0 geht nicht)", {}},
    };
    for (Row &row : rows) {
        std::vector<Script> scripts{row.script};
        EXPECT_EQ(searched(scripts), QStringList{QString::fromUtf8(row.line)}) << row.what;
        EXPECT_EQ(scripts[0].written, row.written) << row.what;
    }
}

TEST(UnitSearch, APortAnotherProgramHoldsIsSkippedAsBusyWhicheverWayTheSystemSaysSo)
{
    // A flock held elsewhere (EWOULDBLOCK), a device another program opened exclusively (EBUSY).
    for (const int number : {EWOULDBLOCK, EBUSY}) {
        std::vector<Script> scripts(1);
        scripts[0].openFailure = number;
        const QList<search::PortOutcome> found = outcomes(scripts);
        ASSERT_EQ(found.size(), 1);
        EXPECT_EQ(search::outcomeLine(found.at(0)), QStringLiteral("P0: übersprungen, belegt (P0 geht nicht)")) << number;
        EXPECT_EQ(search::outcomeJson(found.at(0)), R"({"busy":true,"found":false,"port":"P0","reason":"P0 geht nicht"})")
            << number;
        EXPECT_TRUE(scripts[0].written.isEmpty());
    }
}

TEST(UnitSearch, APortTheCallerHoldsIsNamedBusyAndNeverOpened)
{
    std::vector<Script> scripts(1);
    scripts[0].answers["19200"][v] = "SVRIX\r\n";
    std::size_t made = 0;
    search::UnitSearch unitSearch(
        {QStringLiteral("/dev/ttyUSB0")}, [&] { ++made; return std::make_unique<ScriptedChannel>(scripts[0]); },
        quick(), {QStringLiteral("/dev/ttyUSB0")});
    unitSearch.start();
    ASSERT_TRUE(waitUntil([&] { return unitSearch.isFinished(); }));
    EXPECT_EQ(search::outcomeLine(unitSearch.outcomes().at(0)),
              QStringLiteral("/dev/ttyUSB0: übersprungen, belegt (/dev/ttyUSB0 ist in diesem Fenster verbunden)"));
    EXPECT_EQ(made, 0u);
    EXPECT_TRUE(scripts[0].written.isEmpty());
}

TEST(UnitSearch, F0GoesOutNoSoonerThanTheWindowsPauseAfterTheVersion)
{
    std::vector<Script> scripts(1);
    scripts[0].answers["19200"] = {{v, "SVRIX\r\n"}, {f0, "SRF0F011\r\n"}};
    EXPECT_EQ(searched(scripts), QStringList{QStringLiteral("P0: 19200 Baud, Adresse F, Version „RIX“")});
    ASSERT_EQ(scripts[0].writtenAtMs.size(), 2u);
    EXPECT_GE(scripts[0].writtenAtMs[1] - scripts[0].writtenAtMs[0], 165);
}

TEST(UnitSearch, AnF0AnswerIsTakenOnlyWhenNoFifthDigitFollowsIt)
{
    // "SRF0F011" first, then "2\r\n": "F0112" is no F0 value, so the address is not known.
    std::vector<Script> scripts(1);
    scripts[0].answers["19200"] = {{v, "SVRIX\r\n"}, {f0, "SRF0F011"}};
    scripts[0].continued[f0] = "2\r\n";
    EXPECT_EQ(searched(scripts),
              QStringList{QStringLiteral("P0: 19200 Baud, Adresse unbekannt (F0 ohne Antwort), Version „RIX“")});
}

TEST(UnitSearch, AUnitThatAnswersLateIsFoundAtTheRateItAnswersAtAsLongAsAReadWaits)
{
    // A read waits 2 s for its answer; the search waits as long, at each rate.
    std::vector<Script> scripts(2);
    // Only at 19200, 450 ms late: heard at 19200, not given up before it answers.
    scripts[0].answers["19200"] = {{v, "SVRIX\r\n"}, {f0, "SRF0F011\r\n"}};
    scripts[0].answerAfterMs = 450;
    // At any rate, 600 ms late: its answer at 19200 is not taken for one at 4800.
    for (const char *rate : {"19200", "4800"})
        scripts[1].answers[rate] = {{v, "SVRIX\r\n"}, {f0, "SRF0A011\r\n"}};
    scripts[1].answerAfterMs = 600;
    EXPECT_EQ(searched(scripts, search::Timing{}),
              (QStringList{QStringLiteral("P0: 19200 Baud, Adresse F, Version „RIX“"),
                           QStringLiteral("P1: 19200 Baud, Adresse A, Version „RIX“")}));
    EXPECT_EQ(scripts[1].written, (QStringList{"19200:$RSV", "19200:$RSRF0"}));
}

TEST(UnitSearch, EightSilentPortsTakeAboutAsLongAsOne)
{
    std::vector<Script> scripts(8);
    QElapsedTimer clock;
    clock.start();
    const QStringList lines = searched(scripts);
    // One silent port: two answer waits of 250 ms; eight one after the other would be 4 s.
    EXPECT_LT(clock.elapsed(), 2000);
    ASSERT_EQ(lines.size(), 8);
    EXPECT_EQ(lines.at(7), QStringLiteral("P7: keine Einheit gefunden (keine Antwort mit 19200 und mit 4800 Baud)"));
}

TEST(UnitSearch, ProgressIsToldPortByPortAsEachIsSettled)
{
    std::vector<Script> scripts(2);
    scripts[1].answers["19200"][v] = "SVRIX\r\n";
    scripts[1].answers["19200"][f0] = "SRF02011\r\n";
    std::size_t next = 0;
    search::UnitSearch unitSearch(
        {QStringLiteral("A"), QStringLiteral("B")}, [&] { return std::make_unique<ScriptedChannel>(scripts.at(next++)); },
        quick());
    QList<int> order;
    QObject::connect(&unitSearch, &search::UnitSearch::portDone, [&](int index, const search::PortOutcome &) {
        order << index;
    });
    unitSearch.start();
    // The unit at 19200 is told as soon as F0 answered, not when the silent port is done.
    ASSERT_TRUE(waitUntil([&] { return !order.isEmpty(); }));
    EXPECT_EQ(order, QList<int>{1});
    EXPECT_EQ(unitSearch.outcomes().at(1).address, QLatin1Char('2'));
    ASSERT_TRUE(waitUntil([&] { return unitSearch.isFinished(); }));
    EXPECT_EQ(order, (QList<int>{1, 0}));
}

TEST(SearchRules, OnlyUsbAndAcmAdaptersAreSearchedUnnamed)
{
    const QList<FoundPort> system = {{"/dev/ttyS0", "", ""},
                                     {"/dev/ttyUSB0", "USB-Serial", "Prolific"},
                                     {"/dev/ttyACM3", "", ""},
                                     {"/dev/ttyS12", "", ""},
                                     {"/dev/ttyUSBx", "", ""}};
    EXPECT_EQ(search::adapterPorts(system), (QStringList{"/dev/ttyUSB0", "/dev/ttyACM3"}));
}

TEST(SearchRules, AnOutcomeAsJson)
{
    search::PortOutcome found{"/tmp/a", search::PortOutcome::Kind::Found, "4800", QLatin1Char('5'), "RIX 2.1", ""};
    EXPECT_EQ(search::outcomeJson(found),
              R"({"address":"5","baud":4800,"busy":false,"found":true,"port":"/tmp/a","reason":"","version":"RIX 2.1"})");
    search::PortOutcome busy{"/tmp/b", search::PortOutcome::Kind::Busy, "", QChar(), "", "gesperrt"};
    EXPECT_EQ(search::outcomeJson(busy), R"({"busy":true,"found":false,"port":"/tmp/b","reason":"gesperrt"})");
}
