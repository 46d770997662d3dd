// SPDX-License-Identifier: GPL-3.0-or-later
#include "rixsim/faults/hangup.h"

namespace rixsim {

Hangup::Hangup(std::optional<std::chrono::milliseconds> after, int afterWrites, Clock::time_point start)
    : afterWrites_(afterWrites)
{
    if (after)
        at_ = start + *after;
}

bool Hangup::lastWrite(int writesBefore, int writes) const
{
    return afterWrites_ > 0 && writesBefore < afterWrites_ && writes >= afterWrites_;
}

void Hangup::startLingering(Clock::time_point now)
{
    lingering_ = true;
    latest_ = now + lingerLimit;
}

bool Hangup::lingerOver(Clock::time_point now, std::size_t bytesNotTaken) const
{
    return now >= latest_ || bytesNotTaken == 0;
}

std::string Hangup::afterWritesNote() const
{
    return "hung up after write " + std::to_string(afterWrites_);
}

} // namespace rixsim
