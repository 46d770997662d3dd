// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every handler runs through here. A handler that fails ends in the fatal-error report;
// Qt's event loop never sees an exception, and after the report no handler runs again.

#include <QString>

#include <functional>

#include "window/actions.h"

class PortOpenError;

// A user's action, and every handler but the receive path's own. One that writes (or a key)
// first lets the receive path read what the unit is sending to its pause
// (Receiver::beforeWrite()), and then runs only if the line is open and was not lost
// meanwhile: an action from before a loss is never sent after it, not even on a port that
// has been connected again. One that writes nothing runs at once and touches no burst.
void dispatch(Program &p, Handler handler, Line line = Line::NotNeeded);
// The receive path's own events: the poll timer, bytes arrived, the quiet time over.
void dispatchReceive(Program &p, Handler handler);

// The guarded dispatch for actions a handler starts itself (Program::actions).
class GuardedActions : public Actions {
public:
    void attach(Program &p) { p_ = &p; }
    void run(const Handler &handler, Line line) override { dispatch(*p_, handler, line); }

private:
    Program *p_ = nullptr;
};

QString fatalErrorMessage(int number);
void fatalErrorReport(Program &p, int number);
// A port that could not be opened: its own message, the system's reason as details, the end.
void reportOpenFailure(Program &p, const PortOpenError &error);
