// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One line per measured figure, in a form bench/run turns into the results table:
//   FIGURE<TAB>name<TAB>measured<TAB>target<TAB>verdict
// The verdict is "ok", "MISSED" or "-" (a figure without a target).

#include <string>

namespace bench {

enum class Verdict { Ok, Missed, None };

inline Verdict within(double value, double limit) { return value <= limit ? Verdict::Ok : Verdict::Missed; }

void printFigure(const std::string &name, const std::string &measured, const std::string &target, Verdict verdict);

// "12.3 ms" with the given number of decimals.
std::string fixed(double value, int decimals, const std::string &unit);

} // namespace bench
