// SPDX-License-Identifier: GPL-3.0-or-later
#include "param/unitresult.h"

QChar UnitResult::address() const
{
    if (values && values->value[0] && !values->value[0]->isEmpty())
        return values->value[0]->front();
    return QChar();
}
