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
