// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The poll timer's tick: the conversation takes what has come (every byte from the unit is
// taken there, in one place), and with nothing there the lamps are refreshed.

struct Program;

void tmr1_Timer(Program &p);
void PollReceive(Program &p);
