#pragma once
// Receiving: the poll timer's tick opens a burst when bytes are waiting, the bytes that
// follow are added as they arrive, and the burst is shown once the line has been quiet.

struct Program;

// A text that never pauses is shown in pieces of this many bytes; none is dropped.
constexpr int kBurstByteLimit = 64 * 1024;

void tmr1_Timer(Program &p);
void PollReceive(Program &p);
// New bytes arrived on the port: added to the open burst, or they open one at once while the
// poll timer runs; during a send's pause they wait for the first tick after it.
void burst_BytesArrived(Program &p);
// The quiet time after the burst's last byte is over: the burst is shown.
void burst_Quiet(Program &p);
// Before a user's action: lets an open burst end by itself, waiting at most
// BurstReader::kInputWaitMs, and splits it there if the unit is still sending.
void finishBurstForInput(Program &p);
// The port is gone: what the open burst holds, and what the port had read before the loss,
// is shown; no more is read for it.
void closeBurstWithoutPort(Program &p);
