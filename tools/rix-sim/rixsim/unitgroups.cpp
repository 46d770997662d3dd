// SPDX-License-Identifier: GPL-3.0-or-later
#include "rixsim/unitgroups.h"

#include <set>

namespace rixsim {

ParsedUnits parseUnits(const std::vector<std::string> &arguments)
{
    std::vector<std::vector<std::string>> pieces(1);
    for (const std::string &word : arguments) {
        if (word == nextUnit)
            pieces.emplace_back();
        else
            pieces.back().push_back(word);
    }
    ParsedUnits result;
    const auto fail = [&result](std::string message) {
        result.action = ParsedArguments::Action::Error;
        result.error = std::move(message);
        result.units.clear();
        return result;
    };
    for (const std::vector<std::string> &piece : pieces) {
        const ParsedArguments::Action action = parseArguments(piece).action;
        if (action == ParsedArguments::Action::Help || action == ParsedArguments::Action::Version) {
            result.action = action;
            return result;
        }
    }
    const bool several = pieces.size() > 1;
    std::set<std::string> places;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const std::string unit = several ? "unit " + std::to_string(i + 1) + ": " : "";
        if (several && pieces[i].empty())
            return fail(unit + "no options before or after " + std::string(nextUnit));
        ParsedArguments parsed = parseArguments(pieces[i]);
        if (parsed.action == ParsedArguments::Action::Error)
            return fail(unit + parsed.error);
        for (const std::optional<std::string> &place : {parsed.options.link, parsed.options.device})
            if (place && !places.insert(*place).second)
                return fail(unit + *place + " is already another unit's");
        result.units.push_back(std::move(parsed.options));
    }
    return result;
}

} // namespace rixsim
