// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/line/openfailure.h"

#include "unit/line/portname.h"
#include "unit/logging.h"
#include "unit/systemreason.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>

#include <cerrno>

#include <unistd.h>

QString openFailureMessage(const QString &portName, const QString &lastLine)
{
    return QStringLiteral("Serielle Schnittstelle\r") + portName
           + QStringLiteral("\rist nicht vorhanden, oder wird von \reiner anderen Anwendung benutzt!\r\r") + lastLine;
}

QString openFailureLine(const QString &portName, const QString &reason)
{
    return openFailureMessage(portName, reason).replace(QLatin1Char('\r'), QLatin1Char(' ')).simplified();
}

namespace {
// Qt's lock file for the device ("LCK..ttyUSB0") and the process that holds it, if any.
QString lockFileHolder(const QString &device)
{
    const QString name = qtLockFileName(devicePath(device));
    for (const QString &dir : {QStringLiteral("/var/lock"), QStringLiteral("/run/lock"), QDir::tempPath()}) {
        const QString path = dir + QLatin1Char('/') + name;
        if (!QFileInfo::exists(path))
            continue;
        QLockFile lock(path);
        qint64 pid = 0;
        QString host, application;
        if (lock.getLockInfo(&pid, &host, &application))
            return QStringLiteral("%1 (Prozess %2%3)").arg(path).arg(pid).arg(
                application.isEmpty() ? QString() : QStringLiteral(", ") + application);
        return path;
    }
    return QString();
}

QString dialoutHint()
{
    return QStringLiteral("Unter Linux dürfen nur Mitglieder der Gruppe „dialout“ serielle Schnittstellen "
                          "benutzen: sudo adduser $USER dialout, dann neu anmelden.");
}
} // namespace

OpenFailure explainOpenFailure(const QString &device, QSerialPort::SerialPortError error, const QString &qtText,
                               int errnoValue)
{
    // Qt's text is English and may name only its own step ("Permission error while locking
    // the device"): for the log. The German reason and its number are logged where the failure
    // is reported.
    qCDebug(lcSerial).noquote() << device << "not opened:" << error << qtText << "- errno" << errnoValue;
    if (error == QSerialPort::DeviceNotFoundError || !QFileInfo::exists(device))
        return {ENOENT, QStringLiteral("Das Gerät %1 gibt es nicht. Ist der Adapter eingesteckt, und ist der Name "
                                       "richtig? USB-Adapter heißen meist /dev/ttyUSB0 oder /dev/ttyACM0.")
                            .arg(device)};
    if (error == QSerialPort::PermissionError) {
        if (::access(QFile::encodeName(device).constData(), R_OK | W_OK) != 0 && errno == EACCES)
            return {EACCES, QStringLiteral("Keine Berechtigung für %1. ").arg(device) + dialoutHint()};
        const QString holder = lockFileHolder(device);
        if (!holder.isEmpty())
            return {EBUSY, QStringLiteral("%1 wird von einem anderen Programm benutzt: Sperrdatei %2.").arg(device, holder)};
        return {EBUSY, QStringLiteral("%1 wird von einem anderen Programm exklusiv benutzt.").arg(device)};
    }
    const int number = errnoValue > 0 ? errnoValue : error == QSerialPort::ResourceError ? EIO : ENODEV;
    return {number, QStringLiteral("%1 lässt sich nicht öffnen: %2").arg(device, systemReason(number))};
}

OpenFailure explainLockFailure(const QString &device, int errnoValue)
{
    qCDebug(lcSerial).noquote() << device << "not locked (flock):" << systemText(errnoValue);
    return {errnoValue, QStringLiteral("%1 wird von einem anderen Programm benutzt: es hält eine Sperre (flock) auf "
                                       "dem Gerät, womöglich unter einem anderen Namen.")
                            .arg(device)};
}
