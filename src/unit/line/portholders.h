// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Which other programs of this machine have a port open, found as fuser finds them: by the
// open files of every process, each compared with the device. A terminal program that
// opens a port without any lock is seen only this way; a lock stops only those that ask.

#include <QList>
#include <QString>
#include <QStringList>

struct PortHolder {
    qint64 pid = 0;
    QString program;   // the name the system keeps for it (/proc/PID/comm)

    bool operator==(const PortHolder &other) const { return pid == other.pid && program == other.program; }
};

// For each of `ports` (as typed; links are followed, so a port named by a link is found
// open under the device's own name), the other processes that have it open, by process
// number. This process is never among them: it knows its own ports. Nor is a process that
// holds the master end of the pseudo-terminal a port is: that is the line's other end (a
// simulator, a bridge), which keeps the port open to keep its line, not a second user.
// Another user's processes are seen only by root, as with fuser.
QList<QList<PortHolder>> otherHolders(const QStringList &ports);
