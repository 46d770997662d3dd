// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rixsim/line/clock.h"
#include "rixsim/line/sendqueue.h"
#include "rixsim/replay/replayscript.h"

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rixsim {

// --replay: the unit's side of a recording played on the line, on the run loop's clock.
//
// Each connection of the recording begins when a program opens the line (on a device, whose
// far end is always there, the first one when the run starts); its unasked bursts go out at
// their offsets from then. A command is matched to the next recorded write with the same
// bytes (writes passed over are left behind), and that write's answer goes out at its
// recorded delays after the command's last byte. A command the recording does not have from
// there on is answered as the option says: not at all (as a unit that does not know it), by
// the simulated unit, or by stopping. When every write has come and every burst is out, the
// recording has ended: the unit falls silent, or the run stops.
class Replay {
public:
    enum class OnMismatch { Silent, Unit, Stop };

    // A burst goes out this much before the moment the recording says the program took it:
    // the program takes bytes when it looks, and they were there by then. Sent right at that
    // moment, a burst that the program took the instant a command's pause ended arrives just
    // after that look and waits for the next one (about 10 ms at 19200). A burst the program
    // took as it came is this much early instead.
    static constexpr std::chrono::milliseconds takeLead{3};

    Replay(std::shared_ptr<const ReplayScript> script, OnMismatch onMismatch, bool stopAtEnd);

    // A program opened the line: the recording's next connection begins.
    void lineOpened(Clock::time_point at);

    // The bytes received so far are whole writes of the recording: they are taken as a
    // command at once, not a quiet gap later, so an answer recorded sooner than the gap after
    // its write is not late.
    bool completesWrites(std::string_view input) const;

    // What the replay makes of a command whose last byte came at `lastByte`.
    struct Heard {
        bool unitAnswers = false;   // a mismatch the simulated unit answers
        bool stop = false;          // a mismatch that ends the run
        std::string note;           // the log line
    };
    Heard heard(std::string_view command, Clock::time_point lastByte);

    // Moves the bursts due by `now` to the line's queue, in order; none after a lost line.
    void queueDue(SendQueue &queue, Clock::time_point now);
    // When the next burst or the lost line falls due.
    std::optional<Clock::time_point> deadline() const;
    // The recorded loss of the line is due.
    bool lineLostDue(Clock::time_point now) const;

    // Every write has come (or was passed over) and every burst has gone to the queue.
    bool atEnd() const;
    bool stopsAtEnd() const { return stopAtEnd_; }

    // What happened that the log should tell (a connection begun, the end reached), once.
    std::vector<std::string> takeNotes();

private:
    // Connection `connection` began at `at`; its unasked events from `from` on are due.
    void begin(std::size_t connection, Clock::time_point at, std::chrono::milliseconds from = {});
    void schedule(const ReplayScript::Event &event, Clock::time_point due);

    std::shared_ptr<const ReplayScript> script_;
    OnMismatch onMismatch_;
    bool stopAtEnd_;
    // The connections begun so far, and the next write to look for.
    std::size_t begun_ = 0;
    std::size_t nextWrite_ = 0;
    // What is due, by its time; events due at the same time keep their order.
    std::multimap<Clock::time_point, ReplayScript::Event> due_;
    std::vector<std::string> notes_;
    bool endNoted_ = false;
};

} // namespace rixsim
