// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/receive/polling.h"

#include "window/program.h"
#include "window/receive/receiver.h"

void tmr1_Timer(Program &p)
{
    PollReceive(p);
}

void PollReceive(Program &p)
{
    p.receiver.poll();
}
