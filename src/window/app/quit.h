// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The quit button: the only way out that tells the unit.

struct Program;

void cmdEnde_MouseDown(Program &p);   // connected: "$R" + digit + "Q" through the command line
void cmdEnde_MouseUp(Program &p);     // disconnected set, every channel closed, end
