// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/stats.h"

#include <algorithm>
#include <cmath>

namespace bench {

double percentile(std::vector<double> samples, double fraction)
{
    if (samples.empty())
        return 0.0;
    std::sort(samples.begin(), samples.end());
    // Nearest rank: the smallest sample with at least `fraction` of all samples at or below it.
    const auto rank = std::size_t(std::ceil(fraction * double(samples.size())));
    return samples[std::clamp<std::size_t>(rank, 1, samples.size()) - 1];
}

double maximum(const std::vector<double> &samples)
{
    return samples.empty() ? 0.0 : *std::max_element(samples.begin(), samples.end());
}

} // namespace bench
