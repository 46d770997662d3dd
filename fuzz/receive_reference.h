// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The receive rules written a second time, plainly, over std::string: what the fuzzer
// compares the program's receive engine with.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace fuzzref {

struct Lines {
    int displayStart = 1;
    std::optional<std::string> answer;
};

// The lines of one text's first piece as stored. `commandLength` is the length of ed1's
// text; `baudIs4800` whether the baud text is exactly "4800" (the unit echoes the command then).
Lines linesFor(const std::string &stored, int commandLength, bool baudIs4800, std::int16_t flag);

struct Context {
    std::string commandLine;
    std::string baudText;
    std::int16_t flag = 0;
};

// Everything read since a burst opened is kept whole; the pieces are cut from it by their
// index, 65,536 stored bytes each, a piece only once a byte beyond it is stored.
class Receiver {
public:
    std::vector<Lines> add(const std::string &bytes, const Context &context);
    std::vector<Lines> quiet(const Context &context);
    std::vector<Lines> split(const Context &context);
    void written();

    bool open() const { return open_; }
    bool waitingForContinuation() const { return !open_ && nextContinues_; }

private:
    std::vector<Lines> piecesUpTo(std::size_t storedSize, const Context &context);
    std::vector<Lines> rest(const Context &context);

    bool open_ = false;
    bool nextContinues_ = false;
    bool writtenWhileOpen_ = false;
    bool textContinues_ = false;   // the open burst goes on with a split text
    std::size_t raw_ = 0;          // bytes read since the burst opened
    std::string stored_;           // what the reading rule kept of them
    std::size_t piecesShown_ = 0;
};

} // namespace fuzzref
