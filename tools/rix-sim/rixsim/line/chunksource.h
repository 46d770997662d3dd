// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rixsim/line/clock.h"

#include <cstddef>
#include <string>

namespace rixsim {

// Bytes that go out in chunks whenever no queued send is due (the flood). A
// chunk under way is finished before a queued send goes, so that a send never
// lands inside one.
class ChunkSource {
public:
    virtual ~ChunkSource() = default;

    // Starts the next chunk once the current one is out; paced, the line's
    // rate is read again for every chunk.
    virtual void refill(Clock::time_point now, bool paced) = 0;

    const std::string &chunk() const { return chunk_; }
    // Bytes of the chunk already written.
    std::size_t &offset() { return offset_; }
    // The time between two bytes of the chunk; zero until the writer sets it.
    Clock::duration &spacing() { return spacing_; }
    bool underWay() const { return offset_ > 0 && offset_ < chunk_.size(); }
    bool waiting() const { return offset_ < chunk_.size(); }

protected:
    // Whether the chunk is out, ready for refill() to start the next one.
    bool chunkOut() const { return offset_ >= chunk_.size(); }
    // Replaces the chunk; an empty one ends the source.
    void startChunk(std::string chunk)
    {
        chunk_ = std::move(chunk);
        offset_ = 0;
        spacing_ = Clock::duration::zero();
    }

private:
    std::string chunk_;
    std::size_t offset_ = 0;
    Clock::duration spacing_{0};
};

} // namespace rixsim
