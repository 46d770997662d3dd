// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/app/dispatch.h"

#include "unit/errors.h"
#include "unit/logging.h"
#include "unit/line/openfailure.h"
#include "unit/line/serialchannel.h"
#include "window/app/ending.h"
#include "window/connection/connection.h"
#include "window/connection/heldkey.h"
#include "window/connection/refusedconnect.h"
#include "window/program.h"
#include "window/programstate.h"
#include "window/receive/receiver.h"

#include <new>

QString fatalErrorMessage(int number)
{
    return QStringLiteral("Es ist ein Fehler aufgetreten: ") + QString::number(number)
           + QStringLiteral("\rDas Programm muß beendet werden.");
}

void fatalErrorReport(Program &p, int number)
{
    endWithMessage(p, fatalErrorMessage(number));
}

void reportOpenFailure(Program &p, const PortOpenError &error)
{
    if (keepSessionAfterRefusedConnect(p, QString::fromStdString(error.what())))
        return;
    endWithMessage(p, openFailureMessage(p.state.PortName), QString::fromStdString(error.what()));
}

namespace {
// Runs `report` for a failure; the report itself may fail, and then the program just ends.
template <typename Report>
void report(Program &p, Report &&r)
{
    try {
        r();
    } catch (...) {
        endProgram(p, 1);
    }
}

// The line is still there for a handler that waited: open, and not lost while it waited
// (a loss reported meanwhile, even one followed by a new connect, ends the action).
bool lineStillThere(const Program &p, unsigned lossesBefore)
{
    return isConnected(p) && p.state.linesLost == lossesBefore;
}

void guarded(Program &p, const Handler &handler, Line line)
{
    if (p.state.ending)
        return;
    int number = 0;
    try {
        if (line != Line::NotNeeded) {
            const unsigned lossesBefore = p.state.linesLost;
            // What the unit is sending is read to its pause first, as the receive path's own
            // event, so a loss found there is reported as one.
            guarded(p, [line](Program &program) { program.receiver.beforeWrite(line); }, Line::NotNeeded);
            if (p.state.ending)
                return;
            if (!lineStillThere(p, lossesBefore)) {
                qCDebug(lcSerial) << "the line is gone; the action that needs it does nothing";
                return;
            }
        }
        handler(p);
        // What the unit answered in the command's pause is taken now, as the first tick
        // after the pause would, so it is read under the command it answers and before any
        // input that waited for the pause. As the receive path's own event: a loss found
        // there is reported, and the handler has done its part (a key's press is held).
        if (line == Line::Writes || line == Line::Key)
            guarded(p, [](Program &program) { program.receiver.takeWaiting(); }, Line::NotNeeded);
        return;
    } catch (const PortLostError &e) {
        qCWarning(lcSerial).noquote() << "port lost, error" << e.number() << ":" << e.what();
        // What was read before the loss is shown before the port closes for good.
        try {
            p.receiver.portLost();
        } catch (const std::exception &x) {
            qCWarning(lcReceive).noquote() << "what was read before the loss is not shown:" << x.what();
        }
        report(p, [&] { reportLostPort(p, e); });
        // Connected again from the box: a key release the lost line owes goes out before
        // anything else, itself guarded, as it may find the line gone again.
        if (!p.state.ending && isConnected(p))
            guarded(p, sendOwedKeyRelease, Line::NotNeeded);
        return;
    } catch (const PortOpenError &e) {
        qCWarning(lcSerial).noquote() << "port not opened, error" << e.number() << ":" << e.what();
        p.receiver.stopReading();
        report(p, [&] { reportOpenFailure(p, e); });
        return;
    } catch (const RixError &e) {
        qCCritical(lcApp).noquote() << "error" << e.number() << ":" << e.what();
        number = e.number();
    } catch (const std::bad_alloc &) {
        qCCritical(lcApp) << "out of memory";
        number = ErrorNumber::OutOfMemory;
    } catch (const std::exception &e) {
        qCCritical(lcApp).noquote() << "unexpected failure:" << e.what();
        number = ErrorNumber::Unknown;
    } catch (...) {
        qCCritical(lcApp) << "unexpected failure";
        number = ErrorNumber::Unknown;
    }
    // A burst cut short by the failure is not read on. Reported outside the catch block,
    // so the report itself may fail without nesting.
    p.receiver.stopReading();
    report(p, [&] { fatalErrorReport(p, number); });
}
} // namespace

void dispatch(Program &p, Handler handler, Line line)
{
    guarded(p, handler, line);
}

void dispatchReceive(Program &p, Handler handler)
{
    guarded(p, handler, Line::NotNeeded);
}
