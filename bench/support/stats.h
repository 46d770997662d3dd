// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Order statistics over a handful of samples; the samples are copied, so callers keep theirs.

#include <vector>

namespace bench {

// The value below which `fraction` of the samples lie (nearest rank); 0 for no samples.
double percentile(std::vector<double> samples, double fraction);
inline double median(const std::vector<double> &samples) { return percentile(samples, 0.5); }
double maximum(const std::vector<double> &samples);

} // namespace bench
