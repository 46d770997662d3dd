// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading and writing one parameter with the window's exact commands.

#include "unit/parameters/unitline.h"

#include <QByteArray>
#include <QChar>
#include <QString>

// "$R" + address + "RF" + n: what cmdFn sends.
QByteArray readCommand(QChar address, int n);
// "$R" + address + "PF" + n + value: the write the window's write button prepares, nothing added.
QByteArray writeCommand(QChar address, int n, const QString &value);

// Reads Fn from `address`: the read command and its answer, and once more when no answer
// came. What came instead of an answer is in the result, for the message.
UnitLine::Heard readParameter(UnitLine &line, QChar address, int n);
