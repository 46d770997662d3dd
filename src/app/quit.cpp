#include "app/quit.h"

#include "app/ending.h"
#include "serial/connection.h"
#include "serial/sending.h"
#include "serial/serialchannel.h"
#include "shared/program.h"
#include "shared/programstate.h"
#include "ui/mainwindow.h"

void cmdEnde_MouseDown(Program &p)
{
    // Connected exactly when the connect button is disabled.
    if (p.w.cmdEIN->isEnabled())
        return;
    p.state.ButtonCommandFlag = 1;
    p.w.ed1->setText(QStringLiteral("$R") + p.state.AddressDigit + QStringLiteral("Q"));
    SendCommandLine(p);
}

void cmdEnde_MouseUp(Program &p)
{
    // Not the disconnect's release: the unit already has its "Q", so no "$RSQ" follows.
    cmdAUS_MouseDown(p);
    p.channel.closeAll();
    endProgram(p);
}
