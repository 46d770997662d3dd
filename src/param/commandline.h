// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The rix-param command line.

#include <QChar>
#include <QString>
#include <QStringList>

struct ParamOptions {
    enum class Command { Read, Diff, Write, Find, Help, Version };
    Command command = Command::Help;
    // The port to use; empty until --port names it or, without one, the search finds it.
    QString port;
    // Every --port given, in order; more than one has read, diff and write work on every
    // unit at once. Without any, find searches the system's USB and ACM adapters, and read,
    // diff and write use the one unit that search finds (never COM1, an on-board port).
    QStringList ports;
    // The window's settings at start: 19200 baud, address S.
    QString baud = QStringLiteral("19200");
    QChar address = QLatin1Char('S');
    // Whether --baud and --address were given: without --port, the found unit's rate and
    // address are used unless they were.
    bool baudGiven = false;
    bool addressGiven = false;
    // How long after a request its answer is still taken. A unit answers within a few ms;
    // a slow adapter or a unit that is busy may take much longer, and an answer missed is
    // a read asked again.
    int timeoutMs = 2000;
    QString outputFile;   // read -o; empty or "-": standard output
    QString setFile;      // diff and write
    bool quiet = false;
    bool dryRun = false;
    bool yes = false;
    bool includeLineSettings = false;
    bool json = false;   // results and reports as JSON for scripts

    bool severalUnits() const { return ports.size() > 1; }

    bool toStandardOutput() const { return outputFile.isEmpty() || outputFile == QLatin1String("-"); }
    // read -o FOLDER/ (a "/" at its end): one file per unit, however many ports.
    bool toFolder() const { return command == Command::Read && outputFile.endsWith(QLatin1Char('/')); }
};

struct ParsedCommandLine {
    ParamOptions options;
    QString error;   // German, one line; empty when the command line is good
};

// The arguments after the program's name. Options may stand anywhere, as "--opt value" or
// "--opt=value"; "--" ends them.
ParsedCommandLine parseCommandLine(const QStringList &arguments);

QString usageText();
