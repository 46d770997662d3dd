// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace rixsim {

// Bytes as one readable log line: printable ASCII as is, backslash, CR, LF
// and tab as "\\", "\r", "\n", "\t", every other byte as "\xHH".
std::string escapeBytes(std::string_view bytes);

} // namespace rixsim
