// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/app/commandline.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QRegularExpression>

namespace {

// The address box's list: 0 … 9, A … F and S for "any unit".
bool isAddressDigit(const QString &text)
{
    static const QString digits = QStringLiteral("0123456789ABCDEFS");
    return text.size() == 1 && digits.contains(text.front());
}

// Qt's own options, which QApplication takes from the same command line: known here so that
// they are no error, hidden from the help, and otherwise left alone.
const QStringList kQtOptionsWithValue = {"platform", "platformpluginpath", "platformtheme", "plugin",
                                         "qwindowgeometry", "geometry", "qwindowtitle", "title", "qwindowicon",
                                         "icon", "display", "name", "visual", "session", "style", "stylesheet"};
const QStringList kQtFlags = {"reverse", "widgetcount", "nograb", "dograb", "sync", "testability"};

void addQtOptions(QCommandLineParser &parser)
{
    for (const QString &name : kQtOptionsWithValue) {
        QCommandLineOption option(name, QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const QString &name : kQtFlags) {
        QCommandLineOption option(name);
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

// The parser's own texts are English; each of its three complaints in German.
QString parseError(const QCommandLineParser &parser, const QStringList &arguments, const QStringList &valued)
{
    const QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty()) {
        const QString name = unknown.front();
        return QStringLiteral("Unbekannte Option „%1%2“.").arg(name.size() == 1 ? "-" : "--", name);
    }
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &word = arguments.at(i);
        const QString name = word.section(QLatin1Char('='), 0, 0).remove(QRegularExpression(QStringLiteral("^--?")));
        if (word.contains(QLatin1Char('=')) && !valued.contains(name) && word.startsWith(QLatin1Char('-')))
            return QStringLiteral("Die Option „%1“ nimmt keinen Wert an.").arg(word.section(QLatin1Char('='), 0, 0));
        if (valued.contains(name) && !word.contains(QLatin1Char('=')) && i + 1 == arguments.size())
            return QStringLiteral("Bei „%1“ fehlt der Wert.").arg(word);
    }
    return parser.errorText();
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
        "Terminal zum Einrichten einer RIX-Einheit über eine serielle Leitung.\n"
        "\n"
        "  --port P      Schnittstelle ins Feld „Verbindung“ (COM1–COM10 sind /dev/ttyS0–9,\n"
        "                ein Name mit / ist ein Pfad, sonst /dev/P)\n"
        "  --baud R      Baudrate: 19200 oder 4800\n"
        "  --address D   Adresse der Einheit: 0–9, A–F oder S (jede Einheit)\n"
        "  --connect     gleich verbinden, wie „Verbinden“\n"
        "  --log DATEI   die Sitzung von Anfang an in DATEI mitschneiden (wird angehängt)\n"
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
    const QCommandLineOption port(QStringLiteral("port"), QString(), QStringLiteral("P"));
    const QCommandLineOption baud(QStringLiteral("baud"), QString(), QStringLiteral("R"));
    const QCommandLineOption address(QStringLiteral("address"), QString(), QStringLiteral("D"));
    const QCommandLineOption connect(QStringLiteral("connect"));
    const QCommandLineOption log(QStringLiteral("log"), QString(), QStringLiteral("DATEI"));
    const QCommandLineOption help(QStringList{QStringLiteral("help"), QStringLiteral("h")});
    const QCommandLineOption version(QStringLiteral("version"));
    parser.addOptions({port, baud, address, connect, log, help, version});
    addQtOptions(parser);

    if (!parser.parse(arguments))
        return fail(parseError(parser, arguments, QStringList{"port", "baud", "address", "log"} + kQtOptionsWithValue));
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
            return fail(QStringLiteral("Bei „--%1“ fehlt der Wert.").arg(option.names().front()));

    StartOptions &o = parsed.options;
    o.port = parser.value(port);
    if (parser.isSet(baud)) {
        o.baud = parser.value(baud);
        if (o.baud != QLatin1String("19200") && o.baud != QLatin1String("4800"))
            return fail(QStringLiteral("Ungültige Baudrate „%1“: 19200 oder 4800.").arg(o.baud));
    }
    if (parser.isSet(address)) {
        o.address = parser.value(address).toUpper();
        if (!isAddressDigit(o.address))
            return fail(QStringLiteral("Ungültige Adresse „%1“: 0–9, A–F oder S.").arg(parser.value(address)));
    }
    o.connect = parser.isSet(connect);
    o.logFile = parser.value(log);
    return parsed;
}
