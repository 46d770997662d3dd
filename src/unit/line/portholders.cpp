// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/line/portholders.h"

#include "unit/line/portname.h"

#include <QFile>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <memory>

#include <dirent.h>
#include <unistd.h>

namespace {

// The pseudo-terminal's number of /dev/pts/N, else -1.
int ptsNumber(const QString &device)
{
    static const QLatin1String pts("/dev/pts/");
    bool ok = false;
    const int number = device.startsWith(pts) ? device.mid(pts.size()).toInt(&ok) : -1;
    return ok ? number : -1;
}

QByteArray linkTarget(const QByteArray &link)
{
    char target[4096];
    const ssize_t length = ::readlink(link.constData(), target, sizeof target);
    return length > 0 ? QByteArray(target, length) : QByteArray();
}

// The number of the pseudo-terminal whose master end the open file is, else -1.
int masterOf(const QByteArray &process, const QByteArray &fd, const QByteArray &target)
{
    if (target != "/dev/ptmx" && target != "/dev/pts/ptmx")
        return -1;
    QFile info(QString::fromLocal8Bit("/proc/" + process + "/fdinfo/" + fd));
    if (!info.open(QIODevice::ReadOnly))
        return -1;
    static const QByteArray key = "tty-index:";
    for (const QByteArray &line : info.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().toInt();
    return -1;
}

QString programOf(const QByteArray &process)
{
    QFile comm(QString::fromLocal8Bit("/proc/" + process + "/comm"));
    return comm.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(comm.readAll().trimmed()) : QString();
}

using Directory = std::unique_ptr<DIR, int (*)(DIR *)>;

} // namespace

QList<QList<PortHolder>> otherHolders(const QStringList &ports)
{
    QList<QList<PortHolder>> holders(ports.size());
    QHash<QByteArray, QList<int>> wanted;   // a device's path → the places of the ports it is
    for (int index = 0; index < ports.size(); ++index) {
        const QString device = devicePath(ports.at(index));
        if (QFile::exists(device))
            wanted[QFile::encodeName(device)] << index;
    }
    if (wanted.isEmpty())
        return holders;

    const QByteArray self = QByteArray::number(qint64(::getpid()));
    Directory proc(::opendir("/proc"), ::closedir);
    if (!proc)
        return holders;
    while (const dirent *process = ::readdir(proc.get())) {
        const QByteArray pid(process->d_name);
        if (pid.isEmpty() || !std::all_of(pid.begin(), pid.end(), [](char c) { return c >= '0' && c <= '9'; })
            || pid == self)
            continue;
        const QByteArray fdFolder = "/proc/" + pid + "/fd";
        Directory fds(::opendir(fdFolder.constData()), ::closedir);
        if (!fds)
            continue;   // gone meanwhile, or another user's
        QSet<QByteArray> open;   // the wanted devices it has open
        QSet<int> masters;       // the pseudo-terminals whose master end it holds
        while (const dirent *fd = ::readdir(fds.get())) {
            if (fd->d_name[0] == '.')
                continue;
            const QByteArray target = linkTarget(fdFolder + '/' + fd->d_name);
            if (wanted.contains(target))
                open << target;
            else if (const int master = masterOf(pid, fd->d_name, target); master >= 0)
                masters << master;
        }
        if (open.isEmpty())
            continue;
        const PortHolder holder{pid.toLongLong(), programOf(pid)};
        for (const QByteArray &device : std::as_const(open)) {
            if (masters.contains(ptsNumber(QFile::decodeName(device))))
                continue;
            for (const int index : wanted.value(device))
                holders[index] << holder;
        }
    }
    for (QList<PortHolder> &each : holders)
        std::sort(each.begin(), each.end(), [](const PortHolder &a, const PortHolder &b) { return a.pid < b.pid; });
    return holders;
}
