#include "app/dispatch.h"

#include "receive/burstreader.h"
#include "receive/polling.h"
#include "shared/errors.h"
#include "shared/program.h"
#include "shared/programstate.h"

#include <new>

QString fatalErrorMessage(int number)
{
    return QStringLiteral("Es ist ein Fehler aufgetreten: ") + QString::number(number)
           + QStringLiteral("\rDas Programm muß beendet werden.");
}

void FatalErrorReport(Program &p, int number)
{
    endWithMessage(p, fatalErrorMessage(number));
}

namespace {
void guarded(Program &p, Handler handler, bool afterBurst)
{
    if (p.state.ending)
        return;
    int number = 0;
    try {
        if (afterBurst) {
            finishBurstForInput(p);
            if (p.state.ending)
                return;
        }
        handler(p);
        return;
    } catch (const ProgramEnding &) {
        return;   // the handler has shown its own final message
    } catch (const RixError &e) {
        number = e.number();
    } catch (const std::bad_alloc &) {
        number = ErrorNumber::OutOfMemory;
    } catch (...) {
        number = ErrorNumber::Unknown;
    }
    // A burst cut short by the failure is not read on.
    p.burst.close(false);
    // Reported outside the catch block, so the report itself may fail without nesting.
    try {
        FatalErrorReport(p, number);
    } catch (...) {
        endProgram(p);
    }
}
} // namespace

void dispatch(Program &p, Handler handler)
{
    guarded(p, handler, true);
}

void dispatchReceive(Program &p, Handler handler)
{
    guarded(p, handler, false);
}
