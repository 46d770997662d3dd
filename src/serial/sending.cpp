#include "serial/sending.h"

#include "serial/serialchannel.h"
#include "shared/cp1252.h"
#include "shared/errors.h"
#include "shared/program.h"
#include "shared/programstate.h"
#include "shared/seams.h"
#include "ui/mainwindow.h"

namespace {
constexpr int kCommandPauseMs = 165;
constexpr int kSendButtonPauseMs = 275;

void writeCommandLine(Program &p)
{
    // ed1 accepts only Windows-1252 characters; a text that still cannot be encoded is a
    // fault of the program, never a reason to put other bytes on the line.
    const auto bytes = cp1252::encode(p.w.ed1->text());
    if (!bytes)
        throw RixError(ErrorNumber::Unknown, "command line holds a character without a Windows-1252 byte");
    if (bytes->isEmpty())
        return;
    p.channel.write(*bytes);
    p.state.commandWritten = true;
}
} // namespace

namespace {
// The timer bracket of every send from the command line: polling off, the text written,
// `afterWrite`, the handler held for the pause, polling on again. Nothing is read in
// between; what the unit answers meanwhile waits in the port for the first tick after it.
void sendCommandLineAndHold(Program &p, int pauseMs, void (*afterWrite)(Program &))
{
    p.w.tmr1.stop();
    writeCommandLine(p);
    if (afterWrite)
        afterWrite(p);
    p.pause.pause(pauseMs);
    p.w.tmr1.start();
}

void typedCommandSent(Program &p)
{
    p.state.ButtonCommandFlag = 0;
}
} // namespace

void SendCommandLine(Program &p)
{
    sendCommandLineAndHold(p, kCommandPauseMs, nullptr);
}

void cmdSendentx_MouseDown(Program &p)
{
    sendCommandLineAndHold(p, kSendButtonPauseMs, typedCommandSent);
}
