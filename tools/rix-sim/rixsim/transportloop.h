// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rixsim/faults/floodsender.h"
#include "rixsim/faults/hangup.h"
#include "rixsim/faults/sendevery.h"
#include "rixsim/faults/textlines.h"
#include "rixsim/line/clock.h"
#include "rixsim/line/commandframer.h"
#include "rixsim/line/linewriter.h"
#include "rixsim/line/sendqueue.h"
#include "rixsim/replay/replay.h"
#include "rixsim/transport.h"

#include <optional>
#include <string>

namespace rixsim {

// One run(): the line (framing, the unit's answer, paced writing) with the
// faults hooked in where they act. A new fault gets its own file under
// faults/ and one call here, at the step it changes.
class Transport::Loop {
public:
    Loop(Transport &owner, Clock::time_point start);
    Loop(const Loop &) = delete;
    Loop &operator=(const Loop &) = delete;

    RunEnd run();

private:
    void answer(Clock::time_point now);
    bool sent(Send send, Clock::time_point done);
    RunEnd hangUp(std::string note);
    // The replay's step of the loop: its bursts due, its lost line, its end.
    std::optional<RunEnd> replayStep(Clock::time_point now);
    RunEnd stopReplay(RunEnd end, std::string note);

    // Waits for input, room to write, a deadline, stop() or sendUnasked();
    // returns false when the line failed.
    bool waitAndServe(Clock::time_point now);
    // The earliest moment at which something is due without any I/O.
    std::optional<Clock::time_point> nextDeadline(Clock::time_point now);
    bool readInput();
    bool write();
    bool fail(int error);
    void note(std::string text);

    Transport &t_;
    CommandFramer framer_;
    SendQueue queue_;
    FloodSender flood_;
    SendEvery sendEvery_;
    TextLines textLines_;
    Hangup hangup_;
    LineWriter writer_;
    std::optional<Replay> replay_;
    // A command the replay does not have ends the run.
    bool replayMismatchStops_ = false;
};

} // namespace rixsim
