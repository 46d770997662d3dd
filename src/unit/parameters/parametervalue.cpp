// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/parameters/parametervalue.h"

#include "unit/hexdigit.h"


bool isParameterValue(const QString &text)
{
    if (text.size() != 4)
        return false;
    for (QChar c : text)
        if (hexDigitValue(c.unicode()) < 0)
            return false;
    return true;
}
