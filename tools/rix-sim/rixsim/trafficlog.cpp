// SPDX-License-Identifier: GPL-3.0-or-later
#include "rixsim/trafficlog.h"

namespace rixsim {

void TrafficLog::append(TrafficEvent event)
{
    {
        std::lock_guard lock(mutex_);
        events_.push_back(std::move(event));
    }
    changed_.notify_all();
}

std::vector<TrafficEvent> TrafficLog::snapshot() const
{
    std::lock_guard lock(mutex_);
    return events_;
}

std::size_t TrafficLog::size() const
{
    std::lock_guard lock(mutex_);
    return events_.size();
}

bool TrafficLog::waitFor(const Predicate &predicate, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return predicate(events_); });
}

std::string TrafficLog::joined(TrafficEvent::Kind kind) const
{
    std::lock_guard lock(mutex_);
    std::string out;
    for (const auto &event : events_)
        if (event.kind == kind)
            out += event.bytes;
    return out;
}

} // namespace rixsim
