// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The serial ports the system knows, named the way the port box opens them.

#include <QList>
#include <QString>
#include <QStringList>

// A serial port as the system reports it; `name` is what the port box needs to open it.
struct FoundPort {
    QString name;
    QString description;
    QString manufacturer;

    bool operator==(const FoundPort &other) const
    {
        return name == other.name && description == other.description && manufacturer == other.manufacturer;
    }
};

// By the device path (/dev/ttyUSB0), which the port-name mapping uses as typed. Reads the
// system's list on every call.
QList<FoundPort> systemPorts();

// Where udev names each USB serial adapter by its maker, model and serial number.
inline constexpr char udevAdapterLinks[] = "/dev/serial/by-id";
// The links in `folder` that lead to a device, by name (each as its path in `folder`).
QStringList adapterLinks(const QString &folder = QString::fromLatin1(udevAdapterLinks));
