// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A key held on the unit: TR1 or TR2 whose press went out and whose release has not. The
// unit keeps such a key pressed (a transmitter key keeps its transmitter on) until the
// release comes, also across a lost line; so the release is owed to the next connect.

#include <QString>

struct Program;

// The press of TR`key` went out, under the address digit of the moment.
void keyPressSent(Program &p, int key);
// The release of the keys: "$R" + `addressDigit` + "EA" through the command line, with its
// pause; once it went out, no key is held.
void sendKeyRelease(Program &p, const QString &addressDigit);
// Just connected: a release owed from before a lost line goes out first, to the address
// digit of its press, whatever digit and port the connect chose; what the unit had waiting
// on the line is read and shown before it, as a burst of its own under the command line of
// the moment. Nothing when none is owed.
void sendOwedKeyRelease(Program &p);
// The line about a key held when the line went, for the lost-port box and a refused
// connect's box; empty when none was.
QString heldKeyNote(const Program &p);
