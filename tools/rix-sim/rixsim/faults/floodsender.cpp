// SPDX-License-Identifier: GPL-3.0-or-later
#include "rixsim/faults/floodsender.h"

#include "rixsim/flood.h"

namespace rixsim {

namespace {
// Lines per chunk when not paced: large enough that the pty buffer is kept
// full with few system calls, small enough that an answer does not wait long
// behind it.
constexpr int linesPerChunk = 32;
} // namespace

FloodSender::FloodSender(std::chrono::milliseconds duration, Clock::time_point start, Note note)
    : note_(std::move(note))
{
    if (duration.count() <= 0)
        return;
    flooding_ = true;
    until_ = start + duration;
    note_("flood started for " + std::to_string(duration.count()) + " ms");
}

void FloodSender::refill(Clock::time_point now, bool paced)
{
    if (!flooding_ || !chunkOut())
        return;
    if (now >= until_) {
        startChunk({});
        flooding_ = false;
        note_("flood finished after " + std::to_string(next_ - 1) + " lines");
        return;
    }
    std::string lines;
    const int count = paced ? 1 : linesPerChunk;
    for (int i = 0; i < count; ++i)
        lines += floodLine(next_++);
    startChunk(std::move(lines));
}

} // namespace rixsim
