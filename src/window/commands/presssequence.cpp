// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/commands/presssequence.h"

#include "widgets/mainwindow.h"
#include "window/connection/sending.h"
#include "window/program.h"
#include "window/programstate.h"

void pressSequence(Program &p, const QString &command)
{
    pressSequence(p, command, nullptr);
}

void pressSequence(Program &p, const QString &command, void (*sent)(Program &))
{
    p.state.ButtonCommandFlag = 1;
    p.w.ed1()->setText(command);
    SendCommandLine(p, sent);
}
