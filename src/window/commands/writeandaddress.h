// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The version query, the address box and the parameter write.
//
// A write is prepared, never sent by itself: F-button → "$R" + digit + "RFn" in ed1;
// cmdschreiben turns it into "$R" + digit + "PFn" and puts the cursor behind it; the
// technician types the value and sends the line with cmdSendentx.

#include <QString>

struct Program;

void cmdVersion_MouseDown(Program &p);
void cbAdr_MouseDown(Program &p);        // also cbAdr_MouseUp
void cmdschreiben_MouseDown(Program &p);
void cmdschreiben_MouseUp(Program &p);
void ed1_MouseDown(Program &p);
void ed1_Click(Program &p);              // typing and clicking send nothing
void ed1_KeyPress(Program &p);
