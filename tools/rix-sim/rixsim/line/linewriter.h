// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rixsim/line/chunksource.h"
#include "rixsim/line/clock.h"
#include "rixsim/line/pacer.h"
#include "rixsim/line/sendqueue.h"
#include "rixsim/simport.h"

#include <functional>
#include <optional>

namespace rixsim {

// Puts the queued sends and the chunks (the flood) on the line, paced at the
// line's rate (ten bit times per byte) or as fast as the line takes them.
class LineWriter {
public:
    // Where the next byte comes from.
    enum class Source { None, Queue, Chunks };
    // Called when a queued send's last byte is out; returns whether to go on
    // writing in this round.
    using Finished = std::function<bool(Send, Clock::time_point)>;

    LineWriter(const SimPort &port, SendQueue &queue, ChunkSource &chunks, bool paced);

    // A chunk that is under way is finished first, so that queued bytes
    // never land inside one.
    Source nextSource(Clock::time_point now) const;
    // When the next byte of the source may be written: at once on a quiet
    // line, else one spacing after the previous byte's place in the schedule.
    Clock::time_point nextByteAt(Source source);
    // Whether the source's bytes wait for their time rather than for room on
    // the line. A trickle keeps its pause even when the line is not paced: a
    // test asked for it explicitly.
    bool pacedFor(Source source);

    // Writes what is due (everything, when not paced) as far as the line
    // takes it without blocking. Returns the errno of a failed line.
    std::optional<int> write(const Finished &finished);

private:
    Clock::duration spacingOf(Source source);
    bool trickling(Source source) const { return source == Source::Queue && queue_.front().trickle; }
    std::size_t bytesDue(Source source, Clock::time_point now);

    const SimPort &port_;
    SendQueue &queue_;
    ChunkSource &chunks_;
    bool paced_;
    Pacer pacer_;
};

} // namespace rixsim
