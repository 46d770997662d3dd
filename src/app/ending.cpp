#include "app/ending.h"

#include "serial/serialchannel.h"
#include "shared/program.h"
#include "shared/programstate.h"
#include "shared/seams.h"
#include "ui/mainwindow.h"

void endProgram(Program &p, int exitCode)
{
    p.state.ending = true;
    p.end.end(exitCode);
}

void endWithMessage(Program &p, const QString &text, const QString &details)
{
    p.w.tmr1.stop();
    p.state.ending = true;
    p.box.show(text, details);
    p.channel.closeAll();
    endProgram(p, 1);
}
