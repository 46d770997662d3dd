// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a parameter value means, as far as the window's parameter descriptions state it.

#include <QString>
#include <QStringList>

// One short German line per digit group that the description of parameter n (0..6) states,
// e.g. "3.,4. Stelle = 0x28 = 40 × 5 ms = 200 ms". A part of a description that does not say
// clearly which digits it means is named, not decoded. Empty for n outside 0..6 or a value
// that is not four hexadecimal digits.
QStringList describeParameter(int n, const QString &value);

// The parameter's title from its description, e.g. "RIX-Adresse"; empty for n outside 0..6.
QString parameterTitle(int n);
