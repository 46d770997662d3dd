#pragma once
// The serial ports the system knows, named the way the port box opens them.

#include "ui/portsuggestions.h"

// Windows: the port name (COM7), which the serial library opens as it is. Elsewhere: the
// device path (/dev/ttyUSB0), which the port-name mapping uses as typed. Reads the system's
// list on every call.
QList<FoundPort> systemPorts();
