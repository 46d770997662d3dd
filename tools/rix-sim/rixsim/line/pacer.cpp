// SPDX-License-Identifier: GPL-3.0-or-later
#include "rixsim/line/pacer.h"

#include <algorithm>

namespace rixsim {

namespace {
constexpr int fallbackRate = 19200;
constexpr int bitsPerCharacter = 10;
// Paced bytes go out in what is due at wake-ups at least this far apart, so
// that a fast rate does not wake the loop for every byte.
constexpr auto paceGranularity = std::chrono::milliseconds(1);
} // namespace

Clock::duration characterTime(int lineRate)
{
    const long long nanos = 1000000000LL * bitsPerCharacter / (lineRate > 0 ? lineRate : fallbackRate);
    return std::chrono::duration_cast<Clock::duration>(std::chrono::nanoseconds(nanos));
}

Clock::time_point Pacer::nextByteAt(Clock::duration spacing) const
{
    return std::max(scheduledLast_ + spacing, lastWrite_ + paceGranularity);
}

std::size_t Pacer::bytesDue(Clock::duration spacing, bool trickle, Clock::time_point now)
{
    if (quiet_) {
        // The byte that was last on the line still takes its time.
        scheduledLast_ = std::max(scheduledLast_, now - spacing);
        quiet_ = false;
    }
    const Clock::time_point first = scheduledLast_ + spacing;
    if (now < first)
        return 0;
    if (trickle)
        return 1;
    return static_cast<std::size_t>(1 + (now - first) / spacing);
}

void Pacer::wrote(std::size_t count, Clock::duration spacing, bool trickle, bool paced, Clock::time_point at)
{
    lastWrite_ = at;
    if (trickle)
        scheduledLast_ = lastWrite_;
    else if (paced)
        scheduledLast_ += spacing * static_cast<Clock::rep>(count);
}

} // namespace rixsim
