// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/app/commandline.h"

#include "unit/protocol/lineoptions.h"
#include "unit/protocol/protocol.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

namespace {

// Qt's own options, which QApplication takes from the same command line: known here so that
// they are no error, hidden from the help, and otherwise left alone.
const QStringList qtOptionsWithValue = {"platform", "platformpluginpath", "platformtheme", "plugin",
                                         "qwindowgeometry", "geometry", "qwindowtitle", "title", "qwindowicon",
                                         "icon", "display", "name", "visual", "session", "style", "stylesheet"};
const QStringList qtFlags = {"reverse", "widgetcount", "nograb", "dograb", "sync", "testability"};

void addQtOptions(QCommandLineParser &parser)
{
    for (const QString &name : qtOptionsWithValue) {
        QCommandLineOption option(name, QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const QString &name : qtFlags) {
        QCommandLineOption option(name);
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

// The parser's own texts are English; each of its three complaints in German.
QString parseError(const QCommandLineParser &parser, const QStringList &arguments, const QStringList &valued)
{
    return refusalText(parser, arguments.mid(1), valued,
                       {QStringLiteral("Die Option „%1“ nimmt keinen Wert an."), /*optionAsTyped=*/true});
}

} // namespace

QString versionText()
{
    return QStringLiteral("rix-term %1").arg(QStringLiteral(PROJECT_VERSION));
}

QString startUsageText()
{
    return QStringLiteral(
        "Aufruf: rix-term [--port P] [--baud 19200|4800] [--address D] [--connect] [--log DATEI]\n"
        "                 [--open MITSCHNITT]...\n"
        "Terminal zum Einrichten einer RIX-Einheit über eine serielle Leitung.\n"
        "\n"
        "  --port P      Schnittstelle ins Feld „Verbindung“ (COM1–COM10 sind /dev/ttyS0–9,\n"
        "                ein Name mit / ist ein Pfad, sonst /dev/P)\n"
        "  --baud R      Baudrate: 19200 oder 4800\n"
        "  --address D   Adresse der Einheit: 0–9, A–F oder S (jede Einheit)\n"
        "  --connect     gleich verbinden, wie „Verbinden“\n"
        "  --log DATEI   die Sitzung von Anfang an in DATEI mitschneiden (wird angehängt)\n"
        "  --open MITSCHNITT  einen Mitschnitt in einem eigenen Fenster zeigen (nur lesen);\n"
        "                mehrfach möglich\n"
        "  --help        diesen Text zeigen\n"
        "  --version     die Version zeigen\n"
        "\n"
        "Ohne Optionen beginnt das Fenster mit COM1, 19200 und Adresse S.\n"
        "Rückgabewert: 0 beendet, 1 Fehler, 2 falscher Aufruf.\n");
}

StartCommandLine parseStartCommandLine(const QStringList &arguments)
{
    StartCommandLine parsed;
    const auto fail = [&parsed](const QString &message) {
        parsed.action = StartCommandLine::Action::Error;
        parsed.error = message;
        return parsed;
    };

    QCommandLineParser parser;
    // Qt's options come with one dash ("-platform xcb"), and so may the program's.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const LineOptions line;
    const QCommandLineOption &port = line.port;
    const QCommandLineOption connect(QStringLiteral("connect"));
    const QCommandLineOption log(QStringLiteral("log"), QString(), QStringLiteral("DATEI"));
    const QCommandLineOption open(QStringLiteral("open"), QString(), QStringLiteral("MITSCHNITT"));
    const QCommandLineOption help(QStringList{QStringLiteral("help"), QStringLiteral("h")});
    const QCommandLineOption version(QStringLiteral("version"));
    parser.addOptions(line.all() + QList<QCommandLineOption>{connect, log, open, help, version});
    addQtOptions(parser);

    if (!parser.parse(arguments))
        return fail(parseError(parser, arguments, LineOptions::names() + QStringList{"log", "open"} + qtOptionsWithValue));
    if (parser.isSet(help)) {
        parsed.action = StartCommandLine::Action::Help;
        return parsed;
    }
    if (parser.isSet(version)) {
        parsed.action = StartCommandLine::Action::Version;
        return parsed;
    }
    if (!parser.positionalArguments().isEmpty())
        return fail(QStringLiteral("Unerwartetes Argument „%1“.").arg(parser.positionalArguments().front()));

    // "--port --connect" would otherwise take "--connect" for the port's name.
    for (const QCommandLineOption &option : {port, log})
        if (parser.isSet(option) && (parser.value(option).trimmed().isEmpty() || parser.value(option).startsWith('-')))
            return fail(valueMissingText(QStringLiteral("--") + option.names().front()));
    for (const QString &file : parser.values(open))
        if (file.trimmed().isEmpty() || file.startsWith('-'))
            return fail(valueMissingText(QStringLiteral("--open")));

    StartOptions &o = parsed.options;
    o.port = parser.value(port);
    if (parser.isSet(line.baud)) {
        o.baud = parser.value(line.baud);
        if (!protocol::isRate(o.baud))
            return fail(QStringLiteral("Ungültige Baudrate „%1“: %2.").arg(o.baud, protocol::rateChoices()));
    }
    if (parser.isSet(line.address)) {
        o.address = parser.value(line.address).toUpper();
        if (!protocol::isAddressText(o.address))
            return fail(QStringLiteral("Ungültige Adresse „%1“: %2.").arg(parser.value(line.address), protocol::addressChoices()));
    }
    o.connect = parser.isSet(connect);
    o.logFile = parser.value(log);
    o.openFiles = parser.values(open);
    return parsed;
}
