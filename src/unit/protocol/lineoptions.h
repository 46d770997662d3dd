// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What rix-term and rix-param's command lines share: the three options that say which line
// and which unit (--port, --baud, --address), and why QCommandLineParser refused a command
// line, found from the words themselves so that each program can say it in German.

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>

struct LineOptions {
    QCommandLineOption port{QStringLiteral("port"), QString(), QStringLiteral("P")};
    QCommandLineOption baud{QStringLiteral("baud"), QString(), QStringLiteral("R")};
    QCommandLineOption address{QStringLiteral("address"), QString(), QStringLiteral("D")};

    QList<QCommandLineOption> all() const { return {port, baud, address}; }
    // Their names: all three take a value.
    static QStringList names();
};

// How a program words a refused command line: where an option takes no value (with "%1" for
// the option), and whether the option is named as typed ("-port") or by its name ("--port").
struct RefusalWording {
    QString takesNoValue;
    bool optionAsTyped = false;
};

// QCommandLineParser's refusal of `words` (the arguments after the program's name) in German,
// found from the words themselves; `valueOptions`: the names that take a value.
QString refusalText(const QCommandLineParser &parser, const QStringList &words, const QStringList &valueOptions,
                    const RefusalWording &wording);
// "Bei „--port“ fehlt der Wert."
QString valueMissingText(const QString &option);
