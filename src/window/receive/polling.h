// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The poll timer's tick. Every byte from the unit comes in through the receive path's one
// door (Receiver); the tick is one of the events that knock at it.

struct Program;

void tmr1_Timer(Program &p);
void PollReceive(Program &p);
