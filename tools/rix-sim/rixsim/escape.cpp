// SPDX-License-Identifier: GPL-3.0-or-later
#include "rixsim/escape.h"

namespace rixsim {

std::string escapeBytes(std::string_view bytes)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        default:
            if (byte >= 0x20 && byte < 0x7F) {
                out += c;
            } else {
                out += "\\x";
                out += hex[byte >> 4];
                out += hex[byte & 0x0F];
            }
        }
    }
    return out;
}

} // namespace rixsim
