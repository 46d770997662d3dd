// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The fixture of the end-to-end tests: a simulated unit on its own pseudo-terminal and
// the live program that talks to it.

#include "support/liveprogram.h"
#include "support/waiting.h"
#include "simtraffic.h"

#include "rixsim/backgroundsimulator.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

// A name for the unit that a program may go on trying after the unit has gone ("Warten und
// neu verbinden"). It leads to a unit only while the test points it at one: cut, a retry finds
// nothing, and never a freed pseudo-terminal number that the system has meanwhile given to
// another test's unit, which the program would then open and lock under that test's feet.
class UnitLink {
public:
    UnitLink();
    const QString &path() const { return path_; }
    // Leads to `target` from now on (a unit's pseudo-terminal).
    void pointAt(const QString &target);
    // Leads nowhere.
    void cut();

private:
    QTemporaryDir dir_;
    QString path_;
};

class LiveUnit : public ::testing::Test {
protected:
    // Starts the unit; its options (a flood, a hang-up) run from this moment.
    void startUnit(rixsim::TransportOptions options = {}, bool echo = false);
    // The same with a unit of the test's own (its faults, its address).
    void startUnit(rixsim::TransportOptions options, rixsim::Unit unit);
    QString unitPath() const;
    // Connects the program to the unit; fails the test when the window is not connected.
    void connectProgram(const QString &baud = QStringLiteral("19200"), const QString &digit = QStringLiteral("S"));

    std::vector<std::string> received() const { return e2e::commandsReceived(sim->log()); }
    // Waits until the unit has received at least `count` commands.
    bool unitReceived(std::size_t count);
    // Waits until a list has at least `count` lines.
    bool listHas(const LineView *list, int count);

    // Declared first, so the program closes its port before the unit goes away.
    std::unique_ptr<rixsim::BackgroundSimulator> sim;
    LiveProgram program;
};
