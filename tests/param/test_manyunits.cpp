// SPDX-License-Identifier: GPL-3.0-or-later
// rix-param on several units at once, all on the test's one thread: real serial ports on
// pseudo-terminals whose units are played on the same thread, so that nothing can go on
// unless every unit's steps are events of the one loop. One unit is pulled mid-write; a
// first and a second Ctrl-C come while all are writing.

#include "ptyunit.h"
#include "param/console.h"
#include "param/manyunits.h"
#include "param/stopsignals.h"
#include "support/waiting.h"
#include "unit/line/qtserialchannel.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>
#include <optional>

namespace {

using namespace std::chrono_literals;

const QByteArray fiveChanges = "F1=0A10\nF2=1313\nF3=0E3C\nF4=0E10\nF5=64D0\n";

// Ctrl-C as the test gives it: held, pending from the first, and each one announced.
class ScriptedStop : public StopRequest {
public:
    void holdSignals() override { held = true; }
    int pending() const override { return caught; }
    void announceWith(Announce announce) override { announce_ = std::move(announce); }
    void signal(int signal)
    {
        const bool again = caught != 0;
        if (!again)
            caught = signal;
        if (const Announce announce = announce_)
            announce(signal, again);
    }
    bool held = false;
    int caught = 0;

private:
    Announce announce_;
};

// The lines of `text` that begin with `port` + ": ", without it.
QString linesOf(const QString &text, const QString &port)
{
    QString mine;
    for (const QString &line : text.split(QLatin1Char('\n')))
        if (line.startsWith(port + QStringLiteral(": ")))
            mine += line.mid(port.size() + 2) + QLatin1Char('\n');
    return mine;
}

struct Fleet {
    explicit Fleet(int count)
        : units(std::size_t(count))
    {
        QFile file(dir.filePath(QStringLiteral("set.txt")));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(fiveChanges);
    }
    ParamOptions options(QStringList words) const
    {
        words.prepend(dir.filePath(QStringLiteral("set.txt")));
        words.prepend(QStringLiteral("write"));
        for (const PtyUnit &unit : units)
            words << QStringLiteral("--port") << unit.port();
        const ParsedCommandLine parsed = parseCommandLine(words);
        EXPECT_TRUE(parsed.error.isEmpty()) << parsed.error.toStdString();
        return parsed.options;
    }
    // Starts the command on every unit; its channels are made on the calling thread.
    void start(const ParamOptions &options)
    {
        every = std::make_unique<EveryUnit>(options, out, err, stop, QStringLiteral("test"), [this] {
            madeOn.push_back(QThread::currentThread());
            return std::make_unique<QtSerialChannel>();
        });
        every->start([this](const ParamEnd &ended) { end = ended; });
    }
    bool finished() { return testsupport::waitUntil([this] { return end.has_value(); }, 60s); }

    QTemporaryDir dir;
    std::vector<PtyUnit> units;
    StringOutput out, err;
    ScriptedStop stop;
    std::vector<QThread *> madeOn;
    std::unique_ptr<EveryUnit> every;
    std::optional<ParamEnd> end;
};

QJsonArray jsonArray(const QString &text)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << text.toStdString();
    return document.array();
}

} // namespace

