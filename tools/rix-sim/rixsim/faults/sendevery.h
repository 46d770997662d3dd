// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rixsim/line/clock.h"
#include "rixsim/line/sendqueue.h"

#include <chrono>
#include <optional>
#include <string>

namespace rixsim {

// --send-every: a text sent unasked at a fixed period, the first time one
// period after the start. A repetition that falls due while the previous one
// is still queued is skipped, so a slow line does not pile them up.
class SendEvery {
public:
    // Sends nothing when the period is zero or the text is empty.
    SendEvery(std::chrono::milliseconds period, std::string text, Clock::time_point start);
    // A queued repetition refers back to its sender.
    SendEvery(const SendEvery &) = delete;
    SendEvery &operator=(const SendEvery &) = delete;

    // Queues the text when a repetition is due.
    void queueDue(SendQueue &queue, Clock::time_point now);
    // When the next repetition falls due.
    std::optional<Clock::time_point> deadline() const { return at_; }

private:
    std::chrono::milliseconds period_;
    std::string text_;
    std::optional<Clock::time_point> at_;
    bool queued_ = false;
};

} // namespace rixsim
