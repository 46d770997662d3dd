// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rixsim/faults/openingsends.h"
#include "rixsim/faults/textlines.h"
#include "rixsim/faults/unaskedinbox.h"
#include "rixsim/openwatch.h"
#include "rixsim/replay/replay.h"
#include "rixsim/simport.h"
#include "rixsim/trafficlog.h"
#include "rixsim/unit.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace rixsim {

struct TransportOptions {
    // A command is the bytes received before this much silence.
    std::chrono::milliseconds quietGap{10};
    // Time from the end of a command to the first byte of its answer.
    std::chrono::milliseconds answerDelay{0};
    // When non-zero, an answer is written in two halves (the first
    // size()/2 bytes, then the rest) with at least this pause between them.
    std::chrono::milliseconds splitGap{0};
    // Every byte takes ten bit times at the line's rate, as on a real line:
    // the rate the terminal program set on a pseudo-terminal (19200 when it
    // set none the system can name), the device's rate on a serial port.
    // Off, bytes go out as fast as the line takes them.
    bool paced = true;
    // Unsolicited bytes written once when run() starts.
    std::string sendAtStart;
    // Unsolicited bytes written once as soon as a terminal program has opened
    // the pseudo-terminal, before it can have sent anything: a stale answer
    // or a line waiting in its input when it starts asking. Only the first
    // open counts. On a device, whose far end is always there, written when
    // run() starts, after sendAtStart.
    std::string sendOnOpen;
    // When non-zero, sendEveryText is sent unasked this often while running,
    // the first time one period after run() starts. A repetition that falls
    // due while the previous one is still queued is skipped.
    std::chrono::milliseconds sendEvery{0};
    std::string sendEveryText;
    // When it has lines, a text of that many lines ("LINE01\r\n" …) is sent unasked one
    // line at a time, the gap after each, once every period (see faults/textlines.h).
    TextLines::Shape textLines;
    // When non-zero, numbered flood lines (see flood.h) are written without a
    // pause from the start of run() for this long; the last chunk of whole
    // lines is still completed after the time is up. Answers are written
    // between chunks, never inside a flood line.
    std::chrono::milliseconds flood{0};
    // When set, the port is closed this long after run() starts (an unplugged
    // adapter) and run() returns RunEnd::HungUp.
    std::optional<std::chrono::milliseconds> hangupAfter;
    // When non-zero, the port is closed the same way right after the answer
    // to this many accepted writes (see Unit::acceptedWrites) is out, once
    // the terminal program has read it (a hang-up would discard it), or 2 s
    // after it went out when the program does not read; at once when the unit
    // gave that write no answer. Commands that come meanwhile are neither
    // logged nor answered. run() then returns RunEnd::HungUp.
    int hangupAfterWrites = 0;
    // When non-zero, the rate the unit works at: a command that comes while the
    // line runs at another rate (the rate the terminal program set on a
    // pseudo-terminal) is noise to the unit, logged but not answered, as a
    // real unit set to another rate hears it.
    int unitRate = 0;
    // When set, the unit plays the unit's side of this recording (see replay/replay.h): the
    // recorded bursts, answers to the recorded writes and the lost line; a command the
    // recording does not have is answered as replayMismatch says, and at the recording's end
    // the unit falls silent, or the run ends (replayEndStops) once the program has read
    // everything.
    std::shared_ptr<const ReplayScript> replay;
    Replay::OnMismatch replayMismatch = Replay::OnMismatch::Silent;
    bool replayEndStops = false;
    // Called on the run-loop thread for each event, after it is in the log.
    std::function<void(const TrafficEvent &)> onEvent;
};

enum class RunEnd {
    Stopped,  // stop() was called
    HungUp,   // hangupAfter passed or hangupAfterWrites were answered, and the port was closed
    LineLost, // the line failed (a real port vanished); see lineError()
    ReplayEnded,    // the replayed recording ended and replayEndStops was set; the port was closed
    ReplayMismatch, // a command the replayed recording does not have, with Replay::OnMismatch::Stop; the port was closed
};

// Drives one unit over one port: frames commands by the quiet gap, answers
// through the unit, and performs the test options. Everything happens in
// run(), on whichever thread calls it (see transportloop.h: the line is in
// line/, the faults it injects in faults/); stop() and the accessors are safe
// from any thread.
class Transport {
public:
    Transport(SimPort port, Unit unit = Unit{}, TransportOptions options = {});
    ~Transport();
    Transport(const Transport &) = delete;
    Transport &operator=(const Transport &) = delete;

    // The path a terminal program opens; stays valid after a hang-up.
    const std::string &path() const { return path_; }

    // Runs until stop(), the hang-up time or a line failure. Call it once.
    RunEnd run();

    // Queues bytes to be sent unasked, after what is already queued; safe
    // from any thread, before or during run(). They go out at the line's
    // pace, or one byte every perByte when that is slower (a unit that
    // trickles its text). Logged as one Sent event once the last byte is out.
    void sendUnasked(std::string bytes, std::chrono::microseconds perByte = {});

    // Makes run() return soon (it wakes at once). Only an atomic store and a
    // write(2), so it is safe from a signal handler as well; calling it
    // before run() makes run() return at once.
    void stop() noexcept;

    const TrafficLog &log() const { return log_; }
    // A copy of the unit as it is now (its stored parameters).
    Unit unit() const;
    // The errno of the failure that ended run() with LineLost, else 0.
    int lineError() const { return lineError_.load(); }

private:
    class Loop;

    void wake() noexcept;
    void record(TrafficEvent::Kind kind, std::string bytes,
                std::optional<std::chrono::steady_clock::time_point> at = std::nullopt);

    SimPort port_;
    std::string path_;
    mutable std::mutex unitMutex_;
    Unit unit_;
    TransportOptions options_;
    // Made with the port, before anyone can know the path, so that no open is missed.
    OpeningSends openingSends_;
    // A replay's connections begin when a program opens the line (only on a pseudo-terminal).
    std::optional<OpenWatch> replayOpens_;
    TrafficLog log_;
    UnaskedInbox inbox_;
    std::atomic<bool> stopRequested_{false};
    std::atomic<int> lineError_{0};
    int wakeFd_ = -1;
};

} // namespace rixsim
