// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's one timed wait: it ends when a condition holds, when it is woken and done,
// or when its time is up. Every wait of the program is one of these, whether it runs the
// event loop (a pause, the wait for an answer, for the unit's pause, for Qt's read notifier)
// or steps with another blocking wait (Qt's wait for written bytes, a session link's wait).
// A precise timer, since the waits are the pauses and answer times the unit is given.
//
// Whether the user's input is handled while the loop runs is each caller's choice, and
// stated where it waits: a handler that holds the window (a pause, a wait inside a handler)
// holds input back, in order, so a click or a closed window cannot run into what the
// handler still uses; a modal dialog's wait lets its own input through.

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include <functional>

class TimedWait {
public:
    enum class Input { Handled, HeldBack };

    TimedWait(int ms, Input input);

    // Runs the event loop once, until quit() is called (from a signal, a callback or a
    // handler), the time is up, or the loop is ended from outside (the program ends).
    void exec();
    void quit() { loop_.quit(); }

    // Runs the event loop until done() holds or the time is up, whatever ends the loop in
    // between (quit() wakes it to ask done() again). Returns whether done() held.
    bool until(const std::function<bool()> &done);

    // The same wait, stepping with another wait: done() is asked first and after every
    // step; a step is given the time left. Returns whether done() held.
    static bool until(const QDeadlineTimer &deadline, const std::function<bool()> &done,
                      const std::function<void(int ms)> &step);

private:
    void runLoop(int ms);

    QEventLoop loop_;
    QTimer wake_;
    int ms_;
    QEventLoop::ProcessEventsFlags flags_;
};
