// SPDX-License-Identifier: GPL-3.0-or-later
#include "param/commandline.h"

#include "unit/protocol/protocol.h"

#include <QCommandLineParser>

namespace {

constexpr int kLongestTimeoutMs = 60000;

// The options that belong to one command only, with that command's name.
struct OnlyFor {
    const char *option;
    const char *shown;
    ParamOptions::Command command;
    const char *commandName;
};
const OnlyFor kOnlyFor[] = {
    {"o", "-o", ParamOptions::Command::Read, "read"},
    {"dry-run", "--dry-run", ParamOptions::Command::Write, "write"},
    {"yes", "--yes", ParamOptions::Command::Write, "write"},
    {"include-line-settings", "--include-line-settings", ParamOptions::Command::Write, "write"},
};

QString shownName(const QString &name)
{
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

// QCommandLineParser explains a refused command line in English; this says the same in
// German, from the words themselves. `valueOptions`: the names that take a value.
QString refusal(const QCommandLineParser &parser, const QStringList &arguments, const QStringList &valueOptions)
{
    if (!parser.unknownOptionNames().isEmpty())
        return QStringLiteral("Unbekannte Option „%1“.").arg(shownName(parser.unknownOptionNames().constFirst()));
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &word = arguments.at(i);
        if (word == QLatin1String("--"))
            break;
        if (!word.startsWith(QLatin1Char('-')))
            continue;
        const QString name = word.mid(word.startsWith(QLatin1String("--")) ? 2 : 1).section(QLatin1Char('='), 0, 0);
        const bool takesValue = valueOptions.contains(name);
        if (!takesValue && word.contains(QLatin1Char('=')))
            return QStringLiteral("„%1“ nimmt keinen Wert an.").arg(shownName(name));
        if (takesValue && !word.contains(QLatin1Char('=')) && i + 1 == arguments.size())
            return QStringLiteral("Bei „%1“ fehlt der Wert.").arg(shownName(name));
    }
    return parser.errorText();
}

} // namespace

