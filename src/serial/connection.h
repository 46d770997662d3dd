#pragma once
// Connecting and disconnecting. The connection state is the window's: which controls are
// enabled, whether tmr1 runs, whether the channel is open. No second copy of it is kept.

#include <QString>

struct Program;

void cmdEIN_MouseDown(Program &p);   // takes the three choices, shows the summary
void cmdEIN_MouseUp(Program &p);     // connected set, opens the port, polling on
void cmdAUS_MouseDown(Program &p);   // disconnected set, polling off; touches neither port nor unit
void cmdAUS_MouseUp(Program &p);     // "$RSQ", pause, close

// Opens the port of PortName at BaudText. A port that cannot be opened ends the program
// with its own message; this function then does not return normally.
void OpenPort(Program &p);

// Texts that the tests and the window share.
QString openFailureMessage(const QString &portName);
