// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/line/systemports.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

QList<FoundPort> systemPorts()
{
    QList<FoundPort> ports;
    const QList<QSerialPortInfo> infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : infos) {
        const QString name = info.systemLocation();
        ports.push_back(FoundPort{name, info.description(), info.manufacturer()});
    }
    return ports;
}

QStringList adapterLinks(const QString &folder)
{
    QStringList links;
    const QFileInfoList entries = QDir(folder).entryInfoList(QDir::System | QDir::Files, QDir::Name);
    for (const QFileInfo &entry : entries)
        if (entry.isSymLink() && entry.exists())
            links << entry.filePath();
    return links;
}
