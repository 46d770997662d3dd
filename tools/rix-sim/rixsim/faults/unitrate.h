// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

namespace rixsim {

// --unit-baud: a unit set to one rate hears a command sent at another as
// noise. Returns the log note for a command the unit cannot understand at the
// line's rate, empty when it understands it (always when unitRate is 0).
std::optional<std::string> misheardAtRate(int unitRate, int lineRate);

} // namespace rixsim
