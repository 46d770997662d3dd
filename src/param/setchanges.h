// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A parameter-set file against the unit: the file loaded for a command, the parameters
// whose values differ, and the lines that show a change.

#include "unit/parameters/parameterset.h"
#include "unit/parameters/parametersession.h"

#include <QString>

#include <vector>

class TextOutput;

// The file at `path`, with at least one parameter; throws ParamFailure with the reason.
// `writing`: the message says that nothing went to the unit.
ParameterSet loadSetOrFail(const QString &path, bool writing);

// "F3: 0E28 → 0E3C (Vorlaufzeit)" and, below it, each digit group that changes.
void printChange(TextOutput &out, int n, const QString &unitValue, const QString &fileValue);
