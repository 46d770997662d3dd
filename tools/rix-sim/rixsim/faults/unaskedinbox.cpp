// SPDX-License-Identifier: GPL-3.0-or-later
#include "rixsim/faults/unaskedinbox.h"

namespace rixsim {

void UnaskedInbox::put(std::string bytes, std::chrono::microseconds perByte)
{
    std::lock_guard lock(mutex_);
    texts_.push_back({std::move(bytes), perByte});
}

void UnaskedInbox::moveTo(SendQueue &queue, Clock::time_point now)
{
    std::lock_guard lock(mutex_);
    for (auto &text : texts_) {
        Send send{std::move(text.bytes), now};
        send.perByte = text.perByte;
        queue.push(std::move(send));
    }
    texts_.clear();
}

} // namespace rixsim
