#include "window/commands/keysandtestcalls.h"

#include "unit/protocol.h"
#include "widgets/mainwindow.h"
#include "window/commands/presssequence.h"
#include "window/connection/sending.h"
#include "window/program.h"
#include "window/programstate.h"

void cmdTR1_MouseDown(Program &p) { pressSequence(p, Protocol::keyPress(p.state.AddressDigit, 1)); }
void cmdTR2_MouseDown(Program &p) { pressSequence(p, Protocol::keyPress(p.state.AddressDigit, 2)); }

void cmdTR_MouseUp(Program &p)
{
    p.w.ed1()->setText(Protocol::keyRelease(p.state.AddressDigit));
    SendCommandLine(p);
}

void cmd5Ton_MouseDown(Program &p) { pressSequence(p, Protocol::fiveToneTestCall(p.state.AddressDigit)); }
void cmdFMS_MouseDown(Program &p) { pressSequence(p, Protocol::fmsTestTelegram(p.state.AddressDigit)); }
