#pragma once
// The rix-param command line.

#include <QChar>
#include <QString>
#include <QStringList>

struct ParamOptions {
    enum class Command { Read, Diff, Write, Help };
    Command command = Command::Help;
    // The window's settings at start: port COM1, 19200 baud, address S.
    QString port = QStringLiteral("COM1");
    QString baud = QStringLiteral("19200");
    QChar address = QLatin1Char('S');
    QString outputFile;   // read -o; empty: standard output
    QString setFile;      // diff and write
    bool quiet = false;
    bool dryRun = false;
    bool yes = false;
    bool includeLineSettings = false;
};

struct ParsedCommandLine {
    ParamOptions options;
    QString error;   // German, one line; empty when the command line is good
};

// The arguments after the program's name.
ParsedCommandLine parseCommandLine(const QStringList &arguments);

QString usageText();
