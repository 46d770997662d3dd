// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The press of every command button: flag 1, the button's command into the command line,
// and the command line sent.

#include <QString>

struct Program;

// `command`: the whole command, built by the unit's protocol with the address digit of the
// last connect.
void pressSequence(Program &p, const QString &command);
// The same; `sent` runs once the command went out, before its pause.
void pressSequence(Program &p, const QString &command, void (*sent)(Program &));
