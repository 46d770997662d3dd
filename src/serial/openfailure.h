#pragma once
// Why a port could not be opened, in words a technician can act on: no such device, held
// by another program (and by which kind of lock), or no permission.

#include <QSerialPort>
#include <QString>

struct OpenFailure {
    int number;       // errno where the system gave one
    QString reason;   // German, for the details of the open-failure box and the log
};

// After QSerialPort::open() failed on `device`.
OpenFailure explainOpenFailure(const QString &device, QSerialPort::SerialPortError error, const QString &qtText);
// After flock() on the opened device failed with `errnoValue`.
OpenFailure explainLockFailure(const QString &device, int errnoValue);
