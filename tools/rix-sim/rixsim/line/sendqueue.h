// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rixsim/line/clock.h"

#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <optional>
#include <string>

namespace rixsim {

// One piece of text for the line: an answer, half of a split answer, or a
// text sent unasked.
struct Send {
    std::string bytes;
    Clock::time_point due;
    std::chrono::milliseconds gapBefore{0};   // pause after the previous send's last byte
    std::chrono::microseconds perByte{0};     // slowest pace wanted; 0: the line's
    Clock::duration spacing{0};               // fixed when its first byte goes out
    bool trickle = false;                     // perByte is slower than the line
    // What the fault that queued it does once its last byte is out.
    std::function<void(Clock::time_point)> whenOut{};
};

// The sends waiting for the line, in the order they go out, and how far the
// first one has got.
class SendQueue {
public:
    void push(Send send) { sends_.push_back(std::move(send)); }
    bool empty() const { return sends_.empty(); }
    Send &front() { return sends_.front(); }
    const Send &front() const { return sends_.front(); }
    Send &back() { return sends_.back(); }

    // The first send's time has come.
    bool due(Clock::time_point now) const { return !sends_.empty() && sends_.front().due <= now; }
    // When the first send falls due, if that is still ahead.
    std::optional<Clock::time_point> dueAfter(Clock::time_point now) const;

    // Bytes of the first send already written.
    std::size_t &offset() { return offset_; }

    // Takes the first send off once its last byte is out at done; the next
    // one keeps the pause it asked for after it.
    Send finishFront(Clock::time_point done);

private:
    std::deque<Send> sends_;
    std::size_t offset_ = 0;
};

} // namespace rixsim
