// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A unit on a pseudo-terminal, played on the test's own thread: the program opens the slave
// with its real serial port, and each read of Fn that reaches the master is answered at once
// with the unit's value, each write kept. The adapter can be pulled (the master closed).

#include "support/pty.h"

#include <QByteArray>
#include <QSocketNotifier>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

class PtyUnit {
public:
    PtyUnit();
    QString port() const { return pty_.slavePath(); }

    // The adapter is pulled: the master end closes, nothing is answered any more.
    void pull();

    // Every command the unit took, in order, with the moment it came.
    std::vector<QByteArray> commands;
    std::vector<std::chrono::steady_clock::time_point> at;
    // Only the parameter writes ("PF").
    std::vector<QByteArray> writes() const;
    QByteArray values[7] = {"F011", "0A00", "1212", "0E28", "0E0E", "64C8", "1010"};
    // Runs once the unit has taken a parameter write, with how many it has taken so far.
    std::function<void(int writes)> afterWrite;

private:
    void readable();
    // Takes one whole command off the front of what came; false when none is whole yet.
    bool takeCommand();

    testsupport::Pty pty_;
    std::unique_ptr<QSocketNotifier> notifier_;
    QByteArray incoming_;
    int writes_ = 0;
    bool pulled_ = false;
};
