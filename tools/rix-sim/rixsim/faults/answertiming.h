// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rixsim/line/clock.h"
#include "rixsim/line/sendqueue.h"

#include <chrono>
#include <string>

namespace rixsim {

// --delay and --split-ms: queues a non-empty answer to a command framed at
// framed (its quiet gap over) to start delay later, in two halves (the first
// size()/2 bytes, then the rest) at least splitGap apart when splitGap is
// non-zero. Its last piece is queue.back() afterwards.
void queueAnswer(SendQueue &queue, std::string answer, Clock::time_point framed, std::chrono::milliseconds delay,
                 std::chrono::milliseconds splitGap);

} // namespace rixsim
