// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// rix-param find: which unit is on which port, at which rate and address. Nothing waits:
// the search runs on the program's event loop, each port's line is printed as soon as
// that port is settled, and the caller hears the end.

#include "param/paramcommands.h"
#include "unit/search/unitsearch.h"

#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>

struct ParamConsole;

namespace FindExit {
constexpr int Found = 0;     // at least one unit was found
constexpr int NoneFound = 1; // every port was asked, no unit answered (or every port was busy)
}

// Starts the search of the ports of `options` (without --port: `adapters`, the system's USB
// and ACM adapters) with channels from `makeChannel` and returns at once. One line per port
// goes out as each is settled, or, with --json, the array once all are. `finished` runs
// once, from the event loop, after the last of it. The search lives as long as the object
// returned.
std::unique_ptr<QObject> startFind(const ParamOptions &options, ParamConsole &console, const QStringList &adapters,
                                   const search::ChannelMaker &makeChannel,
                                   std::function<void(const ParamEnd &)> finished);
