// SPDX-License-Identifier: GPL-3.0-or-later
#include "rixsim/flood.h"

#include <cstdio>

namespace rixsim {
namespace {
constexpr std::string_view prefix = "FLOOD ";
constexpr std::string_view pattern = " ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcdefghijklmnopq";
} // namespace

std::string floodLine(std::uint64_t number)
{
    char digits[24];
    std::snprintf(digits, sizeof digits, "%06llu", static_cast<unsigned long long>(number));
    std::string line(prefix);
    line.append(digits).append(pattern).append("\r\n");
    return line;
}

std::optional<std::uint64_t> parseFloodLine(std::string_view line)
{
    if (line.size() >= 2 && line.substr(line.size() - 2) == "\r\n")
        line.remove_suffix(2);
    if (line.substr(0, prefix.size()) != prefix)
        return std::nullopt;
    line.remove_prefix(prefix.size());
    const std::size_t digitsEnd = line.find(' ');
    if (digitsEnd == std::string_view::npos || digitsEnd < 6 || digitsEnd > 19)
        return std::nullopt;
    if (line.substr(digitsEnd) != pattern)
        return std::nullopt;
    std::uint64_t number = 0;
    for (const char c : line.substr(0, digitsEnd)) {
        if (c < '0' || c > '9')
            return std::nullopt;
        number = number * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (floodLine(number).size() != digitsEnd + prefix.size() + pattern.size() + 2)
        return std::nullopt; // leading zeros beyond the six-digit minimum
    return number;
}

} // namespace rixsim
