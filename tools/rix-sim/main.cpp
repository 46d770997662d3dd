// SPDX-License-Identifier: GPL-3.0-or-later
// rix-sim: a simulated RIX unit on a pseudo-terminal (or a serial port).
// The first line on stdout is the path to open; everything else goes to stderr.

#include "rixsim/logformat.h"
#include "rixsim/programoptions.h"
#include "rixsim/simport.h"
#include "rixsim/symlinkguard.h"
#include "rixsim/transport.h"

#include <csignal>
#include <cstdio>
#include <exception>
#include <iostream>
#include <memory>
#include <pthread.h>
#include <thread>

namespace {

constexpr int exitOk = 0;
constexpr int exitFailure = 1;
constexpr int exitUsage = 2;

// SIGINT and SIGTERM are taken by one thread with sigwait(), so no handler and
// no global is needed; SIGUSR1 only wakes that thread when the run ends by
// itself (a hang-up).
sigset_t handledSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGUSR1);
    return set;
}

void logEvent(const rixsim::TrafficEvent &event)
{
    // A command is logged a quiet gap after its last byte; show when it arrived.
    const auto age = std::chrono::steady_clock::now() - event.time;
    const auto wallTime = std::chrono::system_clock::now() - std::chrono::duration_cast<std::chrono::system_clock::duration>(age);
    std::cerr << rixsim::formatLogLine(event, wallTime) << std::endl;
}

int runSimulator(const rixsim::ProgramOptions &options)
{
    const sigset_t signals = handledSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    rixsim::TransportOptions transportOptions = rixsim::transportOptionsFor(options);
    transportOptions.onEvent = logEvent;
    rixsim::Transport transport(options.device ? rixsim::SimPort::openDevice(*options.device, options.baud)
                                               : rixsim::SimPort::openPseudoTerminal(),
                                rixsim::unitFor(options), std::move(transportOptions));

    // The link exists before the path is printed: a parent that has read the
    // line may use either at once.
    std::unique_ptr<rixsim::SymlinkGuard> link;
    if (options.link)
        link = std::make_unique<rixsim::SymlinkGuard>(*options.link, transport.path());
    std::cout << transport.path() << std::endl;

    std::thread signalWaiter([&transport, &signals] {
        int signal = 0;
        sigwait(&signals, &signal);
        if (signal != SIGUSR1) {
            std::cerr << "rix-sim: " << (signal == SIGINT ? "SIGINT" : "SIGTERM") << ", stopping" << std::endl;
            transport.stop();
        }
    });
    const rixsim::RunEnd end = transport.run();
    pthread_kill(signalWaiter.native_handle(), SIGUSR1);
    signalWaiter.join();

    if (end == rixsim::RunEnd::LineLost) {
        std::cerr << "rix-sim: the line was lost" << std::endl;
        return exitFailure;
    }
    return exitOk;
}

} // namespace

int main(int argc, char **argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const rixsim::ParsedArguments parsed = rixsim::parseArguments(arguments);
    switch (parsed.action) {
    case rixsim::ParsedArguments::Action::Error:
        std::cerr << "rix-sim: " << parsed.error << " (try --help)" << std::endl;
        return exitUsage;
    case rixsim::ParsedArguments::Action::Help:
        std::cout << rixsim::usageText();
        return exitOk;
    case rixsim::ParsedArguments::Action::Version:
        std::cout << rixsim::programVersion << '\n';
        return exitOk;
    case rixsim::ParsedArguments::Action::Run:
        break;
    }
    try {
        return runSimulator(parsed.options);
    } catch (const std::exception &error) {
        std::cerr << "rix-sim: " << error.what() << std::endl;
        return exitFailure;
    }
}
