// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's texts separate lines with a lone CR; Qt's labels and message boxes break
// lines only at LF. Texts are kept as they are and converted only where they are shown.

#include <QString>

inline QString displayLines(const QString &text)
{
    QString shown = text;
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}
