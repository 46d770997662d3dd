// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/connection/refusedconnect.h"

#include "unit/openfailure.h"
#include "unit/serialchannel.h"
#include "widgets/lineview.h"
#include "widgets/mainwindow.h"
#include "window/connection/connection.h"
#include "window/program.h"
#include "window/programstate.h"
#include "window/seams.h"

QString keptSessionOpenFailureMessage(const QString &portName)
{
    return openFailureMessage(portName, QStringLiteral("Die Verbindung bleibt getrennt, die Listen bleiben erhalten."));
}

bool keepSessionAfterRefusedConnect(Program &p, const QString &details)
{
    if (p.w.lb2()->count() == 0 && p.w.lbrx()->count() == 0)
        return false;
    // The window first, so that the box is shown over the state the user is left in.
    cmdAUS_MouseDown(p);
    p.channel.closeAll();
    p.box.show(keptSessionOpenFailureMessage(p.state.PortName), details);
    return true;
}
