// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/commands/keysandtestcalls.h"

#include "unit/protocol/protocol.h"
#include "window/commands/presssequence.h"
#include "window/connection/heldkey.h"
#include "window/program.h"
#include "window/programstate.h"

namespace {
void pressKey(Program &p, int key)
{
    pressSequence(p, protocol::keyPress(p.state.AddressDigit, key));
    // Written (a failed write does not return here): the unit holds the key until the release.
    keyPressSent(p, key);
}
} // namespace

void cmdTR1_MouseDown(Program &p) { pressKey(p, 1); }
void cmdTR2_MouseDown(Program &p) { pressKey(p, 2); }

void cmdTR_MouseUp(Program &p)
{
    sendKeyRelease(p, p.state.AddressDigit);
}

void cmd5Ton_MouseDown(Program &p) { pressSequence(p, protocol::fiveToneTestCall(p.state.AddressDigit)); }
void cmdFMS_MouseDown(Program &p) { pressSequence(p, protocol::fmsTestTelegram(p.state.AddressDigit)); }
