// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/app/quit.h"

#include "unit/protocol/protocol.h"
#include "unit/conversation/conversation.h"
#include "widgets/mainwindow.h"
#include "window/app/ending.h"
#include "window/connection/connection.h"
#include "window/connection/sending.h"
#include "window/program.h"
#include "window/programstate.h"
#include "window/receive/receiver.h"

void cmdEnde_MouseDown(Program &p)
{
    if (!isConnected(p))
        return;
    p.state.ButtonCommandFlag = 1;
    p.w.ed1()->setText(protocol::quit(p.state.AddressDigit));
    SendCommandLine(p);
}

void cmdEnde_MouseUp(Program &p)
{
    // Not the disconnect's release: the unit already has its "Q", so no "$RSQ" follows.
    cmdAUS_MouseDown(p);
    p.receiver.portClosing();
    p.conversation.closeAll();
    endProgram(p);
}
