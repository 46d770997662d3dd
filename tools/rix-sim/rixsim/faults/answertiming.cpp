// SPDX-License-Identifier: GPL-3.0-or-later
#include "rixsim/faults/answertiming.h"

namespace rixsim {

void queueAnswer(SendQueue &queue, std::string answer, Clock::time_point framed, std::chrono::milliseconds delay,
                 std::chrono::milliseconds splitGap)
{
    const Clock::time_point due = framed + delay;
    if (splitGap.count() > 0 && answer.size() >= 2) {
        const std::size_t half = answer.size() / 2;
        queue.push({answer.substr(0, half), due});
        queue.push({answer.substr(half), due, splitGap});
    } else {
        queue.push({std::move(answer), due});
    }
}

} // namespace rixsim
