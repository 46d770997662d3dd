// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The press-and-hold keys TR1/TR2 and the two test calls.

struct Program;

void cmdTR1_MouseDown(Program &p);
void cmdTR2_MouseDown(Program &p);
void cmdTR_MouseUp(Program &p);       // shared by TR1 and TR2: "EA", flag left as the press set it
void cmd5Ton_MouseDown(Program &p);
void cmdFMS_MouseDown(Program &p);
