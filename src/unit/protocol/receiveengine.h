// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Everything between "bytes arrived" and "lines to show", once: the reading rule, the
// pieces of a text that never pauses, the cut for a command sent into such a text, and
// where each shown line starts. No Qt and no timers: the caller says when the line was
// quiet, when a text is to be cut and when a command went out. The window's receive path,
// its tests, the fuzzer and rix-param's tests all drive this one class.

#include "unit/protocol/protocol.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class ReceiveEngine {
public:
    // A text ends when the line has been quiet this long after its last byte.
    static constexpr int quietMs = protocol::quietMs;
    // A text that runs on without a quiet time and without a line end is shown in pieces of
    // this many bytes.
    static constexpr std::size_t pieceBytes = 65536;

    // What the rules look at: the moment a text's first byte is taken decides them for every
    // line of that text, whatever the command line holds by the time it is shown.
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

    // Bytes read from the line; `now` is the context at the moment they were taken, used by
    // a text these bytes begin. Usually returns nothing; a text past pieceBytes, and every
    // line while lines are shown one by one, come out here.
    Shown add(std::string_view bytes, const Context &now);
    // The line has been quiet for the quiet time: the open text is shown and ends; so does a
    // text that was cut, and lines are no longer shown one by one.
    Shown quiet();
    // The unit has been sending for a long time without a pause: what has come up to its last
    // line end is shown; the rest of that line stays open and continues the text (shown from
    // its first byte). Nothing when the open piece holds no line end.
    Shown showToLastLineEnd();
    // A command is about to go out while the unit is still sending: as showToLastLineEnd(),
    // and when the open piece holds no line end, everything it holds.
    Shown cutForCommand();
    // `command` (its bytes) went out. Into a text that was cut for it, the unit's lines are
    // shown one by one from now on, until the line is quiet or endLineByLine(): the rest of
    // the line that was cut first, then each line a text of its own with the context of its
    // first byte. They are the unit's own lines and are shown whole, from their first byte;
    // only the first one since the command that is its answer by what it says
    // (protocol::isAnswerTo, at the line's rate) is shown under the rules, as an answer after
    // a pause would be. An answer to an earlier command that comes after this one is shown
    // whole.
    void commandWritten(std::string_view command);
    // A key's `command` went out. It leaves a text the unit is sending as it is: no cut, no
    // line-by-line display. When its answer (by what it says) comes inside that text, the
    // key is done there, and the texts after it are shown as they would have been without
    // the key, with the context of the text it went into, until the next write. When it
    // comes after that text, it is the next text, under the rules of an answer.
    void keyWritten(std::string_view command);
    // A new connection: no key of the last one is waited for.
    void forgetKeys();
    // Lines are no longer shown one by one; the unit has not paused since the command, so
    // what it sends on is still its own text, shown whole, until the line is quiet.
    void endLineByLine()
    {
        runsOnSinceCommand_ = runsOnSinceCommand_ || lineByLine_;
        lineByLine_ = false;
    }

    // Bytes have come since the last quiet time or cut.
    bool isOpen() const { return open_; }
    // A text was cut and nothing has come since: the next bytes continue it, unless the line
    // is found quiet or a command is written first.
    bool awaitsContinuation() const { return !open_ && continues_; }
    // Lines are shown one by one (a command went out into a text the unit was sending).
    bool showsLineByLine() const { return lineByLine_; }
    // The open text's last byte was a line end (LF) after something besides line ends: the
    // unit ends each of its texts so, so the text it was sending is complete.
    bool atLineEnd() const { return open_ && atLineEnd_; }
    // How many such line ends have come since the engine was made; it only grows.
    std::uint64_t lineEnds() const { return lineEnds_; }

private:
    struct OwnContext {
        std::string commandLine;
        std::string baudText;
        std::int16_t flag = 0;
    };
    void openText(const Context &now);
    void startPiece(bool continuation);
    Shown cutAtLastLineEnd(bool everythingWithoutLineEnd);
    void showPiece(std::string_view text, Shown &shown);
    // `line` is the first answer to the command that went into the unit's text: it is taken,
    // and no later line is.
    bool takesAnswer(std::string_view line);
    // A complete line of the open text: a key's answer in it is taken.
    void noteLine(std::string_view line);

    OwnContext context_;            // the open text's, taken with its first byte
    bool textIsUnitLine_ = false;   // the open text began while lines are shown one by one
    std::string commandSent_;       // the last command written into a text the unit was sending
    bool answerAwaited_ = false;    // no line has answered commandSent_ yet
    bool keyInText_ = false;        // a key went into a text the unit was sending
    OwnContext beforeKey_;          // that text's context
    std::vector<std::string> keyAnswersAwaited_;   // its commands not answered yet
    std::string text_;              // the open piece, under the reading rule
    std::size_t lastLineEndAt_ = 0; // text_'s size at its last line end; 0 when none
    bool pieceHasLineEnd_ = false;
    bool open_ = false;
    bool pieceContinues_ = false;   // the open piece continues a text that was cut
    bool continues_ = false;        // the next bytes continue a text that was cut
    bool lineByLine_ = false;
    bool runsOnSinceCommand_ = false;   // line by line ended, and the unit has not paused since
    bool atLineEnd_ = false;
    std::uint64_t lineEnds_ = 0;
};
