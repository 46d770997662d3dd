// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// rix-param write: only what differs, one parameter at a time, each read back before the
// next; the line settings last and only on request; and, when the write stops early, a
// report of what reached the unit.

#include "param/paramcommands.h"

#include <memory>

std::unique_ptr<ParamCommand> makeWriteCommand(const ParamOptions &options, SerialChannel &channel, ParamConsole &console);