QString usageText()
{
    return QStringLiteral(
        "Aufruf: rix-param read  [-o DATEI|-] [--port P] [--baud 19200|4800] [--address D]\n"
        "                        [--timeout MS] [--quiet]\n"
        "        rix-param diff  DATEI [--port P] [--baud …] [--address D] [--timeout MS] [--quiet]\n"
        "        rix-param write DATEI [--dry-run] [--yes] [--include-line-settings]\n"
        "                        [--port P] [--baud …] [--address D] [--timeout MS] [--quiet]\n"
        "        rix-param --version | --help\n"
        "Liest, vergleicht und schreibt die Parameter F0–F6 einer RIX-Einheit.\n"
        "\n"
        "  read                   liest F0–F6 und schreibt die Parameterdatei\n"
        "                         auf die Standardausgabe oder in DATEI (-o)\n"
        "  diff DATEI             zeigt, welche Werte der Datei die Einheit anders hat\n"
        "  write DATEI            schreibt die abweichenden Werte und liest jeden zurück\n"
        "\n"
        "  --port P               Schnittstelle (Vorgabe COM1; COM1–COM10 sind /dev/ttyS0–9,\n"
        "                         ein Name mit / ist ein Pfad, sonst /dev/P)\n"
        "  --baud R               19200 (Vorgabe) oder 4800 (die Einheit sendet den Befehl zurück)\n"
        "  --address D            Adresse der Einheit: 0–9, A–F oder S (Vorgabe, jede Einheit)\n"
        "  --timeout MS           so lange nach einer Anfrage gilt ihre Antwort noch (Vorgabe 2000)\n"
        "  -o DATEI               read: in DATEI statt auf die Standardausgabe (- für diese)\n"
        "  --dry-run              write: nur zeigen, was sich ändern würde\n"
        "  --yes                  write: ohne Rückfrage schreiben\n"
        "  --include-line-settings  write: auch F0 (Adresse) und F6 (Baudrate, Quittung), zuletzt\n"
        "  --quiet                keine Fortschrittszeilen auf der Standardfehlerausgabe\n"
        "  --version              Programmversion zeigen\n"
        "  --help                 diesen Text zeigen\n"
        "\n"
        "Rückgabewert: 0 gleich bzw. erfolgreich; 1 diff: Unterschiede, write: F0 oder F6\n"
        "weicht ab und wurde ohne --include-line-settings nicht geschrieben; 2 Fehler (ein\n"
        "abgebrochenes Schreiben mit Bericht, was die Einheit erreicht hat); 3 write: ein\n"
        "geschriebener Wert ist nicht bestätigt. Nach SIGINT, SIGTERM, SIGHUP oder SIGPIPE\n"
        "endet write mit dem Bericht und dann durch dieses Signal.\n");
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
    const QCommandLineOption port(QStringLiteral("port"), QString(), QStringLiteral("P"));
    const QCommandLineOption baud(QStringLiteral("baud"), QString(), QStringLiteral("R"));
    const QCommandLineOption address(QStringLiteral("address"), QString(), QStringLiteral("D"));
    const QCommandLineOption timeout(QStringLiteral("timeout"), QString(), QStringLiteral("MS"));
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")}, QString(),
                                    QStringLiteral("DATEI"));
    const QCommandLineOption quiet(QStringLiteral("quiet"));
    const QCommandLineOption dryRun(QStringLiteral("dry-run"));
    const QCommandLineOption yes(QStringLiteral("yes"));
    const QCommandLineOption lineSettings(QStringLiteral("include-line-settings"));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    parser.addOptions({port, baud, address, timeout, output, quiet, dryRun, yes, lineSettings, help, version});
    const QStringList valueOptions = {QStringLiteral("port"), QStringLiteral("baud"), QStringLiteral("address"),
                                      QStringLiteral("timeout"), QStringLiteral("o"), QStringLiteral("output")};

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
        return fail(QStringLiteral("Kein Befehl angegeben (read, diff oder write)."));
    const QString command = words.front();
    if (command == QLatin1String("read"))
        o.command = ParamOptions::Command::Read;
    else if (command == QLatin1String("diff"))
        o.command = ParamOptions::Command::Diff;
    else if (command == QLatin1String("write"))
        o.command = ParamOptions::Command::Write;
    else
        return fail(QStringLiteral("Unbekannter Befehl „%1“ (read, diff oder write).").arg(command));

    for (const OnlyFor &only : kOnlyFor)
        if (parser.isSet(QString::fromLatin1(only.option)) && o.command != only.command)
            return fail(QStringLiteral("%1 gilt nur für %2.").arg(QLatin1String(only.shown), QLatin1String(only.commandName)));

    if (parser.isSet(port)) {
        o.port = parser.value(port);
        if (o.port.isEmpty())
            return fail(QStringLiteral("Bei --port fehlt der Name der Schnittstelle."));
    }
    if (parser.isSet(baud)) {
        o.baud = parser.value(baud);
        if (o.baud != QLatin1String("19200") && o.baud != QLatin1String("4800"))
            return fail(QStringLiteral("Ungültige Baudrate „%1“ (19200 oder 4800).").arg(o.baud));
    }
    if (parser.isSet(address)) {
        const QString digit = parser.value(address).toUpper();
        if (digit.size() != 1 || !Protocol::isAddressDigit(digit.front()))
            return fail(QStringLiteral("Ungültige Adresse „%1“ (0–9, A–F oder S).").arg(parser.value(address)));
        o.address = digit.front();
    }
    if (parser.isSet(timeout)) {
        bool ok = false;
        o.timeoutMs = parser.value(timeout).toInt(&ok);
        if (!ok || o.timeoutMs < 1 || o.timeoutMs > kLongestTimeoutMs || parser.value(timeout).startsWith(QLatin1Char('+')))
            return fail(QStringLiteral("Ungültige Wartezeit „%1“ (ganze Millisekunden, 1 bis %2).")
                            .arg(parser.value(timeout))
                            .arg(kLongestTimeoutMs));
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

    const QStringList files = words.mid(1);
    if (o.command == ParamOptions::Command::Read) {
        if (!files.isEmpty())
            return fail(QStringLiteral("read nimmt keine Datei an; für eine Datei: -o DATEI."));
    } else {
        if (files.size() != 1)
            return fail(QStringLiteral("%1 braucht genau eine Parameterdatei.").arg(command));
        o.setFile = files.front();
    }
    return parsed;
}
