// SPDX-License-Identifier: GPL-3.0-or-later
// read, diff and write without --port: the one unit the search finds on the USB and ACM
// adapters is used, with its rate and address unless they were named; none or more than
// one stops with exit 2 and says what was found. The adapters are simulated units on
// pseudo-terminals, seen by the search through udev-like links in a folder.

#include "ptyunit.h"
#include "param/console.h"
#include "param/foundunit.h"
#include "param/stopsignals.h"
#include "support/waiting.h"
#include "unit/line/qtserialchannel.h"
#include "unit/search/searchrules.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <optional>

namespace {

using namespace std::chrono_literals;
using Kind = search::PortOutcome::Kind;

class NoStop : public StopRequest {
public:
    void holdSignals() override {}
    int pending() const override { return 0; }
};

search::PortOutcome outcome(const char *port, Kind kind, const char *rate = "", QChar address = {})
{
    return {QString::fromLatin1(port), kind, QString::fromLatin1(rate), address, QStringLiteral("RIX 2.1"),
            kind == Kind::Found ? QString() : QStringLiteral("warum")};
}

ParamOptions parsed(const QStringList &words)
{
    const ParsedCommandLine line = parseCommandLine(words);
    EXPECT_TRUE(line.error.isEmpty()) << line.error.toStdString();
    return line.options;
}

// rix-param `words` without --port, the search on `adapters`, then the command on the
// unit found, as the program runs them on its event loop.
struct SearchedRun {
    ParamEnd end;
    QString out, err;
};
SearchedRun runWithoutPort(const QStringList &words, const QStringList &adapters)
{
    const ParamOptions options = parsed(words);
    NoStop stop;
    StringOutput out, err;
    ParamConsole console{out, err, false, {}, stop};
    std::optional<ParamEnd> end;
    ParamOptions found;
    QtSerialChannel channel;
    std::unique_ptr<ParamCommand> command;
    const auto finished = [&end](const ParamEnd &ended) { end = ended; };
    const auto unitSearch = startOnFoundUnit(
        options, console, adapters, [] { return std::make_unique<QtSerialChannel>(); },
        [&](const ParamOptions &chosen) {
            found = chosen;
            command = makeParamCommand(found, channel, console, QStringLiteral("test"));
            command->start(finished);
        },
        finished);
    EXPECT_TRUE(testsupport::waitUntil([&end] { return end.has_value(); }, 30s));
    return {end.value_or(ParamEnd{-1, 0}), out.text, err.text};
}

} // namespace

TEST(FoundUnit, OnlyTheOneUnitFoundIsUsedWithItsRateAndAddressUnlessNamed)
{
    const ParamOptions read = parsed({QStringLiteral("read")});
    const ParamOptions named = parsed({QStringLiteral("read"), QStringLiteral("--baud"), QStringLiteral("19200"),
                                       QStringLiteral("--address"), QStringLiteral("3")});
    const QList<search::PortOutcome> oneAmongOthers{outcome("/dev/ttyUSB0", Kind::Busy),
                                                    outcome("/dev/ttyUSB1", Kind::Found, "4800", QLatin1Char('5')),
                                                    outcome("/dev/ttyACM0", Kind::NoUnit)};
    struct Row {
        const char *what;
        const ParamOptions &options;
        QList<search::PortOutcome> outcomes;
        const char *port, *baud;
        QChar address;
        const char *message;
    };
    const Row rows[] = {
        {"one unit among other ports", read, oneAmongOthers, "/dev/ttyUSB1", "4800", QLatin1Char('5'),
         "Ohne --port die einzige gefundene Einheit: /dev/ttyUSB1: 4800 Baud, Adresse 5, Version „RIX 2.1“"},
        {"--baud and --address named", named, oneAmongOthers, "/dev/ttyUSB1", "19200", QLatin1Char('3'),
         "Ohne --port die einzige gefundene Einheit: /dev/ttyUSB1: 4800 Baud, Adresse 5, Version „RIX 2.1“"},
        {"a unit whose F0 went unanswered is asked as S", read,
         {outcome("/dev/ttyUSB0", Kind::Found, "19200")}, "/dev/ttyUSB0", "19200", QLatin1Char('S'),
         "Ohne --port die einzige gefundene Einheit: /dev/ttyUSB0: 19200 Baud, Adresse unbekannt (F0 ohne Antwort), "
         "Version „RIX 2.1“"},
        {"no adapter", read, {}, nullptr, nullptr, {},
         "Ohne --port: kein USB- oder ACM-Adapter gefunden. Bitte die Schnittstelle mit --port nennen (COM1–COM10 "
         "nur so)."},
        {"no unit", read, {outcome("/dev/ttyUSB0", Kind::NoUnit), outcome("/dev/ttyUSB1", Kind::Busy)}, nullptr,
         nullptr, {},
         "Ohne --port: an keinem USB- oder ACM-Adapter eine Einheit gefunden. Bitte die Schnittstelle mit --port "
         "nennen.\n  /dev/ttyUSB0: keine Einheit gefunden (warum)\n  /dev/ttyUSB1: übersprungen, belegt (warum)"},
        {"two units", read,
         {outcome("/dev/ttyUSB0", Kind::Found, "19200", QLatin1Char('1')), outcome("/dev/ttyUSB1", Kind::NoUnit),
          outcome("/dev/ttyACM0", Kind::Found, "4800", QLatin1Char('2'))},
         nullptr, nullptr, {},
         "Ohne --port: 2 Einheiten gefunden. Bitte eine mit --port wählen.\n"
         "  /dev/ttyUSB0: 19200 Baud, Adresse 1, Version „RIX 2.1“\n"
         "  /dev/ttyUSB1: keine Einheit gefunden (warum)\n"
         "  /dev/ttyACM0: 4800 Baud, Adresse 2, Version „RIX 2.1“"},
    };
    for (const Row &row : rows) {
        const FoundUnit unit = chooseFoundUnit(row.options, row.outcomes);
        EXPECT_EQ(unit.message, QString::fromUtf8(row.message)) << row.what;
        ASSERT_EQ(unit.options.has_value(), row.port != nullptr) << row.what;
        if (!unit.options)
            continue;
        EXPECT_EQ(unit.options->port, QString::fromLatin1(row.port)) << row.what;
        EXPECT_EQ(unit.options->ports, QStringList{QString::fromLatin1(row.port)}) << row.what;
        EXPECT_EQ(unit.options->baud, QString::fromLatin1(row.baud)) << row.what;
        EXPECT_EQ(unit.options->address, row.address) << row.what;
    }
}

