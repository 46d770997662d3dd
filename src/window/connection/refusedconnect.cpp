// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/connection/refusedconnect.h"

#include "unit/line/openfailure.h"
#include "unit/conversation/conversation.h"
#include "widgets/lineview.h"
#include "widgets/mainwindow.h"
#include "window/connection/connection.h"
#include "window/connection/findunit.h"
#include "window/connection/heldkey.h"
#include "window/program.h"
#include "window/programstate.h"
#include "window/seams.h"

QString keptSessionOpenFailureMessage(const QString &portName, bool listsKept, const QString &heldKeyNote)
{
    QString text = openFailureMessage(portName, listsKept ? QStringLiteral("Die Verbindung bleibt getrennt, die Listen bleiben erhalten.")
                                                          : QStringLiteral("Die Verbindung bleibt getrennt."));
    if (!heldKeyNote.isEmpty())
        text += QLatin1Char('\r') + heldKeyNote;
    return text;
}

bool keepSessionAfterRefusedConnect(Program &p, const QString &details)
{
    const bool listsHoldLines = p.w.lb2()->count() > 0 || p.w.lbrx()->count() > 0;
    const QString held = heldKeyNote(p);
    if (!listsHoldLines && held.isEmpty())
        return false;
    // The window first, so that the box is shown over the state the user is left in.
    cmdAUS_MouseDown(p);
    p.conversation.closeAll();
    // The port may be the wrong one: the search finds where the unit is.
    if (p.box.offerUnitSearch(keptSessionOpenFailureMessage(p.state.PortName, listsHoldLines, held), details))
        showUnitSearch(p);
    return true;
}

bool searchChosenAfterRefusedConnect(Program &p, const QString &details)
{
    // Nothing is polled while the box asks; the window stays as the refused connect left it.
    p.conversation.prepareToClose();
    if (!p.box.offerUnitSearch(openFailureMessage(p.state.PortName), details) || p.state.ending)
        return false;
    cmdAUS_MouseDown(p);
    p.conversation.closeAll();
    showUnitSearch(p);
    return true;
}
