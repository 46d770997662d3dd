// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A unit's result as JSON, for scripts and a workshop's inventory: made from the result
// itself (unitresult.h), never from the German text the command printed.

#include "param/unitresult.h"

#include <QByteArray>

#include <vector>

// {"port", "exit", "signal" (null or "SIGINT (Strg+C)" …), "messages" (its lines on standard
// error), for read "address" and "values" {"F0": "F011", …} (a read that ended with 0 only),
// for diff and write "changes" [{"parameter", "unit", "file"}], for write "report"
// [{"parameter", "unit", "file", "state"}], empty unless the report was printed}.
QByteArray unitReportJson(const UnitResult &result);

// The array of every unit's object, one per line: "[\n  {…},\n  {…}\n]\n".
QString unitReportsJson(const std::vector<UnitResult> &results);

// The JSON's word for a parameter's state: the report's phrases as they were when scripts
// began to read them, kept whatever the report comes to say.
QString stateWord(const PlannedWrite &p);
