// SPDX-License-Identifier: GPL-3.0-or-later
// rix-sim: a simulated RIX unit on a pseudo-terminal (or a serial port).
// The first line on stdout is the path to open; everything else goes to stderr.

#include "rixsim/logformat.h"
#include "rixsim/programoptions.h"
#include "rixsim/replay/replayscript.h"
#include "rixsim/simport.h"
#include "rixsim/symlinkguard.h"
#include "rixsim/transport.h"
#include "rixsim/unitgroups.h"

#include <csignal>
#include <cstdio>
#include <exception>
#include <iostream>
#include <memory>
#include <mutex>
#include <pthread.h>
#include <thread>

namespace {

constexpr int exitOk = 0;
constexpr int exitFailure = 1;
constexpr int exitUsage = 2;
constexpr int exitReplayMismatch = 3;

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

// With several units each log line names the unit, by its place on the command line.
void logEvent(const rixsim::TrafficEvent &event, const std::string &unit)
{
    // A command is logged a quiet gap after its last byte; show when it arrived.
    const auto age = std::chrono::steady_clock::now() - event.time;
    const auto wallTime = std::chrono::system_clock::now() - std::chrono::duration_cast<std::chrono::system_clock::duration>(age);
    static std::mutex logLines;
    const std::lock_guard<std::mutex> oneLineAtATime(logLines);
    std::cerr << unit << rixsim::formatLogLine(event, wallTime) << std::endl;
}

int runSimulator(const std::vector<rixsim::ProgramOptions> &units)
{
    const sigset_t signals = handledSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    std::vector<std::unique_ptr<rixsim::Transport>> transports;
    std::vector<std::unique_ptr<rixsim::SymlinkGuard>> links;
    for (std::size_t i = 0; i < units.size(); ++i) {
        const rixsim::ProgramOptions &options = units[i];
        const std::string name = units.size() > 1 ? "unit " + std::to_string(i + 1) + ": " : "";
        rixsim::TransportOptions transportOptions = rixsim::transportOptionsFor(options);
        if (options.replayFile) {
            auto script = std::make_shared<rixsim::ReplayScript>(rixsim::ReplayScript::load(*options.replayFile));
            for (const std::string &problem : script->problems)
                std::cerr << "rix-sim: " << name << *options.replayFile << ": " << problem << ", skipped" << std::endl;
            transportOptions.replay = std::move(script);
        }
        transportOptions.onEvent = [name](const rixsim::TrafficEvent &event) { logEvent(event, name); };
        transports.push_back(std::make_unique<rixsim::Transport>(
            options.device ? rixsim::SimPort::openDevice(*options.device, options.baud)
                           : rixsim::SimPort::openPseudoTerminal(),
            rixsim::unitFor(options), std::move(transportOptions)));
        // The link exists before the path is printed: a parent that has read the
        // line may use either at once.
        if (options.link)
            links.push_back(std::make_unique<rixsim::SymlinkGuard>(*options.link, transports.back()->path()));
    }
    for (const auto &transport : transports)
        std::cout << transport->path() << '\n';
    std::cout << std::flush;

    std::thread signalWaiter([&transports, &signals] {
        int signal = 0;
        sigwait(&signals, &signal);
        if (signal != SIGUSR1) {
            std::cerr << "rix-sim: " << (signal == SIGINT ? "SIGINT" : "SIGTERM") << ", stopping" << std::endl;
            for (const auto &transport : transports)
                transport->stop();
        }
    });
    // Each unit on its own thread; a unit that hangs up ends alone, the others go on.
    std::vector<rixsim::RunEnd> ends(transports.size(), rixsim::RunEnd::Stopped);
    std::vector<std::thread> runs;
    for (std::size_t i = 1; i < transports.size(); ++i)
        runs.emplace_back([&transports, &ends, i] { ends[i] = transports[i]->run(); });
    ends[0] = transports[0]->run();
    for (std::thread &run : runs)
        run.join();
    pthread_kill(signalWaiter.native_handle(), SIGUSR1);
    signalWaiter.join();

    int status = exitOk;
    for (std::size_t i = 0; i < ends.size(); ++i) {
        const std::string unit = ends.size() > 1 ? "unit " + std::to_string(i + 1) + ": " : "";
        if (ends[i] == rixsim::RunEnd::LineLost) {
            std::cerr << "rix-sim: " << unit << "the line was lost" << std::endl;
            status = exitFailure;
        } else if (ends[i] == rixsim::RunEnd::ReplayMismatch && status == exitOk) {
            std::cerr << "rix-sim: " << unit << "the replay stopped at a command the recording does not have" << std::endl;
            status = exitReplayMismatch;
        }
    }
    return status;
}

} // namespace

int main(int argc, char **argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const rixsim::ParsedUnits parsed = rixsim::parseUnits(arguments);
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
        return runSimulator(parsed.units);
    } catch (const std::exception &error) {
        std::cerr << "rix-sim: " << error.what() << std::endl;
        return exitFailure;
    }
}
