#pragma once
// Every handler runs through here. A handler that fails ends in the fatal-error report;
// Qt's event loop never sees an exception, and after the report no handler runs again.

#include <QString>

struct Program;
class PortOpenError;
using Handler = void (*)(Program &);

// A user's action, and every handler but the receive path's own: a burst that is still
// being read is read to its end first (at most about a second), as the window was busy
// with it when the action came.
void dispatch(Program &p, Handler handler);
// The receive path's own events: the poll timer, bytes arrived, the quiet time over.
void dispatchReceive(Program &p, Handler handler);

QString fatalErrorMessage(int number);
void FatalErrorReport(Program &p, int number);
// A port that could not be opened: its own message, the system's reason as details, the end.
void ReportOpenFailure(Program &p, const PortOpenError &error);