TEST(FoundUnit, ReadWithoutPortReadsTheOneSimulatedAdapterAndRefusesTwo)
{
    // Two adapters as udev names them, each a simulated unit with its own address.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    PtyUnit first;
    first.values[0] = "5011";
    PtyUnit second;
    second.values[0] = "7011";
    const QString firstLink = dir.filePath(QStringLiteral("usb-FTDI_FT232R_A1-if00-port0"));
    const QString secondLink = dir.filePath(QStringLiteral("usb-FTDI_FT232R_B2-if00-port0"));
    ASSERT_TRUE(QFile::link(first.port(), firstLink));

    const SearchedRun one = runWithoutPort({QStringLiteral("read")}, search::adapterPorts({}, adapterLinks(dir.path())));
    EXPECT_EQ(one.end.exitCode, ParamExit::Ok) << one.err.toStdString();
    EXPECT_TRUE(one.err.startsWith(QStringLiteral("Ohne --port die einzige gefundene Einheit: %1: 19200 Baud, "
                                                  "Adresse 5, Version „RIX 2.1“\nF0 … 5011\n")
                                       .arg(firstLink)))
        << one.err.toStdString();
    EXPECT_TRUE(one.out.contains(QStringLiteral("F0=5011\n"))) << one.out.toStdString();
    // The search asks as S; the read then asks the unit by its own address.
    const std::vector<QByteArray> asked = {"$RSV",   "$RSRF0", "$R5RF0", "$R5RF1", "$R5RF2",
                                           "$R5RF3", "$R5RF4", "$R5RF5", "$R5RF6"};
    EXPECT_EQ(first.commands, asked);

    ASSERT_TRUE(QFile::link(second.port(), secondLink));
    first.commands.clear();
    const SearchedRun two = runWithoutPort({QStringLiteral("read")}, search::adapterPorts({}, adapterLinks(dir.path())));
    EXPECT_EQ(two.end.exitCode, ParamExit::Error);
    EXPECT_EQ(two.err, QStringLiteral("rix-param: Ohne --port: 2 Einheiten gefunden. Bitte eine mit --port wählen.\n"
                                      "  %1: 19200 Baud, Adresse 5, Version „RIX 2.1“\n"
                                      "  %2: 19200 Baud, Adresse 7, Version „RIX 2.1“\n")
                           .arg(firstLink, secondLink));
    EXPECT_EQ(two.out, QString());
    EXPECT_EQ(first.commands, (std::vector<QByteArray>{"$RSV", "$RSRF0"}));
    EXPECT_EQ(second.commands, (std::vector<QByteArray>{"$RSV", "$RSRF0"}));
}
