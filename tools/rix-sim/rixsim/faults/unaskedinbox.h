// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rixsim/line/clock.h"
#include "rixsim/line/sendqueue.h"

#include <chrono>
#include <mutex>
#include <string>
#include <vector>

namespace rixsim {

// Texts handed in from other threads (Transport::sendUnasked()) to be sent
// unasked, after what is already queued, at the line's pace or one byte every
// perByte when that is slower (a unit that trickles its text).
class UnaskedInbox {
public:
    // Safe from any thread.
    void put(std::string bytes, std::chrono::microseconds perByte);
    // On the run loop: queues everything handed in so far, due now.
    void moveTo(SendQueue &queue, Clock::time_point now);

private:
    struct Text {
        std::string bytes;
        std::chrono::microseconds perByte;
    };
    std::mutex mutex_;
    std::vector<Text> texts_;
};

} // namespace rixsim
