// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/receive/polling.h"

#include "window/program.h"
#include "unit/conversation/conversation.h"

void tmr1_Timer(Program &p)
{
    PollReceive(p);
}

void PollReceive(Program &p)
{
    p.conversation.poll();
}
