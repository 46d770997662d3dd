// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/connection/sending.h"

#include "unit/cp1252.h"
#include "unit/errors.h"
#include "unit/protocol/protocol.h"
#include "unit/line/serialchannel.h"
#include "widgets/mainwindow.h"
#include "window/program.h"
#include "window/programstate.h"
#include "window/receive/receiver.h"
#include "window/seams.h"

namespace {
void writeCommandLine(Program &p)
{
    // ed1 accepts only Windows-1252 characters; a text that still cannot be encoded is a
    // fault of the program, never a reason to put other bytes on the line.
    const auto bytes = cp1252::encode(p.w.ed1()->text());
    if (!bytes)
        throw RixError(ErrorNumber::Unknown, "command line holds a character without a Windows-1252 byte");
    if (bytes->isEmpty())
        return;
    p.channel.write(*bytes);
    p.w.ed1()->rememberSent(p.w.ed1()->text());
    p.receiver.commandWritten(*bytes);
}
} // namespace

namespace {
// The timer bracket of every send from the command line: polling off, the text written,
// `afterWrite`, the handler held for the pause, polling on again. Nothing is read in
// between; what the unit answered meanwhile is taken as soon as the handler is done (the
// guarded dispatch does it).
void sendCommandLineAndHold(Program &p, int pauseMs, void (*afterWrite)(Program &))
{
    p.receiver.stopPolling();
    writeCommandLine(p);
    if (afterWrite)
        afterWrite(p);
    p.pause.pause(pauseMs);
    p.receiver.startPolling();
}

void typedCommandSent(Program &p)
{
    p.state.ButtonCommandFlag = 0;
}
} // namespace

void SendCommandLine(Program &p)
{
    sendCommandLineAndHold(p, protocol::commandPauseMs, nullptr);
}

void cmdSendentx_MouseDown(Program &p)
{
    sendCommandLineAndHold(p, protocol::sendPauseMs, typedCommandSent);
}
