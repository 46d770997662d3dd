// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace rixsim {

// The flood sends numbered lines so that a receiver can check that nothing was
// lost, doubled or reordered:
//   "FLOOD 000001 ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcdefghijklmnopq\r\n"
// The counter starts at 1 and has at least six digits (it grows wider after
// 999999 rather than wrapping).
std::string floodLine(std::uint64_t number);

// The number of a line made by floodLine() (with or without its CR LF), or
// empty when the text is not exactly such a line.
std::optional<std::uint64_t> parseFloodLine(std::string_view line);

} // namespace rixsim
