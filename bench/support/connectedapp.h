// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The whole program in this process, driven as a user drives it: the real Application
// (window, QtSerialChannel, pauses, message box), shown, with mouse clicks delivered through
// its QWindow so that they take Qt's real route to the handlers.

#include "window/app/application.h"

#include <QString>
#include <chrono>
#include <functional>

class QWidget;

namespace bench {

class ConnectedApp {
public:
    ConnectedApp();
    MainWindow &window() { return app_.window(); }
    Program &program() { return app_.program(); }

    void press(QWidget *control);
    void release(QWidget *control);
    void click(QWidget *control);
    // Types the port and baud rate, chooses the address and clicks cmdEIN; true when the
    // program is connected afterwards.
    bool connectTo(const QString &port, const QString &baud = QStringLiteral("19200"),
                   const QString &digit = QStringLiteral("S"));

private:
    Application app_;
};

// Runs the event loop until `done` holds (checked every `checkMs`) or the time-out passes;
// returns whether it held.
bool runUntil(const std::function<bool()> &done, std::chrono::milliseconds timeout, int checkMs = 1);
void runFor(std::chrono::milliseconds duration);

} // namespace bench
