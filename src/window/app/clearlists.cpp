// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/app/clearlists.h"

#include "widgets/linelist.h"
#include "widgets/mainwindow.h"
#include "window/program.h"
#include "window/recording/recordinghandlers.h"

void clearLists(Program &p)
{
    // The marker first, with the counts: the records before it are the lines that went.
    recordListsCleared(p, p.w.lb2()->count(), p.w.lbrx()->count());
    p.w.lb2()->clear();
    p.w.lbrx()->clear();
}
