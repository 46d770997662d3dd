// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rixsim {

// What a recording ("Mitschnitt" of RIX-TERM) says the unit did, cut into what `--replay`
// plays: the unit's side of the line, and when.
//
// The recording holds every write of the program (">"), every burst the program took from
// the line ("<") and markers ("#"); the lists' records are the program's, not the unit's, and
// are left out. A burst belongs to the write before it when it began within answerWindow of
// that write, or of the burst of the same answer before it, and before the next write: it
// goes out when that write comes again, at its recorded delay after it. Every other burst is
// unasked: it goes out at its recorded offset from the start of its connection (a connect
// marker: "Verbunden: …", "Wieder verbunden: …", or a recording begun while connected). A
// lost line ("Verbindung unterbrochen …") is played as either, by the same rule.
struct ReplayScript {
    static constexpr std::chrono::milliseconds answerWindow{1000};

    // Something the unit's side does: bytes on the line, or the line pulled.
    struct Event {
        enum class Kind { Burst, LineLost };
        Kind kind = Kind::Burst;
        std::string bytes;                 // Burst
        std::chrono::milliseconds at{0};   // after its write, or after its connection's start
    };
    struct Write {
        std::string bytes;
        std::size_t connection = 0;
        std::chrono::milliseconds at{0};   // after its connection's start
        std::vector<Event> answer;         // in order
    };
    struct Connection {
        std::vector<Event> unasked;        // in order of their times
    };

    std::vector<Write> writes;
    std::vector<Connection> connections;
    // Lines that were none of a recording's, each "line N: …" (skipped).
    std::vector<std::string> problems;
    // Lines that were read.
    std::size_t linesRead = 0;

    // Reads a recording's text. A line that is none of a recording's is skipped and named in
    // problems.
    static ReplayScript fromRecording(std::string_view text);
    // Reads the file; throws std::runtime_error (naming the file) when it cannot be read or
    // holds no line of a recording.
    static ReplayScript load(const std::string &path);

    // The writes `first` … `last` (inclusive) that `command` is, all of them one after the
    // other: the first write from `from` on that the command begins with, where the rest of
    // the command is the writes after it. Empty when it is none.
    struct Match {
        std::size_t first = 0;
        std::size_t last = 0;
    };
    std::optional<Match> match(std::string_view command, std::size_t from) const;
};

} // namespace rixsim
