// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rixsim/transport.h"

#include <chrono>
#include <future>
#include <optional>
#include <string>
#include <thread>
#include <utility>

namespace rixsim {

// A simulator on a fresh pseudo-terminal, running on its own thread for the
// life of the object: what an in-process test needs to have a unit to talk to.
//
//   rixsim::BackgroundSimulator sim;               // unit answers at once
//   open(sim.path().c_str(), O_RDWR | O_NOCTTY);   // the terminal's side
//   sim.log().waitFor(...);                        // what reached the unit
class BackgroundSimulator {
public:
    explicit BackgroundSimulator(TransportOptions options = {}, Unit unit = Unit{});
    ~BackgroundSimulator(); // stop() and join
    BackgroundSimulator(const BackgroundSimulator &) = delete;
    BackgroundSimulator &operator=(const BackgroundSimulator &) = delete;

    const std::string &path() const { return transport_.path(); }
    const TrafficLog &log() const { return transport_.log(); }
    Transport &transport() { return transport_; }

    // See Transport::sendUnasked(); safe from the test's thread.
    void sendUnasked(std::string bytes, std::chrono::microseconds perByte = {})
    {
        transport_.sendUnasked(std::move(bytes), perByte);
    }

    // Stops the run loop and waits for its thread; safe to call twice.
    void stop();
    // How run() ended, once it has (a hang-up ends it by itself); empty when
    // it is still running after the timeout.
    std::optional<RunEnd> waitForEnd(std::chrono::milliseconds timeout);

private:
    Transport transport_;
    std::shared_future<RunEnd> end_;
    std::thread thread_;
};

} // namespace rixsim
