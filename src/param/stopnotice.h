// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What rix-param says the moment a signal asks a write to stop. The first signal is answered
// at once with the parameter that is being finished, so that the user does not wait in
// silence for a slow or silent unit; a second one gets the report as it stands, the
// parameter on the line as „Zustand unbekannt“, before the program ends by that signal.

#include "unit/parameters/writereport.h"

#include <QString>

#include <vector>

// "rix-param: SIGINT (Strg+C): F2 wird noch fertig geschrieben und zurückgelesen, …".
QString firstStopNotice(int signal, const std::vector<PlannedWrite> &plan);
// "rix-param: zweites Signal, SIGINT (Strg+C): sofort beendet, …" and the report.
QString secondStopNotice(int signal, const std::vector<PlannedWrite> &plan);
