// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Connecting and disconnecting. The connection state is the window's: which controls are
// enabled, whether tmr1 runs, whether the channel is open. No second copy of it is kept.

#include <QString>

struct Program;
class PortLostError;

// Connected: the port is open. The window's controls and the poll timer follow it.
bool isConnected(const Program &p);

void cmdEIN_MouseDown(Program &p);   // takes the three choices, shows the summary
void cmdEIN_MouseUp(Program &p);     // connected set, opens the port, polling on, an owed key release
void cmdAUS_MouseDown(Program &p);   // disconnected set, polling off; touches neither port nor unit
void cmdAUS_MouseUp(Program &p);     // "$RSQ", pause, close

// Opens the port of PortName at BaudText; throws PortOpenError when it cannot.
void OpenPort(Program &p);

// A port lost while connected: the disconnected state as after "Trennen", the port closed,
// nothing written, both lists kept; then the box (which names a key still held) offers to
// wait for the port and connect again by itself.
void reportLostPort(Program &p, const PortLostError &error);

// Texts that the tests and the window share.
QString lostPortMessage(const QString &portName, int number);
QString waitingForPortMessage(const QString &portName);
