// SPDX-License-Identifier: GPL-3.0-or-later
#include "param/commandline.h"

#include "unit/protocol/lineoptions.h"
#include "unit/protocol/protocol.h"

#include <QCommandLineParser>

#include <utility>

namespace {

constexpr int longestTimeoutMs = 60000;

// The options that belong to one command only, with that command's name.
struct OnlyFor {
    const char *option;
    const char *shown;
    ParamOptions::Command command;
    const char *commandName;
};
const OnlyFor onlyFor[] = {
    {"o", "-o", ParamOptions::Command::Read, "read"},
    {"dry-run", "--dry-run", ParamOptions::Command::Write, "write"},
    {"yes", "--yes", ParamOptions::Command::Write, "write"},
    {"include-line-settings", "--include-line-settings", ParamOptions::Command::Write, "write"},
};
// What find does not take: it asks at both rates, every unit by S, and only reads.
const char *const notForFind[][2] = {
    {"baud", "--baud"}, {"address", "--address"}, {"timeout", "--timeout"}, {"quiet", "--quiet"},
};

// QCommandLineParser explains a refused command line in English; this says the same in
// German. `valueOptions`: the names that take a value.
QString refusal(const QCommandLineParser &parser, const QStringList &arguments, const QStringList &valueOptions)
{
    return refusalText(parser, arguments, valueOptions,
                       {QStringLiteral("„%1“ nimmt keinen Wert an."), /*optionAsTyped=*/false});
}

} // namespace

QString usageText()
{
    return QStringLiteral(
        "Aufruf: rix-param read  [-o DATEI|ORDNER/|-] [--port P] [--baud 19200|4800]\n"
        "                        [--address D] [--timeout MS] [--quiet]\n"
        "        rix-param diff  DATEI [--port P] [--baud …] [--address D] [--timeout MS] [--quiet]\n"
        "        rix-param write DATEI [--dry-run] [--yes] [--include-line-settings]\n"
        "                        [--port P] [--baud …] [--address D] [--timeout MS] [--quiet]\n"
        "        rix-param find  [--port P]… [--json]\n"
        "        rix-param --version | --help\n"
        "Liest, vergleicht und schreibt die Parameter F0–F6 einer RIX-Einheit.\n"
        "\n"
        "  read                   liest F0–F6 und schreibt die Parameterdatei\n"
        "                         auf die Standardausgabe oder in DATEI (-o)\n"
        "  diff DATEI             zeigt, welche Werte der Datei die Einheit anders hat\n"
        "  write DATEI            schreibt die abweichenden Werte und liest jeden zurück\n"
        "  find                   sucht Einheiten: Schnittstelle, Baudrate, Adresse, Version\n"
        "                         (ohne --port an allen USB- und ACM-Adaptern)\n"
        "\n"
        "  --port P               Schnittstelle (COM1–COM10 sind /dev/ttyS0–9, ein Name mit /\n"
        "                         ist ein Pfad, sonst /dev/P); mehrmals: alle Einheiten zugleich,\n"
        "                         jede Zeile mit ihrer Schnittstelle vorn; ohne --port: die eine\n"
        "                         Einheit, die find an den USB- und ACM-Adaptern findet\n"
        "  --baud R               19200 (Vorgabe) oder 4800 (die Einheit sendet den Befehl zurück);\n"
        "                         ohne --port die Baudrate der gefundenen Einheit\n"
        "  --address D            Adresse der Einheit: 0–9, A–F oder S (Vorgabe, jede Einheit);\n"
        "                         ohne --port die Adresse der gefundenen Einheit\n"
        "  --timeout MS           so lange nach einer Anfrage gilt ihre Antwort noch (Vorgabe 2000)\n"
        "  -o DATEI               read: in DATEI statt auf die Standardausgabe (- für diese)\n"
        "  -o ORDNER/             read: eine Datei je Einheit in ORDNER (mit / am Ende), nach\n"
        "                         Schnittstelle und Adresse benannt (ttyUSB0-5.txt)\n"
        "  --dry-run              write: nur zeigen, was sich ändern würde\n"
        "  --yes                  write: ohne Rückfrage schreiben\n"
        "  --include-line-settings  write: auch F0 (Adresse) und F6 (Baudrate, Quittung), zuletzt\n"
        "  --quiet                keine Fortschrittszeilen auf der Standardfehlerausgabe\n"
        "  --json                 Ergebnis und Berichte als JSON auf der Standardausgabe\n"
        "  --version              Programmversion zeigen\n"
        "  --help                 diesen Text zeigen\n"
        "\n"
        "Rückgabewert: 0 gleich bzw. erfolgreich; 1 diff: Unterschiede, write: F0 oder F6\n"
        "weicht ab und wurde ohne --include-line-settings nicht geschrieben; 2 Fehler (ein\n"
        "abgebrochenes Schreiben mit Bericht, was die Einheit erreicht hat); 3 write: ein\n"
        "geschriebener Wert ist nicht bestätigt; 4 write: die Frage nicht mit ja beantwortet,\n"
        "nichts geschrieben. Nach SIGINT, SIGTERM, SIGHUP oder SIGPIPE endet write mit dem\n"
        "Bericht und dann durch dieses Signal.\n");
}

