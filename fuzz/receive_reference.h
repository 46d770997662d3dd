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
    std::string commandLine;
    int displayStart = 1;
    std::optional<std::string> answer;
};

// The lines of one text's first piece as stored. `commandLength` is the length of ed1's
// text; `baudIs4800` whether the baud text is exactly "4800" (the unit echoes the command then).
Lines linesFor(const std::string &stored, int commandLength, bool baudIs4800, std::int16_t flag);

// Whether `line` is the unit's answer to `command` ("$R", an address digit, letters or
// digits): the address (any digit when asked as "S"), the same letters (a write's value in
// capitals, or "?" after "PF" + n), and at "4800" the command in front.
bool answers(const std::string &line, const std::string &command, const std::string &baudText);

struct Context {
    std::string commandLine;
    std::string baudText;
    std::int16_t flag = 0;
};

class Receiver {
public:
    std::vector<Lines> add(const std::string &bytes, const Context &now);
    std::vector<Lines> quiet();
    std::vector<Lines> showToLastLineEnd() { return cut(false); }
    std::vector<Lines> cutForCommand() { return cut(true); }
    void written(const std::string &command);
    void endLineByLine() { lineByLine_ = false; }

    bool open() const { return open_; }
    bool waitingForContinuation() const { return !open_ && nextContinues_; }
    bool lineByLine() const { return lineByLine_; }

private:
    Lines piece(const std::string &stored);
    std::vector<Lines> cut(bool everythingWithoutLineEnd);

    bool open_ = false;
    bool nextContinues_ = false;
    bool lineByLine_ = false;
    bool pieceContinues_ = false;
    bool nextIsFirstOfText_ = false;
    Context context_;                    // taken with the text's first byte
    bool unitLine_ = false;              // the text began while lines came one by one
    std::string command_;                // the command written into a running text
    bool awaitingAnswer_ = false;        // no line has answered command_ yet
    std::string stored_;                 // what the reading rule kept of the open piece
    std::optional<std::size_t> lastLineEnd_;
};

} // namespace fuzzref
