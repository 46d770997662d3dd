// SPDX-License-Identifier: GPL-3.0-or-later
#include "rixsim/unit.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace rixsim {
namespace {

constexpr std::string_view lineEnd = "\r\n";

bool allOf(std::string_view text, int (*predicate)(int))
{
    return std::all_of(text.begin(), text.end(),
                       [predicate](char c) { return predicate(static_cast<unsigned char>(c)) != 0; });
}

bool isDecimal(std::string_view text, std::size_t length)
{
    return text.size() == length && allOf(text, [](int c) { return c >= '0' && c <= '9' ? 1 : 0; });
}

bool isHex(std::string_view text, std::size_t length)
{
    return text.size() == length && allOf(text, [](int c) { return std::isxdigit(c); });
}

// "F0".."F6" followed by nothing else matters to reads and writes alike.
int parameterIndex(std::string_view letters, std::size_t at)
{
    if (letters.size() < at + 2 || letters[at] != 'F')
        return -1;
    const char digit = letters[at + 1];
    if (digit < '0' || digit >= '0' + Unit::parameterCount)
        return -1;
    return digit - '0';
}

std::string upper(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); });
    return out;
}

} // namespace

Unit::Unit(bool echo)
    : parameters_{"F011", "0A00", "1212", "0E28", "0E0E", "64C8", "1010"}
    , echo_(echo)
{
}

const std::string &Unit::parameter(int index) const
{
    return parameters_.at(static_cast<std::size_t>(index));
}

char Unit::addressDigit() const
{
    return parameters_[0].front();
}

std::string Unit::respond(std::string_view command)
{
    if (command.size() < 4 || command.substr(0, 2) != "$R")
        return {};
    const char address = command[2];
    if (address != 'S' && address != addressDigit())
        return {};
    // Decided before the command is taken, so that the write that makes the
    // unit silent is still answered.
    const bool silentBefore = silent();
    std::string answer = answerFor(address, command.substr(3));
    if (answer.empty() || silentBefore)
        return {};
    if (echo_)
        answer.insert(0, command);
    if (lateAnswers_ && command[3] == 'R')
        answer.insert(0, std::exchange(previousReadAnswer_, answer));
    return answer;
}

std::string Unit::answerFor(char address, std::string_view letters)
{
    std::string head(1, address);

    if (letters.size() == 3 && letters[0] == 'R') {
        const int index = parameterIndex(letters, 1);
        if (index < 0 || muted(index))
            return {};
        return head.append(letters).append(parameters_[static_cast<std::size_t>(index)]).append(lineEnd);
    }
    if (letters.size() >= 3 && letters[0] == 'P') {
        const int index = parameterIndex(letters, 1);
        if (index < 0 || muted(index))
            return {};
        const std::string_view name = letters.substr(0, 3);
        const std::string_view value = letters.substr(3);
        if (!isHex(value, 4))
            return head.append(name).append("?").append(lineEnd);
        // Reads compare against the stored text, so keep one spelling of it.
        if (keepsWrites_)
            parameters_[static_cast<std::size_t>(index)] = upper(value);
        ++acceptedWrites_;
        return head.append(name).append(upper(value)).append(lineEnd);
    }
    if (letters == "V")
        return head.append("V").append(versionText_).append(lineEnd);

    const bool plain = letters == "E1" || letters == "E2" || letters == "EA" || letters == "Q";
    const bool testCall = letters.substr(0, 2) == "tP" && isDecimal(letters.substr(2), 5);
    const bool fmsCall = letters.substr(0, 1) == "m" && isDecimal(letters.substr(1), 10);
    if (plain || testCall || fmsCall)
        return head.append(letters).append(lineEnd);
    return {};
}

} // namespace rixsim
