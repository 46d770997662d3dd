// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rixsim/transport.h"

#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rixsim {

constexpr std::string_view programVersion = "rix-sim 1.0.0";

// What the rix-sim command line asks for.
struct ProgramOptions {
    bool echo = false;
    std::chrono::milliseconds answerDelay{0};
    std::chrono::milliseconds splitGap{0};
    bool paced = true;
    std::string sendAtStart; // escapes already resolved
    std::string sendOnOpen;  // escapes already resolved
    std::chrono::milliseconds sendEvery{0};
    std::string sendEveryText; // escapes already resolved
    TextLines::Shape textLines;
    std::optional<std::string> versionText; // escapes already resolved
    std::chrono::milliseconds flood{0};
    std::optional<std::chrono::milliseconds> hangupAfter;
    int hangupAfterWrites = 0; // 0: never
    std::optional<std::string> device;
    int baud = 19200;
    int unitBaud = 0; // 0: the unit answers at any rate
    std::optional<std::string> link;
    bool ignoreWrites = false;
    std::array<bool, Unit::parameterCount> muted{};
    int muteAfterWrites = 0; // 0: never
    bool lateAnswers = false;
    std::optional<char> address; // the first digit of F0, the unit's own address
    std::optional<std::string> replayFile; // a recording whose unit side is played
    Replay::OnMismatch replayMismatch = Replay::OnMismatch::Silent;
    bool replayEndStops = false;
};

struct ParsedArguments {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    ProgramOptions options;
    std::string error; // one line, for Action::Error
};

// Parses the arguments after the program name. Options take their value as
// the next argument or after "=" ("--delay 50", "--delay=50"); --send-every
// takes two, its period that way and then its text. Times in ms are whole
// numbers, times in seconds may have a fraction ("0.5").
ParsedArguments parseArguments(const std::vector<std::string> &arguments);

// The --help text.
std::string usageText();

// "\r", "\n", "\t", "\\" and "\xHH" in a --send text become their bytes; an
// escape that is not one of these is an error (empty result).
std::optional<std::string> resolveEscapes(std::string_view text);

// The transport's options; a replay's script is read separately (ReplayScript::load).
TransportOptions transportOptionsFor(const ProgramOptions &options);
Unit unitFor(const ProgramOptions &options);

} // namespace rixsim
