// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/app/dispatch.h"

#include "unit/errors.h"
#include "unit/logging.h"
#include "unit/line/openfailure.h"
#include "window/app/ending.h"
#include "window/connection/connection.h"
#include "window/connection/heldkey.h"
#include "window/connection/refusedconnect.h"
#include "window/program.h"
#include "window/programstate.h"
#include "window/receive/receiver.h"
#include "unit/conversation/conversation.h"

#include <QEventLoop>
#include <QTimer>

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
    const QString details = QString::fromStdString(error.what());
    if (keepSessionAfterRefusedConnect(p, details) || searchChosenAfterRefusedConnect(p, details))
        return;
    // OK: the box has been shown; the program ends as after any last word (unless a signal's
    // end came while it asked).
    if (!p.state.ending)
        endAfterMessage(p);
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

// The line is still there for an action that was queued: open, and not lost meanwhile (a
// loss reported meanwhile, even one followed by a new connect, ends the action).
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
        if (line != Line::NotNeeded && !isConnected(p)) {
            qCDebug(lcSerial) << "the line is gone; the action that needs it does nothing";
            return;
        }
        handler(p);
        return;
    } catch (const PortLostError &e) {
        // What was read before the loss is already shown: the conversation hands it out
        // before it reports the loss.
        qCWarning(lcSerial).noquote() << "port lost, error" << e.number() << ":" << e.what();
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

// The one place where the user's input waits: while the conversation works on what an action
// began, the event loop runs for everything but the user's input, which Qt keeps queued, in
// order, and hands out once this returns. Nothing of the action runs after it. It must be a
// loop: Qt keeps input queued only for a loop that excludes it, and a queue of our own would
// have to copy mouse and key events and lose Qt's own routing of them (grabs, focus, the
// keyboard). A program that ends, or a conversation that is stuck past every limit it has,
// ends the wait.
void holdInputWhileTheLineIsBusy(Program &p)
{
    if (p.state.ending || p.conversation.isIdle())
        return;
    constexpr int mostMs = 10000;
    QEventLoop loop;
    QObject::connect(&p.conversation, &Conversation::becameIdle, &loop, &QEventLoop::quit);
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&p, &loop] {
        if (p.state.ending || p.conversation.isIdle())
            loop.quit();
    });
    check.start(50);
    QTimer::singleShot(mostMs, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}
} // namespace

void startAction(Program &p, Handler handler, Line line)
{
    if (line != Line::Writes && line != Line::Key) {
        guarded(p, handler, line);
        return;
    }
    // A turn of the conversation; queuing it may itself find the line lost.
    guarded(p, [handler, line](Program &program) {
        if (!isConnected(program))
            return;
        const unsigned lossesBefore = program.state.linesLost;
        const auto wait = line == Line::Key ? Conversation::Wait::Key : Conversation::Wait::UnitPause;
        program.conversation.whenFree(wait, [&program, handler, line, lossesBefore] {
            if (lineStillThere(program, lossesBefore))
                guarded(program, handler, line);
        });
    }, Line::NotNeeded);
}

void dispatch(Program &p, Handler handler, Line line)
{
    startAction(p, std::move(handler), line);
    holdInputWhileTheLineIsBusy(p);
}

void dispatchReceive(Program &p, Handler handler)
{
    guarded(p, handler, Line::NotNeeded);
}
