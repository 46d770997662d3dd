// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace rixsim {

// What happened on the simulator's line, for the program's log and for tests
// that need to know exactly which bytes reached the unit and when.
struct TrafficEvent {
    enum class Kind {
        Received, // one whole command (the bytes before a 10 ms quiet gap)
        Sent,     // one send: an answer, half of a split answer, an unasked text
        Note,     // something worth a log line that is not traffic: flood start/end, hang-up
    };
    Kind kind;
    // Received: when the command's last byte arrived. Sent: when the last
    // byte was handed to the line, which for a paced send is the end of its
    // pacing, so a latency measured from it includes the time on the line.
    // Note: when it happened.
    std::chrono::steady_clock::time_point time;
    std::string bytes; // the raw bytes (Received/Sent) or the note's text
};

// Thread-safe, append-only. The run loop appends; tests read snapshots or wait
// for a condition from another thread. A Sent event is appended just after its
// write returns, so a reader on the line can hold the bytes a moment before
// the event is here: wait for it with waitFor() rather than reading snapshot().
class TrafficLog {
public:
    using Predicate = std::function<bool(const std::vector<TrafficEvent> &)>;

    void append(TrafficEvent event);
    std::vector<TrafficEvent> snapshot() const;
    std::size_t size() const;

    // Waits until the predicate holds over the events so far, or the timeout
    // passes; returns whether it held.
    bool waitFor(const Predicate &predicate, std::chrono::milliseconds timeout) const;

    // All bytes of the given kind, concatenated in order.
    std::string joined(TrafficEvent::Kind kind) const;

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<TrafficEvent> events_;
};

} // namespace rixsim
