// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rixsim/line/clock.h"

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>

namespace rixsim {

// --hangup-after and --hangup-after-writes: when the simulator closes the
// line as an unplugged adapter would. After a number of writes it first waits
// until the terminal program has read the last answer (a hang-up would
// discard it), or gives up waiting for a program that does not read.
class Hangup {
public:
    // No I/O tells when the program has read the last answer: while lingering
    // the loop looks this often.
    static constexpr auto checkEvery = std::chrono::milliseconds(2);
    // How long a hang-up waits at most for the program to read the last answer.
    static constexpr auto lingerLimit = std::chrono::seconds(2);

    Hangup(std::optional<std::chrono::milliseconds> after, int afterWrites, Clock::time_point start);

    // The time given by --hangup-after has passed.
    bool timeUp(Clock::time_point now) const { return at_ && now >= *at_; }
    // When the time runs out, if there is one.
    std::optional<Clock::time_point> deadline() const { return at_; }

    // The command that took the unit's accepted writes from writesBefore to
    // writes was the last one before the hang-up.
    bool lastWrite(int writesBefore, int writes) const;
    // The last write's answer is out (or it had none): from now on nothing is
    // framed, answered or sent, and the line closes once the program has read
    // what it holds or the linger time is up.
    void startLingering(Clock::time_point now);
    bool lingering() const { return lingering_; }
    bool lingerOver(Clock::time_point now, std::size_t bytesNotTaken) const;
    // The log note of the hang-up after writes.
    std::string afterWritesNote() const;

private:
    std::optional<Clock::time_point> at_;
    int afterWrites_;
    bool lingering_ = false;
    Clock::time_point latest_{};
};

} // namespace rixsim
