// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// rix-term's command line: where the technician is, so that the window need not be filled in
// by hand at every start. Read before Qt's application exists, so that --help, --version and a
// bad option need no display. Qt's own options (-platform, -style …) are left to Qt.

#include <QString>
#include <QStringList>

struct StartOptions {
    // Empty: the box keeps its start value.
    QString port;
    QString baud;
    QString address;
    // Connect at start as "Verbinden" does.
    bool connect = false;
    // Record the session into this file from the start.
    QString logFile;
    // Recordings to look at, each in a window of its own (--open, as often as given).
    QStringList openFiles;
};

struct StartCommandLine {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    StartOptions options;
    QString error;   // German, one line, for Action::Error
};

// `arguments` with the program's name first, as main() gets them.
StartCommandLine parseStartCommandLine(const QStringList &arguments);

QString startUsageText();
QString versionText();
