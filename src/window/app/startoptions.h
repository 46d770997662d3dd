// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Starting where the technician is: the command line's port, baud rate and address go into
// the three boxes before the window is used; the recording and the connect follow as soon as
// the event loop runs, through the same handlers as the lists' menu and "Verbinden" (so a
// refused port ends the program, or keeps it, exactly as a click would), and then the
// recordings to look at (--open), each in a window of its own.

struct Program;
struct StartOptions;

void applyStartOptions(Program &p, const StartOptions &options);
