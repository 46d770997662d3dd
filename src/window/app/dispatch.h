// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every handler runs through here. A handler that fails ends in the fatal-error report;
// Qt's event loop never sees an exception, and after the report no handler runs again.

#include <QString>

#include <functional>

struct Program;
class PortOpenError;
using Handler = std::function<void(Program &)>;

// Whether a handler writes to the unit, and so needs the line.
enum class Line { NotNeeded, Needed };
// How long a user's action waits for a text the unit is still sending: a key's release goes
// out within 50 ms of the mouse-up, whatever the unit sends.
enum class Turn { AfterText, KeyRelease };

// A user's action, and every handler but the receive path's own: what the port has
// received by then opens a burst, as if the poll had come first, and a burst that is still
// being read is read to its end first, as the window was busy with it when the action came:
// to the quiet time or to the line end that ends the unit's text, at most about a second
// (Receiver::inputWaitMs), a key's release at most Receiver::releaseWaitMs. A handler that needs the line then runs only if the line
// is open and was not lost meanwhile: an action from before a loss is never sent after it,
// not even on a port that has been connected again.
void dispatch(Program &p, Handler handler, Line line = Line::NotNeeded, Turn turn = Turn::AfterText);
// The receive path's own events: the poll timer, bytes arrived, the quiet time over.
void dispatchReceive(Program &p, Handler handler);

QString fatalErrorMessage(int number);
void fatalErrorReport(Program &p, int number);
// A port that could not be opened: its own message, the system's reason as details, the end.
void reportOpenFailure(Program &p, const PortOpenError &error);
