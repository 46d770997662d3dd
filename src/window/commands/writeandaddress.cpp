// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/commands/writeandaddress.h"

#include "unit/protocol/protocol.h"
#include "widgets/mainwindow.h"
#include "window/commands/parametertexts.h"
#include "window/commands/presssequence.h"
#include "window/program.h"
#include "window/programstate.h"

void cmdVersion_MouseDown(Program &p)
{
    pressSequence(p, protocol::version(p.state.AddressDigit));
}

void cbAdr_MouseDown(Program &p)
{
    // Uses the digit of the last connect, not the box's current choice.
    SetParameterTexts(p.w, p.state.AddressDigit);
}

void cmdschreiben_MouseDown(Program &p)
{
    p.w.ed1()->setText(protocol::toWriteCommand(p.w.ed1()->text()));
}

void cmdschreiben_MouseUp(Program &p)
{
    QLineEdit *ed1 = p.w.ed1();
    ed1->setFocus(Qt::OtherFocusReason);
    ed1->setCursorPosition(protocol::writeValueColumn);   // Qt keeps it within the text
    ed1->deselect();
    ed1_MouseDown(p);
}

void ed1_MouseDown(Program &p)
{
    p.w.ed1()->setFocus(Qt::MouseFocusReason);
    p.w.cmdschreiben()->setEnabled(false);
}

void ed1_Click(Program &) {}
void ed1_KeyPress(Program &) {}
