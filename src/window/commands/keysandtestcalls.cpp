// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/commands/keysandtestcalls.h"

#include "unit/protocol/protocol.h"
#include "window/commands/presssequence.h"
#include "window/connection/heldkey.h"
#include "window/program.h"
#include "window/programstate.h"

namespace {
// Written: the unit holds the key until the release, also when the line goes in the pause.
void tr1Sent(Program &p) { keyPressSent(p, 1); }
void tr2Sent(Program &p) { keyPressSent(p, 2); }
} // namespace

void cmdTR1_MouseDown(Program &p) { pressSequence(p, protocol::keyPress(p.state.AddressDigit, 1), tr1Sent); }
void cmdTR2_MouseDown(Program &p) { pressSequence(p, protocol::keyPress(p.state.AddressDigit, 2), tr2Sent); }

void cmdTR_MouseUp(Program &p)
{
    sendKeyRelease(p, p.state.AddressDigit);
}

void cmd5Ton_MouseDown(Program &p) { pressSequence(p, protocol::fiveToneTestCall(p.state.AddressDigit)); }
void cmdFMS_MouseDown(Program &p) { pressSequence(p, protocol::fmsTestTelegram(p.state.AddressDigit)); }
