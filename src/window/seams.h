// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's seams to the outside world besides the serial port and a write's pause
// (unit/line/serialchannel.h, unit/conversation/conversation.h). Each has a real
// implementation (qtseams.cpp) and a recording one for the tests.

#include <QString>
#include <functional>

class MessageBox {
public:
    virtual ~MessageBox() = default;
    // A modal box with the default title and an OK button; `text` separates its lines
    // with a lone carriage return, as the program's texts do. `details`, when not empty,
    // is offered behind the box's "Details" button.
    virtual void show(const QString &text, const QString &details = QString()) = 0;
    // The box after a lost port, with "OK" (the default) and "Warten und neu verbinden";
    // true when the user chose to wait.
    virtual bool askToWaitForPort(const QString &text, const QString &details) = 0;
    // A box with "Abbrechen" that calls `tryOpen` every half second until it returns true
    // (then the box closes and this returns true) or the user cancels (false).
    virtual bool waitForPort(const QString &text, const std::function<bool()> &tryOpen) = 0;
    // The box of a refused connect that keeps the session, with "OK" (the default) and
    // „Einheit suchen …“; true when the user chose the search.
    virtual bool offerUnitSearch(const QString &text, const QString &details) = 0;
};

class ProgramEnd {
public:
    virtual ~ProgramEnd() = default;
    // Ends the main loop with `exitCode`; the program ends once the running handler has returned.
    virtual void end(int exitCode) = 0;
};
