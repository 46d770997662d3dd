// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the user types into the port box is not always what the serial library opens:
// the familiar names COM1 … COM10 stand for the first ten on-board ports.

#include <QString>

// The device the serial library is asked to open for the typed port name.
// "COM1" … "COM10" (upper case, no leading zero) become /dev/ttyS0 … /dev/ttyS9, a name
// starting with "/" is a path and stays as it is, any other name is looked up under /dev/.
// An empty name stays empty.
QString systemPortName(const QString &name);

// The device a typed port name leads to, links followed (/dev/serial/by-id/…, a link to a
// pseudo-terminal): two names of one device give one path, two devices never share one.
// The system name as it is when it leads to nothing.
QString devicePath(const QString &name);

// The name of the lock file Qt's serial port takes for a device opened by `path`: the path
// without "/dev/", every "/" made "_", after "LCK.." ("LCK..ttyUSB0", "LCK..pts_3",
// "LCK.._tmp_rix"). It tells /tmp/x_y from /tmp/x/y only when `path` is the device itself.
QString qtLockFileName(const QString &path);
