// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// rix-param write: only what differs, one parameter at a time, each read back before the
// next; the line settings last and only on request; and, when the write stops early, a
// report of what reached the unit.

#include "param/paramcommands.h"

#include <memory>

std::unique_ptr<ParamCommand> makeWriteCommand(const ParamOptions &options, SerialChannel &channel, ParamConsole &console);

// What stops a write before the unit is asked: a set file it cannot take, or no terminal to
// ask on without --yes or --dry-run (throws ParamFailure for the file). Empty when it may go on.
QString writeRefusal(const ParamOptions &options, const ParamConsole &console);
