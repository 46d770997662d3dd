// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// rix-param as a technician runs it: the built program against a simulated unit on a
// pseudo-terminal. What reached the unit is read from the simulator's traffic log.

#include "support/childprocess.h"

#include "rixsim/backgroundsimulator.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct ParamResult {
    std::optional<int> code;   // empty when it ended by a signal (or hung)
    int signal = 0;            // the signal that ended it
    std::string out;
    std::string err;
    std::chrono::steady_clock::duration took{};
};

class RixParam : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    void startUnit(rixsim::Unit unit = rixsim::Unit{}, rixsim::TransportOptions options = {});

    // Starts rix-param with `arguments` and, unless `port` is false, the unit's port.
    std::unique_ptr<rixsim::testing::ChildProcess> start(std::vector<std::string> arguments, bool port = true);
    // Waits for it to end and collects what it said.
    static ParamResult finish(rixsim::testing::ChildProcess &child,
                              std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now());
    ParamResult run(std::vector<std::string> arguments, bool port = true);

    // The commands the unit received, in order; only its parameter writes.
    std::vector<std::string> received() const;
    std::vector<std::string> writes() const;
    bool anyWrite() const { return !writes().empty(); }

    std::string file(const std::string &name, const std::string &text);
    static std::string contents(const std::string &path);

    // Another simulated unit on a line of its own, for the commands that work on several.
    rixsim::BackgroundSimulator &addUnit(rixsim::Unit unit = rixsim::Unit{}, rixsim::TransportOptions options = {});
    // A unit that works only at 4800 and sends each command back, as a unit set to 4800 does.
    static rixsim::Unit slowUnit(char address);
    static rixsim::TransportOptions at4800();
    // The commands `unit` received, in order.
    static std::vector<std::string> receivedBy(const rixsim::BackgroundSimulator &unit);

    std::filesystem::path dir;
    std::unique_ptr<rixsim::BackgroundSimulator> sim;
    std::vector<std::unique_ptr<rixsim::BackgroundSimulator>> units;
};

extern const std::vector<std::string> sevenReads;
extern const std::string freshSet;

// The Fn=XXXX lines of a parameter-set file are the unit's values at start.
bool holdsFreshValues(const std::string &text);
