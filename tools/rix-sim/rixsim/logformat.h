// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rixsim/trafficlog.h"

#include <chrono>
#include <string>

namespace rixsim {

// One log line for standard error, with the local wall-clock time:
//   "12:00:01.234 <- $RSRF0"          (a command received)
//   "12:00:01.245 -> SRF0F011\r\n"    (bytes sent, escaped)
//   "12:00:02.000 -- hung up"         (a note)
std::string formatLogLine(const TrafficEvent &event, std::chrono::system_clock::time_point wallTime);

} // namespace rixsim
