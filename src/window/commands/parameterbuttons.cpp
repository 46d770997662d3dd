// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/commands/parameterbuttons.h"

#include "unit/protocol/protocol.h"
#include "widgets/mainwindow.h"
#include "window/commands/presssequence.h"
#include "window/program.h"
#include "window/programstate.h"

namespace {
void readParameter(Program &p, int n)
{
    pressSequence(p, protocol::readParameter(p.state.AddressDigit, n));
}
} // namespace

void cmdF0_MouseDown(Program &p) { readParameter(p, 0); }
void cmdF1_MouseDown(Program &p) { readParameter(p, 1); }
void cmdF2_MouseDown(Program &p) { readParameter(p, 2); }
void cmdF3_MouseDown(Program &p) { readParameter(p, 3); }
void cmdF4_MouseDown(Program &p) { readParameter(p, 4); }
void cmdF5_MouseDown(Program &p) { readParameter(p, 5); }
void cmdF6_MouseDown(Program &p) { readParameter(p, 6); }

void cmdF_MouseUp(Program &p)
{
    p.w.cmdschreiben()->setEnabled(true);
}
