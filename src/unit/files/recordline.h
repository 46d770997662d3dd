// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one reader of a recording's lines ("Mitschnitt", see recordformat.h for their form),
// without Qt: the window's reader (recordformat::readRecord), the recording viewer, which reads
// millions of lines, and rix-sim's replay, which links no Qt, all read through it.
//
// A Line's strings are kept from one read to the next, so reading a whole file allocates only
// as its longest line grows.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace recordline {

// "yyyy-MM-dd HH:mm:ss.zzz"
constexpr std::size_t timeLength = 23;

enum class Kind { Shown, Sent, Received, Marker };

struct Line {
    Kind kind = Kind::Shown;
    std::string_view time;     // the time as written, inside the line that was read
    std::string commandLine;   // Shown: the command list's line
    std::string answer;        // Shown: the answer list's line; empty when it got none
    bool answerLine = false;   // Shown: the answer list got a line (it may be empty)
    std::string bytes;         // Sent, Received: the bytes on the line
    std::string text;          // Marker: what happened, UTF-8 as written, its escapes undone
};

// Reads one line (without its "\n") into `out`. False for a line that is none of the kinds;
// `out` holds nothing meaningful then.
bool read(std::string_view line, Line &out);

// The next line of a file's text from `at` on, without its "\n" (nor a "\r" before it, which an
// editor that saved the file for another system may have added); `at` is moved past it. Call
// it while `at` is before the text's end.
std::string_view takeLine(std::string_view text, std::size_t &at);

// Appends the Windows-1252 bytes of a field to `out`. False when it is no field: a stray
// backslash, an unknown escape, a TAB or line break, broken UTF-8, a character the code page
// lacks. Control bytes written raw by earlier versions read back as they are.
bool appendFieldBytes(std::string_view field, std::string &out);

// A time as written, in milliseconds since 1970-01-01 00:00:00.000 of the same clock: the
// recording's own local time, with no zone applied, so that the time between two lines is
// their difference. Empty when the text is no such time.
std::optional<std::int64_t> clockMs(std::string_view time);

} // namespace recordline
