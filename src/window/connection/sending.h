// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Everything but the disconnect goes to the unit through the command line ed1, as an
// exchange of the conversation: the write and its pause, in which nothing is polled or read.

struct Program;

void SendCommandLine(Program &p);        // the command buttons' way: pause 165
// The same; `sent` runs once the bytes went out, before the pause (what the unit may then
// hold, also when the line is lost in the pause).
void SendCommandLine(Program &p, void (*sent)(Program &));
void cmdSendentx_MouseDown(Program &p);  // the send button: flag 0, pause 275
