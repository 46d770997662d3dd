// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Everything between "bytes arrived" and "lines to show", once: the reading rule, the
// pieces of a text that never pauses, continuations, and where each shown line starts.
// No Qt and no timers: the caller says when the line was quiet, when a user's action splits
// a text and when a command went out, and hands in the command line of that moment. The
// window's polling, its tests, the fuzzer and rix-param all drive this one class.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class ReceiveEngine {
public:
    // A text ends when the line has been quiet this long after its last byte.
    static constexpr int quietMs = 20;
    // A text that runs on without a quiet time is shown in pieces of this many bytes.
    static constexpr std::size_t pieceBytes = 65536;

    // What the rules look at when a line comes out.
    struct Context {
        std::string_view commandLine;    // ed1 as its Windows-1252 bytes; its length is L
        std::string_view baudText;       // exactly "4800": the unit sends the command back first
        std::int16_t buttonCommandFlag = 0;
    };

    // One piece shown: a line for lb2 always, a line for lbrx unless its answer part is blank.
    struct Lines {
        std::string commandLine;
        std::optional<std::string> answer;
        std::int16_t displayStart = 1;   // position (from 1) where the unit's answer began
    };
    using Shown = std::vector<Lines>;

    // Bytes read from the line. A text reaching pieceBytes is shown piece by piece, so
    // this may return lines (usually it returns none).
    Shown add(std::string_view bytes, const Context &context);
    // The line has been quiet for the quiet time: the open text is shown and ends, and so
    // does a continuation that was waiting for it.
    Shown quiet(const Context &context);
    // A user's action while the unit is still sending: what has come is shown, and what
    // follows continues the same text (shown from its first byte) until the line is quiet
    // or a command is written.
    Shown splitForAction(const Context &context);
    // A command went out: whatever arrives from now on is a new text under the rules.
    void commandWritten();

    // Bytes have come since the last quiet time or split.
    bool isOpen() const { return open_; }
    // A text was split and nothing has come since: the next bytes continue it, unless the
    // line is found quiet or a command is written first.
    bool awaitsContinuation() const { return !open_ && continues_; }
    // The open text's last byte was a line end (LF) after something besides line ends: the
    // unit ends each of its texts so, so the text it was sending is complete.
    bool atLineEnd() const { return open_ && atLineEnd_; }
    // How many such line ends have come since the engine was made; it only grows.
    std::uint64_t lineEnds() const { return lineEnds_; }

private:
    void startPiece(bool continuation);
    void showPiece(const Context &context, Shown &shown) const;

    std::string text_;              // the open piece, under the reading rule
    bool open_ = false;
    bool pieceContinues_ = false;   // the open piece continues a split text
    bool continues_ = false;        // the next bytes continue a split text
    bool newTextAtNextByte_ = false;   // a command went out while a piece was open
    bool atLineEnd_ = false;
    std::uint64_t lineEnds_ = 0;
};
