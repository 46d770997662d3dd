// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Everything but the disconnect goes to the unit through the command line ed1.
// The poll timer is off from before the write until after the pause, so no receive
// poll ever runs between a write and the end of its pause.

struct Program;

void SendCommandLine(Program &p);        // the command buttons' way: pause 165
void cmdSendentx_MouseDown(Program &p);  // the send button: flag 0, pause 275
