// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>

namespace rixsim {

// The one clock the line and its faults run on: gaps, pacing and due times
// must not jump with the wall clock.
using Clock = std::chrono::steady_clock;

} // namespace rixsim
