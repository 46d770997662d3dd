// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/cp1252validator.h"

#include "unit/cp1252.h"

QValidator::State Cp1252Validator::validate(QString &input, int &) const
{
    for (QChar c : input)
        if (!cp1252::canEncode(c) || c.category() == QChar::Other_Control)
            return Invalid;
    return Acceptable;
}