TEST(ManyUnits, ThreeUnitsAreWrittenSideBySideOnOneThreadAndAPulledOneReportsWhatReachedIt)
{
    Fleet fleet(3);
    PtyUnit &pulled = fleet.units[1];
    pulled.afterWrite = [&pulled](int writes) {
        if (writes == 2)
            pulled.pull();
    };
    const ParamOptions options = fleet.options({QStringLiteral("--yes")});
    fleet.start(options);
    ASSERT_TRUE(fleet.finished()) << fleet.err.text.toStdString();
    EXPECT_EQ(fleet.end->exitCode, 2);
    EXPECT_EQ(fleet.end->signal, 0);
    EXPECT_EQ(fleet.madeOn, std::vector<QThread *>(3, QThread::currentThread()));

    const PtyUnit &first = fleet.units[0];
    const PtyUnit &third = fleet.units[2];
    for (const PtyUnit *unit : {&first, &third}) {
        EXPECT_EQ(unit->writes().size(), 5u);
        EXPECT_EQ(unit->values[5], QByteArray("64D0"));
        const QString out = linesOf(fleet.out.text, unit->port());
        EXPECT_TRUE(out.startsWith(QStringLiteral("F1: 0A00 → 0A10 ("))) << out.toStdString();
        EXPECT_TRUE(out.endsWith(QStringLiteral("\nGeschrieben und zurückgelesen: 5 Wert(e).\n"))) << out.toStdString();
        EXPECT_FALSE(linesOf(fleet.err.text, unit->port()).contains(QStringLiteral("rix-param"))) << fleet.err.text.toStdString();
    }
    // Side by side: each unit had its first value before the other had its last.
    EXPECT_LT(first.at.front(), third.at.back());
    EXPECT_LT(third.at.front(), first.at.back());

    EXPECT_EQ(pulled.writes(), (std::vector<QByteArray>{"$RSPF10A10", "$RSPF21313"}));
    const QString pulledErr = linesOf(fleet.err.text, pulled.port());
    EXPECT_TRUE(pulledErr.contains(QStringLiteral("rix-param: Verbindung zu ") + pulled.port() + QStringLiteral(" verloren")))
        << pulledErr.toStdString();
    EXPECT_TRUE(pulledErr.endsWith(QStringLiteral("Schreiben abgebrochen, danach nichts mehr geschrieben. Stand der Einheit:\n"
                                                  "  F1: 0A00 → 0A10  geschrieben und bestätigt\n"
                                                  "  F2: 1212 → 1313  geschrieben, nicht bestätigt (Zustand unbekannt)\n"
                                                  "  F3: 0E28 → 0E3C  nicht geschrieben\n"
                                                  "  F4: 0E0E → 0E10  nicht geschrieben\n"
                                                  "  F5: 64C8 → 64D0  nicht geschrieben\n")))
        << pulledErr.toStdString();
    // Every line whole, with its unit's port in front.
    for (const QString &text : {fleet.out.text, fleet.err.text})
        for (const QString &line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            EXPECT_TRUE(std::any_of(fleet.units.begin(), fleet.units.end(),
                                    [&line](const PtyUnit &unit) { return line.startsWith(unit.port() + QStringLiteral(": ")); }))
                << line.toStdString();
}

TEST(ManyUnits, AFirstCtrlCHasEachUnitFinishItsParameterAndTheJsonSaysWhatEachHolds)
{
    Fleet fleet(2);
    fleet.units[0].afterWrite = [&fleet](int writes) {
        if (writes == 2)
            fleet.stop.signal(SIGINT);
    };
    const ParamOptions options = fleet.options({QStringLiteral("--yes"), QStringLiteral("--json"), QStringLiteral("--quiet")});
    fleet.start(options);
    ASSERT_TRUE(fleet.finished()) << fleet.err.text.toStdString();
    EXPECT_TRUE(fleet.stop.held);
    EXPECT_EQ(fleet.end->exitCode, 2);
    EXPECT_EQ(fleet.end->signal, SIGINT);
    const PtyUnit &first = fleet.units[0];
    EXPECT_EQ(first.writes().size(), 2u);
    EXPECT_EQ(first.commands.back(), QByteArray("$RSRF2")) << "F2 finished with its read-back";
    EXPECT_TRUE(linesOf(fleet.err.text, first.port())
                    .startsWith(QStringLiteral("rix-param: SIGINT (Strg+C): F2 wird noch fertig geschrieben und zurückgelesen, "
                                               "danach wird nichts mehr geschrieben.\n")))
        << fleet.err.text.toStdString();

    const QJsonArray units = jsonArray(fleet.out.text);
    ASSERT_EQ(units.size(), 2);
    const QJsonObject one = units[0].toObject();
    EXPECT_EQ(one[QStringLiteral("port")].toString(), first.port());
    EXPECT_EQ(one[QStringLiteral("exit")].toInt(), 2);
    EXPECT_EQ(one[QStringLiteral("signal")].toString(), QStringLiteral("SIGINT (Strg+C)"));
    EXPECT_EQ(one[QStringLiteral("changes")].toArray().size(), 5);
    const QJsonArray report = one[QStringLiteral("report")].toArray();
    ASSERT_EQ(report.size(), 5);
    EXPECT_EQ(report[1].toObject(), (QJsonObject{{QStringLiteral("parameter"), QStringLiteral("F2")},
                                                  {QStringLiteral("unit"), QStringLiteral("1212")},
                                                  {QStringLiteral("file"), QStringLiteral("1313")},
                                                  {QStringLiteral("state"), QStringLiteral("geschrieben und bestätigt")}}));
    EXPECT_EQ(report[2].toObject()[QStringLiteral("state")].toString(), QStringLiteral("nicht geschrieben"));
    // The other unit stopped after the parameter on its line too: what it says it holds is what it took.
    const PtyUnit &second = fleet.units[1];
    const QJsonArray secondReport = units[1].toObject()[QStringLiteral("report")].toArray();
    ASSERT_EQ(secondReport.size(), 5);
    for (int n = 1; n <= 5; ++n) {
        const QString state = secondReport[n - 1].toObject()[QStringLiteral("state")].toString();
        EXPECT_EQ(state == QStringLiteral("geschrieben und bestätigt"), std::size_t(n) <= second.writes().size()) << n;
        EXPECT_EQ(state == QStringLiteral("nicht geschrieben"), std::size_t(n) > second.writes().size()) << n;
    }
}

TEST(ManyUnits, ASecondCtrlCPrintsEveryUnitsReportAndTheJsonAtOnce)
{
    Fleet fleet(2);
    bool signalled = false;
    bool printedAtOnce = false;
    fleet.units[0].afterWrite = [&](int writes) {
        if (writes != 2)
            return;
        fleet.stop.signal(SIGINT);
        fleet.stop.signal(SIGINT);
        signalled = true;
        printedAtOnce = fleet.out.text.endsWith(QStringLiteral("\n]\n"));
    };
    const ParamOptions options = fleet.options({QStringLiteral("--yes"), QStringLiteral("--json")});
    fleet.start(options);
    ASSERT_TRUE(testsupport::waitUntil([&] { return signalled; }, 60s)) << fleet.err.text.toStdString();
    ASSERT_TRUE(printedAtOnce) << "the array is out when the second signal has been answered: " << fleet.out.text.toStdString();
    EXPECT_FALSE(fleet.end.has_value()) << "the program ends by the signal, not by the units";

    const PtyUnit &first = fleet.units[0];
    const QString firstErr = linesOf(fleet.err.text, first.port());
    EXPECT_TRUE(firstErr.endsWith(QStringLiteral("rix-param: zweites Signal, SIGINT (Strg+C): sofort beendet, ohne F2 zurückzulesen.\n"
                                                 "Schreiben abgebrochen, danach nichts mehr geschrieben. Stand der Einheit:\n"
                                                 "  F1: 0A00 → 0A10  geschrieben und bestätigt\n"
                                                 "  F2: 1212 → 1313  geschrieben, nicht bestätigt (Zustand unbekannt)\n"
                                                 "  F3: 0E28 → 0E3C  nicht geschrieben\n"
                                                 "  F4: 0E0E → 0E10  nicht geschrieben\n"
                                                 "  F5: 64C8 → 64D0  nicht geschrieben\n")))
        << fleet.err.text.toStdString();
    EXPECT_TRUE(linesOf(fleet.err.text, fleet.units[1].port()).contains(QStringLiteral("rix-param: zweites Signal, SIGINT (Strg+C)")))
        << fleet.err.text.toStdString();

    const QJsonArray units = jsonArray(fleet.out.text);
    ASSERT_EQ(units.size(), 2);
    for (const QJsonValue &unit : units) {
        EXPECT_EQ(unit[QStringLiteral("exit")].toInt(), 2);
        EXPECT_EQ(unit[QStringLiteral("signal")].toString(), QStringLiteral("SIGINT (Strg+C)"));
        EXPECT_EQ(unit[QStringLiteral("report")].toArray().size(), 5);
    }
    const QJsonArray report = units[0][QStringLiteral("report")].toArray();
    QStringList states;
    for (const QJsonValue &p : report)
        states << p[QStringLiteral("state")].toString();
    EXPECT_EQ(states, (QStringList{QStringLiteral("geschrieben und bestätigt"),
                                   QStringLiteral("geschrieben, nicht bestätigt (Zustand unbekannt)"),
                                   QStringLiteral("nicht geschrieben"), QStringLiteral("nicht geschrieben"),
                                   QStringLiteral("nicht geschrieben")}));
    // Its lines on standard error, the second signal's report among them.
    const QJsonArray messages = units[0][QStringLiteral("messages")].toArray();
    EXPECT_TRUE(messages.contains(QStringLiteral("  F2: 1212 → 1313  geschrieben, nicht bestätigt (Zustand unbekannt)")));
    // Nothing more went out once it had ended.
    const std::size_t commands = first.commands.size();
    testsupport::runEventsFor(400ms);
    EXPECT_EQ(first.commands.size(), commands);
}
