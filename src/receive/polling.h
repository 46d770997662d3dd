#pragma once
// The poll timer's tick: reads what the unit sent as one burst and shows it.

#include <chrono>

struct Program;

// A unit that sends without a pause would otherwise hold the window for ever: a burst is
// cut after this long or this many bytes, and the rest is read by the next tick, which
// then comes at once.
constexpr std::chrono::milliseconds kBurstTimeLimit{50};
constexpr int kBurstByteLimit = 64 * 1024;

void tmr1_Timer(Program &p);
void PollReceive(Program &p);
