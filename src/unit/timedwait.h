// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A wait that lets the event loop run: it ends when its time is up or when quit() is called
// (from a signal, a callback or a handler), whichever comes first. A precise timer, since the
// waits are the pauses and answer times the unit is given.

#include <QEventLoop>
#include <QTimer>

class TimedWait {
public:
    explicit TimedWait(int ms);
    // Runs the loop until the time is up or quit() is called.
    void exec();
    void quit() { loop_.quit(); }

private:
    QEventLoop loop_;
    QTimer wake_;
    int ms_;
};
