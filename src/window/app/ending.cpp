// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/app/ending.h"

#include "unit/conversation/conversation.h"
#include "widgets/mainwindow.h"
#include "window/program.h"
#include "window/programstate.h"
#include "window/receive/receiver.h"
#include "window/seams.h"

void endProgram(Program &p, int exitCode)
{
    p.state.ending = true;
    p.end.end(exitCode);
}

void endWithMessage(Program &p, const QString &text, const QString &details)
{
    p.conversation.prepareToClose();
    p.state.ending = true;
    p.box.show(text, details);
    endAfterMessage(p);
}

void endAfterMessage(Program &p)
{
    p.state.ending = true;
    p.receiver.portClosing();
    p.conversation.closeAll();
    endProgram(p, 1);
}
