// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading the unit's parameters F0..F6.

struct Program;

void cmdF0_MouseDown(Program &p);
void cmdF1_MouseDown(Program &p);
void cmdF2_MouseDown(Program &p);
void cmdF3_MouseDown(Program &p);
void cmdF4_MouseDown(Program &p);
void cmdF5_MouseDown(Program &p);
void cmdF6_MouseDown(Program &p);
// Shared by all seven: the parameter just read may now be written.
void cmdF_MouseUp(Program &p);
