// SPDX-License-Identifier: GPL-3.0-or-later
#include "receive_reference.h"

namespace fuzzref {
namespace {
constexpr std::size_t pieceBytes = 65536;

Lines linesOfPiece(const std::string &piece, bool continuation, const Context &context)
{
    if (!continuation)
        return linesFor(piece, int(context.commandLine.size()), context.baudText == "4800", context.flag);
    Lines lines;
    if (piece.find_first_not_of(' ') != std::string::npos)
        lines.answer = piece;
    return lines;
}
} // namespace

Lines linesFor(const std::string &stored, int commandLength, bool baudIs4800, std::int16_t flag)
{
    Lines lines;
    lines.displayStart = baudIs4800 ? commandLength + 1 : 1;

    // The part from the display start on (positions count from 1); blanks alone are no answer.
    bool hasContent = false;
    for (std::size_t i = std::size_t(lines.displayStart - 1); i < stored.size(); ++i)
        hasContent = hasContent || stored[i] != ' ';
    if (!hasContent)
        return lines;

    // After a command button the address and the command letters are skipped as well.
    int first = flag == 1 ? commandLength + lines.displayStart - 2 : lines.displayStart;
    if (first < 1)
        first = 1;
    lines.answer = std::size_t(first - 1) < stored.size() ? stored.substr(std::size_t(first - 1)) : std::string();
    return lines;
}

std::vector<Lines> Receiver::piecesUpTo(std::size_t storedSize, const Context &context)
{
    std::vector<Lines> out;
    while (storedSize > (piecesShown_ + 1) * pieceBytes) {
        const bool continuation = textContinues_ || piecesShown_ > 0;
        out.push_back(linesOfPiece(stored_.substr(piecesShown_ * pieceBytes, pieceBytes), continuation, context));
        ++piecesShown_;
    }
    return out;
}

std::vector<Lines> Receiver::rest(const Context &context)
{
    std::vector<Lines> out;
    if (open_) {
        const bool continuation = textContinues_ || piecesShown_ > 0;
        const std::string last = piecesShown_ * pieceBytes < stored_.size() ? stored_.substr(piecesShown_ * pieceBytes) : "";
        out.push_back(linesOfPiece(last, continuation, context));
    }
    open_ = false;
    raw_ = 0;
    stored_.clear();
    piecesShown_ = 0;
    return out;
}

std::vector<Lines> Receiver::add(const std::string &bytes, const Context &context)
{
    std::vector<Lines> out;
    if (bytes.empty())
        return out;
    if (open_ && writtenWhileOpen_) {
        out = rest(context);
        nextContinues_ = false;
    }
    writtenWhileOpen_ = false;
    if (!open_) {
        open_ = true;
        textContinues_ = nextContinues_;
        nextContinues_ = false;
    }
    for (const char c : bytes) {
        const bool firstOfANewText = raw_ == 0 && !textContinues_;
        ++raw_;
        if (firstOfANewText || (c != '\r' && c != '\n'))
            stored_ += c;
    }
    for (Lines &lines : piecesUpTo(stored_.size(), context))
        out.push_back(std::move(lines));
    return out;
}

std::vector<Lines> Receiver::quiet(const Context &context)
{
    nextContinues_ = false;
    writtenWhileOpen_ = false;
    return rest(context);
}

std::vector<Lines> Receiver::split(const Context &context)
{
    if (!open_)
        return {};
    nextContinues_ = !writtenWhileOpen_;
    writtenWhileOpen_ = false;
    return rest(context);
}

void Receiver::written()
{
    nextContinues_ = false;
    writtenWhileOpen_ = open_;
}

} // namespace fuzzref
