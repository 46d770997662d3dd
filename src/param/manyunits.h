// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// read, diff and write on several units at once: one thread per unit, each with its own
// port and its own parameter session, as if rix-param ran once per unit; their lines come
// out whole with the unit's port in front, and each unit has its own report.

#include "param/paramcommands.h"

#include <functional>
#include <memory>

class SerialChannel;
class StopRequest;
class TextOutput;

using MakeChannel = std::function<std::unique_ptr<SerialChannel>()>;

// Runs the command of `options` on every port of `options.ports` (one or more) at once.
// The exit code is the worst unit's (2 before 3 before 1 before 0); a signal that stopped a
// write is the end of all. With --json standard output gets one JSON object per unit in an
// array instead of the units' text. `makeChannel` is called on each unit's thread.
// `holdSignals`: held before the first unit begins, when writing (every unit then finishes
// the parameter on its line).
ParamEnd runOnEveryUnit(const ParamOptions &options, TextOutput &out, TextOutput &err, StopRequest &stop,
                        const QString &programVersion, const MakeChannel &makeChannel);

// "ttyUSB0-5.txt" for /dev/ttyUSB0 and address 5: the file of one unit in read -o FOLDER/.
QString unitFileName(const QString &port, QChar address);
