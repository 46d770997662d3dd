// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/protocol/receiveengine.h"

#include "unit/protocol/protocol.h"

#include <algorithm>
#include <limits>

namespace {
// Positions count from 1; a position past the end gives the empty text.
std::string_view fromPosition(std::string_view text, long long position)
{
    const auto start = std::size_t(std::max(position, 1LL) - 1);
    return start >= text.size() ? std::string_view() : text.substr(start);
}

bool isBlank(std::string_view text)
{
    // Only blanks count as empty, as the unit pads with them; a TAB or a CR is content.
    return std::all_of(text.begin(), text.end(), [](char c) { return c == ' '; });
}

bool isLineEnd(char c) { return c == '\r' || c == '\n'; }
} // namespace

ReceiveEngine::Shown ReceiveEngine::add(std::string_view bytes, const Context &context)
{
    Shown shown;
    if (bytes.empty())
        return shown;
    if (!open_) {
        open_ = true;
        startPiece(continues_);
        continues_ = false;
    } else if (newTextAtNextByte_) {
        // The piece read before the command went out is shown as it was; the rest is new.
        showPiece(context, shown);
        startPiece(false);
    }
    newTextAtNextByte_ = false;

    for (const char c : bytes) {
        // Only the very first byte of a text is kept when it is a CR or LF.
        if (isLineEnd(c) && (pieceContinues_ || !text_.empty())) {
            // Only the first byte can be a line end that was kept.
            const bool hasContent = pieceContinues_ || text_.size() > 1 || !isLineEnd(text_.front());
            if (c == '\n' && hasContent) {
                atLineEnd_ = true;
                ++lineEnds_;
            }
            continue;
        }
        atLineEnd_ = false;
        // Split before the byte that would not fit, so a text of exactly the piece size
        // followed by the quiet time is one line.
        if (text_.size() == pieceBytes) {
            showPiece(context, shown);
            startPiece(true);
        }
        text_.push_back(c);
    }
    return shown;
}

ReceiveEngine::Shown ReceiveEngine::quiet(const Context &context)
{
    Shown shown;
    // An open piece always had bytes, even if the reading rule dropped them all: it gets
    // its lines.
    if (open_)
        showPiece(context, shown);
    open_ = false;
    continues_ = false;
    newTextAtNextByte_ = false;
    atLineEnd_ = false;
    text_.clear();
    return shown;
}

ReceiveEngine::Shown ReceiveEngine::splitForAction(const Context &context)
{
    Shown shown;
    if (!open_)
        return shown;
    showPiece(context, shown);
    open_ = false;
    continues_ = !newTextAtNextByte_;
    newTextAtNextByte_ = false;
    atLineEnd_ = false;
    text_.clear();
    return shown;
}

void ReceiveEngine::commandWritten()
{
    continues_ = false;
    if (open_)
        newTextAtNextByte_ = true;
}

void ReceiveEngine::startPiece(bool continuation)
{
    text_.clear();
    pieceContinues_ = continuation;
}

void ReceiveEngine::showPiece(const Context &context, Shown &shown) const
{
    Lines lines;
    lines.commandLine = std::string(context.commandLine);
    if (pieceContinues_) {
        // A continuation is the same text read on: nothing of it is the echo or the
        // repeated address, so it is shown from its first byte.
        if (!isBlank(text_))
            lines.answer = text_;
        shown.push_back(std::move(lines));
        return;
    }
    const auto length = static_cast<long long>(context.commandLine.size());
    // The command the unit sends back ahead of its answer is not the answer.
    const long long displayStart = protocol::echoesCommand(context.baudText) ? length + 1 : 1;
    lines.displayStart = std::int16_t(std::min<long long>(displayStart, std::numeric_limits<std::int16_t>::max()));
    if (!isBlank(fromPosition(text_, displayStart))) {
        // After a command button the answer repeats the address and the command letters;
        // L - 2 of them are skipped. Where that start falls below 1 (a command line shorter
        // than two characters) the line starts at the first character.
        const long long shownFrom = context.buttonCommandFlag == 1 ? length + displayStart - 2 : displayStart;
        lines.answer = std::string(fromPosition(text_, shownFrom));
    }
    shown.push_back(std::move(lines));
}
