// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/parameters/parametervalue.h"

namespace {
bool isHexDigit(QChar c)
{
    // Only ASCII: QChar::isDigit would also take other scripts' digits.
    const char16_t u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'A' && u <= 'F') || (u >= 'a' && u <= 'f');
}
} // namespace

bool isParameterValue(const QString &text)
{
    if (text.size() != 4)
        return false;
    for (QChar c : text)
        if (!isHexDigit(c))
            return false;
    return true;
}
