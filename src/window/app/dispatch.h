// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every handler runs through here. A handler that fails ends in the fatal-error report;
// Qt's event loop never sees an exception, and after the report no handler runs again.

#include <QString>

#include <functional>

#include "window/actions.h"

class PortOpenError;

// A user's action. One that writes (or a key) is a turn of the conversation: it runs once the
// line is free and the unit has paused (a key: at its line end), and only if the line is
// still there: an action from before a loss is never sent after it, not even on a port that
// has been connected again. One that writes nothing runs at once and touches nothing the unit
// sends. Then, while the conversation still works on what the action began (a command's
// pause, the wait for the unit), the user's further input waits, in order.
void dispatch(Program &p, Handler handler, Line line = Line::NotNeeded);
// The same without holding the input afterwards: for the actions a dialog starts, whose own
// input (its „Abbrechen“) must be heard while they run.
void startAction(Program &p, Handler handler, Line line);
// The receive path's own events: the poll timer, bytes arrived, the quiet time over.
void dispatchReceive(Program &p, Handler handler);

// The guarded dispatch for actions a handler starts itself (Program::actions).
class GuardedActions : public Actions {
public:
    void attach(Program &p) { p_ = &p; }
    void run(const Handler &handler, Line line) override { startAction(*p_, handler, line); }

private:
    Program *p_ = nullptr;
};

QString fatalErrorMessage(int number);
void fatalErrorReport(Program &p, int number);
// A port that could not be opened: its own message, the system's reason as details, the end.
void reportOpenFailure(Program &p, const PortOpenError &error);
