// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How the program ends: asked by the user, or after a failure with the program's last word.

#include <QString>

struct Program;

// Asks the main loop to end with `exitCode` and lets no further handler run.
void endProgram(Program &p, int exitCode = 0);

// The program's last word after a failure: polling stopped and every handler barred first
// (the box runs its own event loop), then the box, every channel closed, the end with exit code 1.
void endWithMessage(Program &p, const QString &text, const QString &details = QString());
// The same once the last word has been shown (in a box that offered more than OK).
void endAfterMessage(Program &p);
