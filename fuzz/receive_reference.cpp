// SPDX-License-Identifier: GPL-3.0-or-later
#include "receive_reference.h"

namespace fuzzref {
namespace {
constexpr std::size_t pieceBytes = 65536;
const std::string addressDigits = "0123456789ABCDEFS";

bool isAddress(char c) { return addressDigits.find(c) != std::string::npos; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetterOrDigit(char c) { return isDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool begins(const std::string &text, const std::string &head) { return text.compare(0, head.size(), head) == 0; }
} // namespace

bool answers(const std::string &line, const std::string &command, const std::string &baudText)
{
    if (command.size() < 4 || command[0] != '$' || command[1] != 'R' || !isAddress(command[2]))
        return false;
    for (std::size_t i = 3; i < command.size(); ++i)
        if (!isLetterOrDigit(command[i]))
            return false;

    std::string answer = line;
    if (baudText == "4800") {
        if (!begins(answer, command))
            return false;
        answer = answer.substr(command.size());
    }
    if (answer.empty())
        return false;
    const char address = answer[0];
    if (command[2] == 'S' ? !isAddress(address) : address != command[2])
        return false;

    const std::string letters = command.substr(3);
    const std::string rest = answer.substr(1);
    if (begins(rest, letters))
        return true;
    const bool write = letters.size() >= 3 && letters[0] == 'P' && letters[1] == 'F' && isDigit(letters[2]);
    if (!write || !begins(rest, letters.substr(0, 3)))
        return false;
    if (rest.size() > 3 && rest[3] == '?')
        return true;
    std::string value = letters.substr(3);
    for (char &c : value)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return begins(rest.substr(3), value);
}

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

Lines Receiver::piece(const std::string &stored)
{
    // A continuation, and a line of the unit's after a command went into its text that is
    // not the first answer to it, are shown from their first byte.
    bool whole = pieceContinues_;
    if (!whole && unitLine_) {
        if (awaitingAnswer_ && answers(stored, command_, context_.baudText))
            awaitingAnswer_ = false;
        else
            whole = true;
    }
    Lines lines;
    if (!whole) {
        lines = linesFor(stored, int(context_.commandLine.size()), context_.baudText == "4800", context_.flag);
    } else if (stored.find_first_not_of(' ') != std::string::npos) {
        lines.answer = stored;
    }
    lines.commandLine = context_.commandLine;
    return lines;
}

std::vector<Lines> Receiver::add(const std::string &bytes, const Context &now)
{
    std::vector<Lines> out;
    for (const char c : bytes) {
        if (!open_) {
            open_ = true;
            pieceContinues_ = nextContinues_;
            nextIsFirstOfText_ = !nextContinues_;
            if (!nextContinues_) {
                context_ = now;
                unitLine_ = lineByLine_;
            }
            nextContinues_ = false;
            stored_.clear();
            lastLineEnd_.reset();
        }
        const bool first = nextIsFirstOfText_;
        nextIsFirstOfText_ = false;
        if ((c == '\r' || c == '\n') && !first) {
            const bool content = pieceContinues_ || stored_.find_first_not_of("\r\n") != std::string::npos;
            if (c == '\n' && content) {
                lastLineEnd_ = stored_.size();
                if (lineByLine_) {
                    out.push_back(piece(stored_));
                    open_ = false;
                }
            }
            continue;
        }
        if (stored_.size() == pieceBytes) {
            out.push_back(piece(stored_));
            stored_.clear();
            pieceContinues_ = true;
            lastLineEnd_.reset();
        }
        stored_ += c;
    }
    return out;
}

std::vector<Lines> Receiver::quiet()
{
    std::vector<Lines> out;
    if (open_)
        out.push_back(piece(stored_));
    open_ = false;
    nextContinues_ = false;
    lineByLine_ = false;
    awaitingAnswer_ = false;
    return out;
}

std::vector<Lines> Receiver::cut(bool everythingWithoutLineEnd)
{
    if (!open_ || (!lastLineEnd_ && !everythingWithoutLineEnd))
        return {};
    const std::size_t at = lastLineEnd_ ? *lastLineEnd_ : stored_.size();
    std::vector<Lines> out{piece(stored_.substr(0, at))};
    const std::string rest = stored_.substr(at);
    if (rest.empty()) {
        open_ = false;
        nextContinues_ = true;
    } else {
        stored_ = rest;
        pieceContinues_ = true;
        lastLineEnd_.reset();
    }
    return out;
}

void Receiver::written(const std::string &command)
{
    if (open_ || nextContinues_)
        lineByLine_ = true;
    nextContinues_ = false;
    if (lineByLine_) {
        command_ = command;
        awaitingAnswer_ = true;
    }
}

} // namespace fuzzref
