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

// The longest the unit's line stood quiet between these sends (in the order sent), judged
// from when each send's last byte went out and how long its bytes take at 19200 baud. A
// loaded machine can hold the simulator's thread past the program's quiet time; the unit
// then paused, and the program rightly sees two texts.
double longestQuietBetweenMs(const std::vector<TrafficEvent> &sends);

// Bytes as one readable line ("\r", "\n", "\xHH").
std::string printable(const std::string &bytes);

} // namespace e2e
