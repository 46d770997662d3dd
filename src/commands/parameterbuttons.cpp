#include "commands/parameterbuttons.h"

#include "commands/presssequence.h"
#include "shared/program.h"
#include "ui/mainwindow.h"

void cmdF0_MouseDown(Program &p) { pressSequence(p, QStringLiteral("RF0")); }
void cmdF1_MouseDown(Program &p) { pressSequence(p, QStringLiteral("RF1")); }
void cmdF2_MouseDown(Program &p) { pressSequence(p, QStringLiteral("RF2")); }
void cmdF3_MouseDown(Program &p) { pressSequence(p, QStringLiteral("RF3")); }
void cmdF4_MouseDown(Program &p) { pressSequence(p, QStringLiteral("RF4")); }
void cmdF5_MouseDown(Program &p) { pressSequence(p, QStringLiteral("RF5")); }
void cmdF6_MouseDown(Program &p) { pressSequence(p, QStringLiteral("RF6")); }

void cmdF_MouseUp(Program &p)
{
    p.w.cmdschreiben->setEnabled(true);
}
