// SPDX-License-Identifier: GPL-3.0-or-later
#include "rixsim/line/linewriter.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace rixsim {

namespace {
// Bytes written per wake-up at most, so that a fast reader of the flood
// cannot keep the loop from reading commands or noticing stop().
constexpr std::size_t writeBudget = 64 * 1024;
} // namespace

LineWriter::LineWriter(const SimPort &port, SendQueue &queue, ChunkSource &chunks, bool paced)
    : port_(port)
    , queue_(queue)
    , chunks_(chunks)
    , paced_(paced)
{
}

LineWriter::Source LineWriter::nextSource(Clock::time_point now) const
{
    if (!chunks_.underWay() && queue_.due(now))
        return Source::Queue;
    if (chunks_.waiting())
        return Source::Chunks;
    return Source::None;
}

// The rate is read once per send, at its first byte, so a terminal program
// that reconnects at another rate gets that rate from its next answer on.
Clock::duration LineWriter::spacingOf(Source source)
{
    Clock::duration &spacing = source == Source::Queue ? queue_.front().spacing : chunks_.spacing();
    if (spacing == Clock::duration::zero()) {
        spacing = characterTime(port_.lineRate());
        if (source == Source::Queue && Clock::duration(queue_.front().perByte) > spacing) {
            spacing = queue_.front().perByte;
            queue_.front().trickle = true;
        }
    }
    return spacing;
}

Clock::time_point LineWriter::nextByteAt(Source source)
{
    if (!pacedFor(source) || pacer_.quiet())
        return Clock::time_point::min();
    return pacer_.nextByteAt(spacingOf(source));
}

bool LineWriter::pacedFor(Source source)
{
    if (paced_)
        return true;
    if (source != Source::Queue || queue_.front().perByte.count() == 0)
        return false;
    spacingOf(source);
    return trickling(source);
}

std::size_t LineWriter::bytesDue(Source source, Clock::time_point now)
{
    if (!pacedFor(source))
        return writeBudget;
    const Clock::duration spacing = spacingOf(source);
    return pacer_.bytesDue(spacing, trickling(source), now);
}

std::optional<int> LineWriter::write(const Finished &finished)
{
    std::size_t written = 0;
    while (written < writeBudget) {
        const Clock::time_point now = Clock::now();
        const Source source = nextSource(now);
        if (source == Source::None) {
            pacer_.fallQuiet();
            return std::nullopt;
        }
        const std::string &buffer = source == Source::Queue ? queue_.front().bytes : chunks_.chunk();
        std::size_t &offset = source == Source::Queue ? queue_.offset() : chunks_.offset();
        const std::size_t count = std::min(buffer.size() - offset, bytesDue(source, now));
        if (count == 0)
            return std::nullopt;
        const ssize_t n = ::write(port_.fd(), buffer.data() + offset, count);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // A full line restarts the schedule once it has room again
            // rather than catching up in one burst.
            pacer_.fallQuiet();
            return std::nullopt;
        }
        if (n <= 0)
            return n == 0 ? EIO : errno;
        const bool trickle = trickling(source);
        const Clock::duration spacing = !trickle && paced_ ? spacingOf(source) : Clock::duration::zero();
        pacer_.wrote(static_cast<std::size_t>(n), spacing, trickle, paced_, Clock::now());
        offset += static_cast<std::size_t>(n);
        written += static_cast<std::size_t>(n);
        if (offset < buffer.size())
            continue;
        const Clock::time_point done = Clock::now();
        if (source == Source::Chunks)
            chunks_.refill(done, paced_);
        else if (!finished(queue_.finishFront(done), done))
            return std::nullopt;
    }
    return std::nullopt;
}

} // namespace rixsim
