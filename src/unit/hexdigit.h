// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The value of one hexadecimal digit, as the unit's answers, the parameter files, the
// recording's \xHH and the find bar's hex bytes write it: ASCII 0-9, A-F, a-f only
// (QChar::isDigit would also take other scripts' digits).

// 0 to 15, or -1 for anything else.
constexpr int hexDigitValue(char16_t c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The digit of a value 0 to 15, upper case, as the program writes hex bytes.
inline constexpr char hexDigits[] = "0123456789ABCDEF";
