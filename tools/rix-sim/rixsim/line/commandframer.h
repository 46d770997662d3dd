// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rixsim/line/clock.h"

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>

namespace rixsim {

// Cuts the bytes from the line into commands as the unit does: a command is
// everything received before a quiet gap, whatever it holds.
class CommandFramer {
public:
    explicit CommandFramer(std::chrono::milliseconds quietGap) : quietGap_(quietGap) {}

    void add(const char *bytes, std::size_t count, Clock::time_point at);
    // The gap after the last byte has passed: takeCommand() has a command.
    bool commandDue(Clock::time_point now) const { return !input_.empty() && now - lastByte_ >= quietGap_; }
    // When the command waiting now becomes due; empty when nothing waits.
    std::optional<Clock::time_point> deadline() const;
    // When the last byte of the waiting command arrived.
    Clock::time_point lastByte() const { return lastByte_; }
    // What has been received since the last command was taken.
    const std::string &pending() const { return input_; }
    // Hands out what has been received and starts the next command.
    std::string takeCommand();

private:
    std::chrono::milliseconds quietGap_;
    std::string input_;
    Clock::time_point lastByte_{};
};

} // namespace rixsim
