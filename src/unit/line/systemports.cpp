// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/line/systemports.h"

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
