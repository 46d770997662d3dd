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

ReceiveEngine::Shown ReceiveEngine::add(std::string_view bytes, const Context &now)
{
    Shown shown;
    for (const char c : bytes) {
        if (!open_) {
            open_ = true;
            if (continues_)
                startPiece(true);
            else
                openText(now);
            continues_ = false;
        }
        // Only the very first byte of a text is kept when it is a CR or LF.
        if (isLineEnd(c) && (pieceContinues_ || !text_.empty())) {
            // Only the first byte can be a line end that was kept.
            const bool hasContent = pieceContinues_ || text_.size() > 1 || !isLineEnd(text_.front());
            if (c == '\n' && hasContent) {
                if (!keyAnswersAwaited_.empty())
                    noteLine(std::string_view(text_).substr(pieceHasLineEnd_ ? lastLineEndAt_ : 0));
                atLineEnd_ = true;
                ++lineEnds_;
                lastLineEndAt_ = text_.size();
                pieceHasLineEnd_ = true;
                if (lineByLine_) {
                    // Each line a text of its own: the next byte begins a new one.
                    showPiece(text_, shown);
                    open_ = false;
                    atLineEnd_ = false;
                    text_.clear();
                }
            }
            continue;
        }
        atLineEnd_ = false;
        // Split before the byte that would not fit, so a text of exactly the piece size
        // followed by the quiet time is one line.
        if (text_.size() == pieceBytes) {
            showPiece(text_, shown);
            startPiece(true);
        }
        text_.push_back(c);
    }
    return shown;
}

ReceiveEngine::Shown ReceiveEngine::quiet()
{
    Shown shown;
    // An open piece always had bytes, even if the reading rule dropped them all: it gets
    // its lines.
    if (open_)
        showPiece(text_, shown);
    open_ = false;
    continues_ = false;
    lineByLine_ = false;
    runsOnSinceCommand_ = false;
    answerAwaited_ = false;
    atLineEnd_ = false;
    text_.clear();
    return shown;
}

ReceiveEngine::Shown ReceiveEngine::showToLastLineEnd()
{
    return cutAtLastLineEnd(false);
}

ReceiveEngine::Shown ReceiveEngine::cutForCommand()
{
    return cutAtLastLineEnd(true);
}

ReceiveEngine::Shown ReceiveEngine::cutAtLastLineEnd(bool everythingWithoutLineEnd)
{
    Shown shown;
    if (!open_ || (!pieceHasLineEnd_ && !everythingWithoutLineEnd))
        return shown;
    const std::size_t cut = pieceHasLineEnd_ ? lastLineEndAt_ : text_.size();
    showPiece(std::string_view(text_).substr(0, cut), shown);
    std::string rest = text_.substr(cut);
    atLineEnd_ = false;
    if (rest.empty()) {
        open_ = false;
        continues_ = true;
        text_.clear();
        return shown;
    }
    startPiece(true);
    text_ = std::move(rest);
    return shown;
}

void ReceiveEngine::commandWritten(std::string_view command)
{
    // Sent into a text the unit is still sending: the rest of its line stays that text's;
    // what follows is new.
    if (open_ || continues_)
        lineByLine_ = true;
    continues_ = false;
    if (lineByLine_) {
        commandSent_.assign(command);
        answerAwaited_ = true;
    }
    keyInText_ = false;
    keyAnswersAwaited_.clear();
}

void ReceiveEngine::keyWritten(std::string_view command)
{
    if (!open_ && !continues_ && !keyInText_) {
        // Between texts: its answer is the next text, as after any command.
        keyAnswersAwaited_.clear();
        return;
    }
    if (!keyInText_) {
        keyInText_ = true;
        beforeKey_ = context_;
    }
    keyAnswersAwaited_.emplace_back(command);
}

void ReceiveEngine::forgetKeys()
{
    keyInText_ = false;
    keyAnswersAwaited_.clear();
}

void ReceiveEngine::noteLine(std::string_view line)
{
    const auto answered = std::find_if(keyAnswersAwaited_.begin(), keyAnswersAwaited_.end(),
                                       [&](const std::string &command) {
                                           return protocol::isAnswerTo(line, command, context_.baudText);
                                       });
    if (answered != keyAnswersAwaited_.end())
        keyAnswersAwaited_.erase(answered);
}

void ReceiveEngine::openText(const Context &now)
{
    if (keyInText_ && keyAnswersAwaited_.empty()) {
        // The keys were answered inside the text they went into: this text is shown as it
        // would have been without them.
        context_ = beforeKey_;
    } else {
        context_ = OwnContext{std::string(now.commandLine), std::string(now.baudText), now.buttonCommandFlag};
        // A key's answer still to come is this text: the rules of an answer from now on.
        keyInText_ = false;
        keyAnswersAwaited_.clear();
    }
    // Decided with its first byte: a line that began while they came one by one stays the
    // unit's own line when they stop coming so before its line end.
    textIsUnitLine_ = lineByLine_ || runsOnSinceCommand_;
    startPiece(false);
}

void ReceiveEngine::startPiece(bool continuation)
{
    text_.clear();
    pieceContinues_ = continuation;
    pieceHasLineEnd_ = false;
    lastLineEndAt_ = 0;
}

bool ReceiveEngine::takesAnswer(std::string_view line)
{
    if (!answerAwaited_ || !protocol::isAnswerTo(line, commandSent_, context_.baudText))
        return false;
    answerAwaited_ = false;
    return true;
}

void ReceiveEngine::showPiece(std::string_view text, Shown &shown)
{
    Lines lines;
    lines.commandLine = context_.commandLine;
    // A continuation is the same text read on, and a line of a text a command went into is
    // the unit's own unless it is the command's answer: nothing of either is the echo or the
    // repeated address, so they are shown from their first byte.
    if (pieceContinues_ || (textIsUnitLine_ && !takesAnswer(text))) {
        if (!isBlank(text))
            lines.answer = std::string(text);
        shown.push_back(std::move(lines));
        return;
    }
    const auto length = static_cast<long long>(context_.commandLine.size());
    // The command the unit sends back ahead of its answer is not the answer.
    const long long displayStart = protocol::echoesCommand(context_.baudText) ? length + 1 : 1;
    lines.displayStart = std::int16_t(std::min<long long>(displayStart, std::numeric_limits<std::int16_t>::max()));
    if (!isBlank(fromPosition(text, displayStart))) {
        // After a command button the answer repeats the address and the command letters;
        // L - 2 of them are skipped. Where that start falls below 1 (a command line shorter
        // than two characters) the line starts at the first character.
        const long long shownFrom = context_.flag == 1 ? length + displayStart - 2 : displayStart;
        lines.answer = std::string(fromPosition(text, shownFrom));
    }
    shown.push_back(std::move(lines));
}
