// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Why a port could not be opened, in words a technician can act on: no such device, held
// by another program (and by which kind of lock), or no permission.

#include <QSerialPort>
#include <QString>

// The message of a port that could not be opened, its lines separated by CR as the window's
// box shows them. `lastLine`: what the program does next.
QString openFailureMessage(const QString &portName, const QString &lastLine = QStringLiteral("Programm neu starten!"));
// The same message on one line, for a terminal, with `reason` as its end.
QString openFailureLine(const QString &portName, const QString &reason);

struct OpenFailure {
    int number;       // errno where the system gave one
    QString reason;   // German alone, for the details of the open-failure box and the log
};

// After QSerialPort::open() failed on `device`: Qt's error, its (English) text, which goes to the
// log only, and errno as the failed open left it (0 when there is none).
OpenFailure explainOpenFailure(const QString &device, QSerialPort::SerialPortError error, const QString &qtText,
                               int errnoValue);
// After flock() on the opened device failed with `errnoValue`.
OpenFailure explainLockFailure(const QString &device, int errnoValue);