ParsedCommandLine parseCommandLine(const QStringList &arguments)
{
    ParsedCommandLine parsed;
    ParamOptions &o = parsed.options;
    const auto fail = [&parsed](const QString &message) {
        parsed.error = message;
        return parsed;
    };

    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    const LineOptions line;
    const QCommandLineOption timeout(QStringLiteral("timeout"), QString(), QStringLiteral("MS"));
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")}, QString(),
                                    QStringLiteral("DATEI"));
    const QCommandLineOption quiet(QStringLiteral("quiet"));
    const QCommandLineOption dryRun(QStringLiteral("dry-run"));
    const QCommandLineOption yes(QStringLiteral("yes"));
    const QCommandLineOption lineSettings(QStringLiteral("include-line-settings"));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    const QCommandLineOption json(QStringLiteral("json"));
    parser.addOptions(line.all()
                      + QList<QCommandLineOption>{timeout, output, quiet, dryRun, yes, lineSettings, help, version, json});
    const QStringList valueOptions =
        LineOptions::names() + QStringList{QStringLiteral("timeout"), QStringLiteral("o"), QStringLiteral("output")};

    const bool understood = parser.parse(QStringList{QStringLiteral("rix-param")} + arguments);
    // A user who asks for help or the version gets it, whatever else the line holds.
    if (arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-h"))) {
        o.command = ParamOptions::Command::Help;
        return parsed;
    }
    if (arguments.contains(QStringLiteral("--version"))) {
        o.command = ParamOptions::Command::Version;
        return parsed;
    }
    if (!understood)
        return fail(refusal(parser, arguments, valueOptions));

    const QStringList words = parser.positionalArguments();
    if (words.isEmpty())
        return fail(QStringLiteral("Kein Befehl angegeben (read, diff, write oder find)."));
    const QString command = words.front();
    if (command == QLatin1String("read"))
        o.command = ParamOptions::Command::Read;
    else if (command == QLatin1String("diff"))
        o.command = ParamOptions::Command::Diff;
    else if (command == QLatin1String("write"))
        o.command = ParamOptions::Command::Write;
    else if (command == QLatin1String("find"))
        o.command = ParamOptions::Command::Find;
    else
        return fail(QStringLiteral("Unbekannter Befehl „%1“ (read, diff, write oder find).").arg(command));

    for (const OnlyFor &only : onlyFor)
        if (parser.isSet(QString::fromLatin1(only.option)) && o.command != only.command)
            return fail(QStringLiteral("%1 gilt nur für %2.").arg(QLatin1String(only.shown), QLatin1String(only.commandName)));

    if (o.command == ParamOptions::Command::Find)
        for (const auto &option : notForFind)
            if (parser.isSet(QString::fromLatin1(option[0])))
                return fail(QStringLiteral("%1 gilt nicht für find.").arg(QLatin1String(option[1])));
    if (parser.isSet(line.port)) {
        o.ports = parser.values(line.port);
        for (const QString &port : std::as_const(o.ports))
            if (port.isEmpty())
                return fail(QStringLiteral("Bei --port fehlt der Name der Schnittstelle."));
        if (o.ports.removeDuplicates() > 0 && o.command != ParamOptions::Command::Find)
            return fail(QStringLiteral("Jede Schnittstelle nur einmal mit --port nennen."));
        o.port = o.ports.constLast();
    }
    o.baudGiven = parser.isSet(line.baud);
    o.addressGiven = parser.isSet(line.address);
    if (o.baudGiven) {
        o.baud = parser.value(line.baud);
        if (!protocol::isRate(o.baud))
            return fail(QStringLiteral("Ungültige Baudrate „%1“ (%2).").arg(o.baud, protocol::rateChoices()));
    }
    if (parser.isSet(line.address)) {
        const QString digit = parser.value(line.address).toUpper();
        if (!protocol::isAddressText(digit))
            return fail(QStringLiteral("Ungültige Adresse „%1“ (%2).").arg(parser.value(line.address), protocol::addressChoices()));
        o.address = digit.front();
    }
    if (parser.isSet(timeout)) {
        bool ok = false;
        o.timeoutMs = parser.value(timeout).toInt(&ok);
        if (!ok || o.timeoutMs < 1 || o.timeoutMs > longestTimeoutMs || parser.value(timeout).startsWith(QLatin1Char('+')))
            return fail(QStringLiteral("Ungültige Wartezeit „%1“ (ganze Millisekunden, 1 bis %2).")
                            .arg(parser.value(timeout))
                            .arg(longestTimeoutMs));
    }
    if (parser.isSet(output)) {
        o.outputFile = parser.value(output);
        if (o.outputFile.isEmpty())
            return fail(QStringLiteral("Bei -o fehlt der Name der Datei (- für die Standardausgabe)."));
    }
    o.quiet = parser.isSet(quiet);
    o.dryRun = parser.isSet(dryRun);
    o.yes = parser.isSet(yes);
    o.includeLineSettings = parser.isSet(lineSettings);
    o.json = parser.isSet(json);
    if (o.severalUnits() && o.command == ParamOptions::Command::Write && !o.yes && !o.dryRun)
        return fail(QStringLiteral("write an mehrere Einheiten nur mit --yes oder --dry-run."));
    if (o.severalUnits() && o.command == ParamOptions::Command::Read && !o.toStandardOutput() && !o.toFolder())
        return fail(QStringLiteral("read von mehreren Einheiten: -o ORDNER/ (mit / am Ende), eine Datei je Einheit."));

    const QStringList files = words.mid(1);
    if (o.command == ParamOptions::Command::Find) {
        if (!files.isEmpty())
            return fail(QStringLiteral("find nimmt keine Datei an."));
    } else if (o.command == ParamOptions::Command::Read) {
        if (!files.isEmpty())
            return fail(QStringLiteral("read nimmt keine Datei an; für eine Datei: -o DATEI."));
    } else {
        if (files.size() != 1)
            return fail(QStringLiteral("%1 braucht genau eine Parameterdatei.").arg(command));
        o.setFile = files.front();
    }
    return parsed;
}
