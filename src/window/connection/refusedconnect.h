// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A "Verbinden" that the port refuses. With nothing received or sent yet and no key's
// release owed there is nothing to lose, and the program ends with its open-failure message;
// the box also offers „Einheit suchen …“, which keeps it running to find the right port.
// Once either list holds a line, ending would throw the technician's record away, and a
// key held on the unit is owed its release by the next connect: the program stays
// disconnected instead.

#include <QString>

struct Program;

// The open-failure message when the session is kept: its first five lines as when the
// program ends, then that the connection stays closed (and the lists are kept when they
// hold lines), then `heldKeyNote` on a line of its own when there is one.
QString keptSessionOpenFailureMessage(const QString &portName, bool listsKept,
                                      const QString &heldKeyNote);

// When a list holds a line or a key's release is owed: the disconnected state as after
// "Trennen" (nothing written, the channel closed), then the message with `details`, and
// true. False, touching nothing, otherwise; the caller then ends the program.
bool keepSessionAfterRefusedConnect(Program &p, const QString &details);

// With nothing to lose: the open-failure message that ends the program, with `details`, and
// „Einheit suchen …“ beside its OK. Chosen, the disconnected state as after "Trennen"
// (nothing written, the channel closed), the search's dialog opens, and true: the program
// runs on. False after OK; the caller then ends the program.
bool searchChosenAfterRefusedConnect(Program &p, const QString &details);
