// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Windows-1252 code page as a table, without Qt: the 32 characters of 0x80 to 0x9F (every
// other byte is the Latin-1 character of its own value). cp1252.h builds the program's text on
// it; the recording's reader (files/recordline.h), which rix-sim links too, reads fields with it.

#include <array>

namespace cp1252 {

// 0x80..0x9F; the five positions the code page leaves undefined (0x81, 0x8D, 0x8F, 0x90,
// 0x9D) keep the C1 control of the same value, so every byte survives a round trip.
inline constexpr std::array<char16_t, 32> highTable = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// The character of a byte.
constexpr char16_t characterOf(unsigned char byte)
{
    return byte >= 0x80 && byte <= 0x9F ? highTable[byte - 0x80] : char16_t(byte);
}

// The byte of a character (a Unicode code point); -1 when the code page has none.
constexpr int byteOf(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return int(c);
    for (int i = 0; i < int(highTable.size()); ++i)
        if (highTable[std::size_t(i)] == c)
            return 0x80 + i;
    return -1;
}

} // namespace cp1252
