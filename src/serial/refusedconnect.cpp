#include "serial/refusedconnect.h"

#include "serial/connection.h"
#include "serial/serialchannel.h"
#include "shared/program.h"
#include "shared/programstate.h"
#include "shared/seams.h"
#include "ui/lineview.h"
#include "ui/mainwindow.h"

QString keptSessionOpenFailureMessage(const QString &portName)
{
    return openFailureMessage(portName, QStringLiteral("Die Verbindung bleibt getrennt, die Listen bleiben erhalten."));
}

bool KeepSessionAfterRefusedConnect(Program &p, const QString &details)
{
    if (p.w.lb2->count() == 0 && p.w.lbrx->count() == 0)
        return false;
    // The window first, so that the box is shown over the state the user is left in.
    cmdAUS_MouseDown(p);
    p.channel.closeAll();
    p.box.show(keptSessionOpenFailureMessage(p.state.PortName), details);
    return true;
}
