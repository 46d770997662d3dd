// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/connection/sending.h"

#include "unit/conversation/conversation.h"
#include "unit/cp1252.h"
#include "unit/errors.h"
#include "unit/protocol/protocol.h"
#include "widgets/mainwindow.h"
#include "window/program.h"
#include "window/programstate.h"

namespace {
// Every send from the command line: its text, taken now, goes out as one exchange with its
// pause; nothing is read until the pause is over, and what the unit answered meanwhile is
// taken then, under the command it answers. `afterWrite` runs once the bytes went out,
// before the pause.
void sendCommandLine(Program &p, int pauseMs, void (*afterWrite)(Program &))
{
    // ed1 accepts only Windows-1252 characters; a text that still cannot be encoded is a
    // fault of the program, never a reason to put other bytes on the line.
    const QString text = p.w.ed1()->text();
    const auto bytes = cp1252::encode(text);
    if (!bytes)
        throw RixError(ErrorNumber::Unknown, "command line holds a character without a Windows-1252 byte");
    Conversation::Request request;
    request.bytes = *bytes;
    request.pauseMs = pauseMs;
    request.sent = [&p, text, empty = bytes->isEmpty(), afterWrite] {
        if (!empty)
            p.w.ed1()->rememberSent(text);
        if (afterWrite)
            afterWrite(p);
    };
    p.conversation.submit(std::move(request));
}

void typedCommandSent(Program &p)
{
    p.state.ButtonCommandFlag = 0;
}
} // namespace

void SendCommandLine(Program &p)
{
    sendCommandLine(p, protocol::commandPauseMs, nullptr);
}

void SendCommandLine(Program &p, void (*sent)(Program &))
{
    sendCommandLine(p, protocol::commandPauseMs, sent);
}

void cmdSendentx_MouseDown(Program &p)
{
    sendCommandLine(p, protocol::sendPauseMs, typedCommandSent);
}
