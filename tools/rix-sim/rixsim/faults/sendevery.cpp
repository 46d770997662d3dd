// SPDX-License-Identifier: GPL-3.0-or-later
#include "rixsim/faults/sendevery.h"

namespace rixsim {

SendEvery::SendEvery(std::chrono::milliseconds period, std::string text, Clock::time_point start)
    : period_(period)
    , text_(std::move(text))
{
    if (period_.count() > 0 && !text_.empty())
        at_ = start + period_;
}

void SendEvery::queueDue(SendQueue &queue, Clock::time_point now)
{
    if (!at_ || now < *at_)
        return;
    if (!queued_) {
        Send send{text_, now};
        send.whenOut = [this](Clock::time_point) { queued_ = false; };
        queue.push(std::move(send));
        queued_ = true;
    }
    while (*at_ <= now)
        *at_ += period_;
}

} // namespace rixsim
