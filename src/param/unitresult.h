// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What one run of read, diff or write found on a unit and did to it: the values read, the
// changes between file and unit, each written parameter's state, how it ended and why. The
// command fills it as it goes; its text (what the command prints) and its JSON
// (unitreport.*) are two renderings of it, and the JSON never sees the text.

#include "param/commandline.h"
#include "unit/parameters/parameterset.h"
#include "unit/parameters/writereport.h"

#include <QChar>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// A parameter whose file value differs from the unit's.
struct SetChange {
    int n = 0;
    QString unitValue;
    QString fileValue;
};

struct UnitResult {
    ParamOptions::Command command = ParamOptions::Command::Read;
    QString port;
    int exitCode = 0;
    int signal = 0;   // the signal that stopped it, 0 when none did
    // read: every parameter, once all of them are read.
    std::optional<ParameterSet> values;
    // diff: the parameters that differ, in order; write: the plan's, in the order it writes them.
    std::vector<SetChange> changes;
    // write: each parameter of the plan with its state as it stands.
    std::vector<PlannedWrite> plan;
    bool reportShown = false;   // write: the report of each parameter's state was printed
    QString failure;            // why it ended with exit 2, as it was printed after "rix-param: "
    QStringList messages;       // its lines on standard error, where they are kept

    // The unit's address digit: F0's first digit; null without F0.
    QChar address() const;
};
