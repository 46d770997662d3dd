// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/figures.h"

#include <cstdio>

namespace bench {

void printFigure(const std::string &name, const std::string &measured, const std::string &target, Verdict verdict)
{
    const char *shown = verdict == Verdict::Ok ? "ok" : verdict == Verdict::Missed ? "MISSED" : "-";
    std::printf("FIGURE\t%s\t%s\t%s\t%s\n", name.c_str(), measured.c_str(), target.c_str(), shown);
    std::fflush(stdout);
}

std::string fixed(double value, int decimals, const std::string &unit)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return unit.empty() ? std::string(text) : std::string(text) + ' ' + unit;
}

} // namespace bench
