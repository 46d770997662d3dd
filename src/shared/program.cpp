#include "shared/program.h"

#include "serial/serialchannel.h"
#include "shared/programstate.h"
#include "shared/seams.h"
#include "ui/mainwindow.h"

void endProgram(Program &p)
{
    p.state.ending = true;
    p.end.end();
}

void endWithMessage(Program &p, const QString &text)
{
    p.w.tmr1.stop();
    p.state.ending = true;
    p.box.show(text);
    p.channel.closeAll();
    endProgram(p);
}
