#pragma once
// The receive rules written a second time, plainly, over std::string: what the fuzzer
// compares the program's receive path with.

#include <cstdint>
#include <optional>
#include <string>

namespace fuzzref {

// The burst as stored: the first byte whatever it is, then every byte but CR and LF.
std::string storedBurst(const std::string &bytesFromTheLine);

struct Lines {
    int displayStart = 1;
    std::optional<std::string> answer;
};

// `commandLength` is the length of ed1's text; `baudIs4800` whether the baud text is
// exactly "4800" (the unit echoes the command then).
Lines linesFor(const std::string &stored, int commandLength, bool baudIs4800, std::int16_t flag);

} // namespace fuzzref
