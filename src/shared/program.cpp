#include "shared/program.h"

#include "shared/programstate.h"
#include "shared/seams.h"

void endProgram(Program &p)
{
    p.state.ending = true;
    p.end.end();
}
