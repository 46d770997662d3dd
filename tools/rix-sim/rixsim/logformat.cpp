// SPDX-License-Identifier: GPL-3.0-or-later
#include "rixsim/logformat.h"

#include "rixsim/escape.h"

#include <cstdio>
#include <ctime>

namespace rixsim {

std::string formatLogLine(const TrafficEvent &event, std::chrono::system_clock::time_point wallTime)
{
    using namespace std::chrono;
    const std::time_t seconds = system_clock::to_time_t(time_point_cast<system_clock::duration>(wallTime));
    const auto millis = duration_cast<milliseconds>(wallTime.time_since_epoch()).count() % 1000;
    std::tm local{};
    ::localtime_r(&seconds, &local);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(millis));

    std::string line(stamp);
    switch (event.kind) {
    case TrafficEvent::Kind::Received: line += " <- " + escapeBytes(event.bytes); break;
    case TrafficEvent::Kind::Sent: line += " -> " + escapeBytes(event.bytes); break;
    case TrafficEvent::Kind::Note: line += " -- " + event.bytes; break;
    }
    return line;
}

} // namespace rixsim
