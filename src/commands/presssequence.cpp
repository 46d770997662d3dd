#include "commands/presssequence.h"

#include "serial/sending.h"
#include "shared/program.h"
#include "shared/programstate.h"
#include "ui/mainwindow.h"

void pressSequence(Program &p, const QString &commandLetters)
{
    p.w.tmr1.stop();
    p.state.ButtonCommandFlag = 1;
    p.w.ed1->setText(QStringLiteral("$R") + p.state.AddressDigit + commandLetters);
    SendCommandLine(p);
}
