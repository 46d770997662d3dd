// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class MouseFilter;
struct Program;

// Wires every handled event of the window to its handler, through the guarded dispatch.
void connectEventTable(Program &p, MouseFilter &filter);
