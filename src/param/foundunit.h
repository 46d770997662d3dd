// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// read, diff and write without --port: the one unit that find finds on the USB and ACM
// adapters, never COM1 (an on-board port may carry a console or another device). The search
// runs on the program's event loop as find's does; the command starts once it is over.

#include "param/paramcommands.h"
#include "unit/search/unitsearch.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

struct ParamConsole;

struct FoundUnit {
    std::optional<ParamOptions> options;   // the command's options on the one unit found
    QString message;                       // which unit it is, or why there is none (lines)
};

// What the search's outcomes leave for `options`: with exactly one unit found, its port, its
// rate unless --baud named one and its address unless --address did (S when its F0 went
// unanswered: every unit answers S); with none or more than one, no options and a message
// that lists every port's line.
FoundUnit chooseFoundUnit(const ParamOptions &options, const QList<search::PortOutcome> &outcomes);

// Searches `adapters` with channels from `makeChannel` and returns at once. When the search
// is over, standard error says which unit is used and `found` runs with its options, or it
// says why none is and `finished` runs with exit 2. What the command checks before it needs
// the unit (refusalBeforeUnit) is checked before the search. The search lives as long as
// the object returned.
std::unique_ptr<QObject> startOnFoundUnit(const ParamOptions &options, ParamConsole &console,
                                          const QStringList &adapters, const search::ChannelMaker &makeChannel,
                                          std::function<void(const ParamOptions &)> found,
                                          std::function<void(const ParamEnd &)> finished);
