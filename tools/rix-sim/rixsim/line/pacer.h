// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rixsim/line/clock.h"

#include <cstddef>

namespace rixsim {

// The time one byte takes at the given rate: ten bit times (start bit, eight
// data bits, stop bit). A rate of 0 (a pseudo-terminal whose rate has no
// name) counts as 19200, the rate the terminal program opens with.
Clock::duration characterTime(int lineRate);

// The schedule of paced bytes: where the last written byte stands, and
// whether the line has been quiet since (a new send then starts at once).
// Which spacing a send uses is the writer's business; the pacer only keeps
// the bytes of all sends one after the other.
class Pacer {
public:
    bool quiet() const { return quiet_; }
    // The line ran dry or was full: the next byte starts a new schedule
    // rather than catching up in one burst.
    void fallQuiet() { quiet_ = true; }

    // When the next byte may be written on a line that is not quiet.
    Clock::time_point nextByteAt(Clock::duration spacing) const;

    // How many bytes the schedule allows now. Bytes whose time has passed
    // (the loop woke late) all go, so a send keeps its length; a trickle's
    // pause is a minimum instead, as a receiver that times the gaps between
    // bytes expects, so it never catches up.
    std::size_t bytesDue(Clock::duration spacing, bool trickle, Clock::time_point now);

    // count bytes were handed to the line at the given time.
    void wrote(std::size_t count, Clock::duration spacing, bool trickle, bool paced, Clock::time_point at);

private:
    bool quiet_ = true;
    Clock::time_point scheduledLast_{};
    Clock::time_point lastWrite_{};
};

} // namespace rixsim
