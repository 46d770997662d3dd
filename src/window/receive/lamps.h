// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The four modem-status lamps DCD, RI, DSR and CTS.

#include <QColor>
#include <cstdint>

class QLabel;
struct Program;

// A lamp lights in pure red; unlit it shows the system's window-text colour.
inline QColor lampRed() { return QColor(255, 0, 0); }

void ShowModemStatus(Program &p);
void lblRX1_MouseDown(Program &p);   // DCD
void lblrx9_MouseDown(Program &p);   // RI
void lblrx6_MouseDown(Program &p);   // DSR
void lblrx8_MouseDown(Program &p);   // CTS
