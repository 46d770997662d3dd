// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A display that is set but cannot be reached (the everyday sudo or broken "ssh -X"): Qt would
// end with its English "no Qt platform plugin could be initialized … Reinstalling the
// application may fix this problem" and abort (exit code 134). While this guard lives, that
// one fatal message becomes the German line of unreachableDisplayMessage() and the exit code 1;
// every other message goes on to Qt's handler as before.
//
// Qt's message handler is a plain function, so what it notes on the way (which platforms
// failed, the X11 display it tried) lives in this file's one record, and only while the guard
// lives: from before QApplication until the window system is up.

class UnreachableDisplayGuard {
public:
    UnreachableDisplayGuard();
    ~UnreachableDisplayGuard();
    UnreachableDisplayGuard(const UnreachableDisplayGuard &) = delete;
    UnreachableDisplayGuard &operator=(const UnreachableDisplayGuard &) = delete;
};
