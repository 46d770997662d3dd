// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// rix-param find: which unit is on which port, at which rate and address.

#include "param/paramcommands.h"
#include "unit/search/unitsearch.h"

#include <QStringList>

struct ParamConsole;

namespace FindExit {
constexpr int Found = 0;     // at least one unit was found
constexpr int NoneFound = 1; // every port was asked, no unit answered (or every port was busy)
}

// Searches the ports of `options` (without --port: `adapters`, the system's USB and ACM
// adapters) with channels from `makeChannel`, and prints one line per port, or JSON.
ParamEnd runFind(const ParamOptions &options, ParamConsole &console, const QStringList &adapters,
                 const search::ChannelMaker &makeChannel);
