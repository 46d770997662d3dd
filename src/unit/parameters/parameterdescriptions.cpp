// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/parameters/parameterdescriptions.h"

#include <array>

namespace {
struct Description {
    const char *title;
    int blanks;   // the run of blanks that pushes the value to the right
    const char *value;
    const char *digits;
};

// UTF-8 literals; the German letters are single bytes once on screen or on the line.
constexpr std::array<Description, 7> descriptions = {{
    {"RIX-Adresse", 38, "(F011)", "1. Stelle (0 ... F)"},
    {"Min. AW-Tonlänge aller Töne", 13, "(0A00)", "1. u. 2. Stelle [N*5ms] "},
    {"max. AW-Tonlänge aller Töne", 13, "(1212)", "1.,2. Stelle u. ab 2.Stelle [N*5ms] "},
    {"Vorlaufzeit", 43, "(0E28)", "3.,4. Stelle  [N*5ms] "},
    {"Tonlänge Rufgeber", 29, "(0E0E)", "1.,2. St. 1. Ton, 3.,4 St. ab 2.Ton [N*5ms]"},
    {"Tonlänge Einton-Auswerter", 17, "(64C8)", "3.,4 Stelle min. Länge Ruf I, II [N*5ms]"},
    {"Baudrate u. FMS-Leitstellenquittung", 4, "(1010)", "1.St. 0=4800(RIX)/1=VK7000, 2.St.Q=(1/0)"},
}};

const Description &description(int parameter)
{
    return descriptions.at(std::size_t(parameter));
}
} // namespace

QString parameterDescriptionTitle(int parameter)
{
    return QString::fromUtf8(description(parameter).title);
}

QString parameterDescriptionDigits(int parameter)
{
    return QString::fromUtf8(description(parameter).digits);
}

QString parameterCaption(int parameter)
{
    const Description &d = description(parameter);
    return QString::fromUtf8(d.title) + QString(d.blanks, QLatin1Char(' ')) + QLatin1String(d.value)
           + QLatin1Char('\r') + QString::fromUtf8(d.digits);
}
