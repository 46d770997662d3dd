// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading a simulator's traffic log in the tests: the events of one kind, and waiting for
// a number of them.

#include "rixsim/trafficlog.h"

#include <chrono>
#include <vector>

namespace rixsim::testing {

inline std::vector<TrafficEvent> eventsOf(const TrafficLog &log, TrafficEvent::Kind kind)
{
    std::vector<TrafficEvent> out;
    for (auto &event : log.snapshot())
        if (event.kind == kind)
            out.push_back(event);
    return out;
}

inline bool waitForCount(const TrafficLog &log, TrafficEvent::Kind kind, std::size_t count,
                         std::chrono::milliseconds timeout)
{
    return log.waitFor([&](const std::vector<TrafficEvent> &events) {
        std::size_t n = 0;
        for (const auto &e : events)
            n += e.kind == kind ? 1 : 0;
        return n >= count;
    }, timeout);
}

} // namespace rixsim::testing
