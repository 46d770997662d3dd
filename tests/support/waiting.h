// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Waiting on the real event loop: the program only moves while Qt runs its timers and
// delivers its events, so every wait here keeps processing them.

#include <chrono>
#include <functional>

namespace testsupport {

using Clock = std::chrono::steady_clock;

// Generous: the tests share a busy two-core machine with other builds.
constexpr std::chrono::milliseconds waitDeadline{5000};

// Runs the event loop until `condition` holds or the deadline passes; returns whether it
// held. The condition is checked after every few milliseconds of event processing.
bool waitUntil(const std::function<bool()> &condition, std::chrono::milliseconds deadline = waitDeadline);

// Runs the event loop for a fixed time. Only for what needs real time to pass: holding a
// key, or giving a fault the chance to show (a second report, a late byte).
void runEventsFor(std::chrono::milliseconds time);

double millisecondsBetween(Clock::time_point from, Clock::time_point to);

// CPU time this process has used so far, in milliseconds.
double processCpuMs();

} // namespace testsupport
