// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading a simulated unit's traffic log: what reached the unit, what it sent, and when.

#include "rixsim/trafficlog.h"

#include <string>
#include <vector>

namespace e2e {

using rixsim::TrafficEvent;

std::vector<TrafficEvent> eventsOf(const rixsim::TrafficLog &log, TrafficEvent::Kind kind);
// The whole commands the unit received, in order (each framed by the unit's quiet gap).
std::vector<std::string> commandsReceived(const rixsim::TrafficLog &log);
// How many answers the unit has sent so far.
std::size_t answersSent(const rixsim::TrafficLog &log);
// Whether a note containing `text` has been logged (flood end, hang-up).
bool hasNote(const rixsim::TrafficLog &log, const std::string &text);

// Bytes as one readable line ("\r", "\n", "\xHH").
std::string printable(const std::string &bytes);

} // namespace e2e
