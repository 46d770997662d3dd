// SPDX-License-Identifier: GPL-3.0-or-later
#include "simtraffic.h"

#include "support/waiting.h"

#include "rixsim/escape.h"
#include "rixsim/line/pacer.h"

#include <algorithm>
#include <chrono>

namespace e2e {

std::vector<TrafficEvent> eventsOf(const rixsim::TrafficLog &log, TrafficEvent::Kind kind)
{
    std::vector<TrafficEvent> picked;
    for (auto &event : log.snapshot())
        if (event.kind == kind)
            picked.push_back(std::move(event));
    return picked;
}

std::vector<std::string> commandsReceived(const rixsim::TrafficLog &log)
{
    std::vector<std::string> commands;
    for (auto &event : eventsOf(log, TrafficEvent::Kind::Received))
        commands.push_back(std::move(event.bytes));
    return commands;
}

std::size_t answersSent(const rixsim::TrafficLog &log)
{
    return eventsOf(log, TrafficEvent::Kind::Sent).size();
}

bool hasNote(const rixsim::TrafficLog &log, const std::string &text)
{
    for (const auto &event : eventsOf(log, TrafficEvent::Kind::Note))
        if (event.bytes.find(text) != std::string::npos)
            return true;
    return false;
}

double longestQuietBetweenMs(const std::vector<TrafficEvent> &sends)
{
    const double characterMs = std::chrono::duration<double, std::milli>(rixsim::characterTime(19200)).count();
    double longest = 0;
    for (std::size_t i = 1; i < sends.size(); ++i)
        longest = std::max(longest, testsupport::millisecondsBetween(sends[i - 1].time, sends[i].time) -
                                        double(sends[i].bytes.size()) * characterMs);
    return longest;
}

std::string printable(const std::string &bytes)
{
    return rixsim::escapeBytes(bytes);
}

} // namespace e2e
