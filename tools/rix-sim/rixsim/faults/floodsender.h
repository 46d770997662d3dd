// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rixsim/line/chunksource.h"
#include "rixsim/line/clock.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace rixsim {

// --flood: numbered flood lines (see flood.h) without a pause for a while.
// Answers land between chunks of whole lines, never inside a flood line; the
// last chunk is still completed after the time is up.
class FloodSender : public ChunkSource {
public:
    using Note = std::function<void(std::string)>;

    // A duration of zero makes a sender that never sends.
    FloodSender(std::chrono::milliseconds duration, Clock::time_point start, Note note);

    // Paced, a chunk is one line, so that the flood ends on time and the
    // line's rate is read again for every line.
    void refill(Clock::time_point now, bool paced) override;

private:
    Note note_;
    bool flooding_ = false;
    Clock::time_point until_{};
    std::uint64_t next_ = 1;
};

} // namespace rixsim
