#include "commands/keysandtestcalls.h"

#include "commands/presssequence.h"
#include "serial/sending.h"
#include "shared/program.h"
#include "shared/programstate.h"
#include "ui/mainwindow.h"

void cmdTR1_MouseDown(Program &p) { pressSequence(p, QStringLiteral("E1")); }
void cmdTR2_MouseDown(Program &p) { pressSequence(p, QStringLiteral("E2")); }

void cmdTR_MouseUp(Program &p)
{
    p.w.ed1->setText(QStringLiteral("$R") + p.state.AddressDigit + QStringLiteral("EA"));
    SendCommandLine(p);
}

void cmd5Ton_MouseDown(Program &p) { pressSequence(p, QStringLiteral("tP60999")); }
void cmdFMS_MouseDown(Program &p) { pressSequence(p, QStringLiteral("m6876471131")); }
