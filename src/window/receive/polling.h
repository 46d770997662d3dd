// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Receiving: the poll timer's tick opens a burst when bytes are waiting, the bytes that
// follow are added as they arrive, and the burst is shown once the line has been quiet.
// These only feed the receive engine from the port and the timers and append the lines it
// gives; every rule of what is shown lives in the engine.

struct Program;

void tmr1_Timer(Program &p);
void PollReceive(Program &p);
// New bytes arrived on the port: added to the open burst, or they open one at once while the
// poll timer runs; during a send's pause they wait for the first tick after it.
void burst_BytesArrived(Program &p);
// The quiet time after the burst's last byte is over: the burst is shown.
void burst_Quiet(Program &p);
// Before a user's action: what the port has received by now (also what the system holds
// that the port has not reported yet) opens a burst, as the poll's tick would have.
void takeReceivedBeforeInput(Program &p);
// Before a user's action: lets an open burst end by itself, waiting at most
// Receiver::inputWaitMs, and splits it there if the unit is still sending.
void finishBurstForInput(Program &p);
// The port is gone (called before it is closed): everything the channel still hands out is
// added to the open burst, or opens one, and shown by the rules; nothing more is read.
void closeBurstWithoutPort(Program &p);
