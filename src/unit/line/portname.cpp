// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/line/portname.h"

#include <QFileInfo>

namespace {

// The number N of "COMN" for N in 1 … 10 exactly as the port list spells it, else 0.
int comPortNumber(const QString &name)
{
    if (!name.startsWith(QLatin1String("COM")))
        return 0;
    const QString digits = name.mid(3);
    if (digits.isEmpty() || digits.startsWith(QLatin1Char('0')))
        return 0;
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return 0;
    }
    const int number = digits.toInt();
    return number >= 1 && number <= 10 ? number : 0;
}

} // namespace

QString systemPortName(const QString &name)
{
    if (name.isEmpty() || name.startsWith(QLatin1Char('/')))
        return name;
    if (const int com = comPortNumber(name))
        return QStringLiteral("/dev/ttyS%1").arg(com - 1);
    return QStringLiteral("/dev/") + name;
}

QString devicePath(const QString &name)
{
    const QString device = systemPortName(name);
    const QString canonical = QFileInfo(device).canonicalFilePath();
    return canonical.isEmpty() ? device : canonical;
}

QString qtLockFileName(const QString &path)
{
    QString name = path.startsWith(QLatin1String("/dev/")) ? path.mid(5) : path;
    return QStringLiteral("LCK..") + name.replace(QLatin1Char('/'), QLatin1Char('_'));
}
