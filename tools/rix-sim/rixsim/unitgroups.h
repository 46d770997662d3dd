// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Several simulated units in one rix-sim: the command line is cut at each "--and" and each
// piece is one unit's options, so a test or a demo has a bench of units, each on its own
// line, with its own rate, address and faults.

#include "rixsim/programoptions.h"

#include <string>
#include <vector>

namespace rixsim {

constexpr std::string_view nextUnit = "--and";

struct ParsedUnits {
    ParsedArguments::Action action = ParsedArguments::Action::Run;
    std::vector<ProgramOptions> units;   // one or more, for Action::Run
    std::string error;                   // one line, naming the unit when there are several
};

// Parses each unit's options as parseArguments() does. Help or version anywhere wins; an
// empty piece, or two units on one --link or --device, is an error.
ParsedUnits parseUnits(const std::vector<std::string> &arguments);

} // namespace rixsim
