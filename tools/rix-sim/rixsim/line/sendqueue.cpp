// SPDX-License-Identifier: GPL-3.0-or-later
#include "rixsim/line/sendqueue.h"

#include <algorithm>

namespace rixsim {

std::optional<Clock::time_point> SendQueue::dueAfter(Clock::time_point now) const
{
    if (sends_.empty() || sends_.front().due <= now)
        return std::nullopt;
    return sends_.front().due;
}

Send SendQueue::finishFront(Clock::time_point done)
{
    Send finished = std::move(sends_.front());
    sends_.pop_front();
    offset_ = 0;
    if (!sends_.empty() && sends_.front().gapBefore.count() > 0)
        sends_.front().due = std::max(sends_.front().due, done + sends_.front().gapBefore);
    return finished;
}

} // namespace rixsim
