#pragma once
// Every handler runs through here. A handler that fails ends in the fatal-error report;
// Qt's event loop never sees an exception, and after the report no handler runs again.

#include <QString>

struct Program;
using Handler = void (*)(Program &);

void dispatch(Program &p, Handler handler);

QString fatalErrorMessage(int number);
void FatalErrorReport(Program &p, int number);
