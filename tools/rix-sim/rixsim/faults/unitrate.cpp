// SPDX-License-Identifier: GPL-3.0-or-later
#include "rixsim/faults/unitrate.h"

namespace rixsim {

std::optional<std::string> misheardAtRate(int unitRate, int lineRate)
{
    if (unitRate <= 0 || lineRate == unitRate)
        return std::nullopt;
    return "not understood at " + std::to_string(lineRate) + " baud: the unit works at " + std::to_string(unitRate);
}

} // namespace rixsim
