// CPU used while connected to an idle unit: the poll timer's ticks, each a 20 ms read wait
// with nothing received and a modem-status query, for 10 s. The simulator runs on a thread
// of this process, blocked in poll(2) while nothing happens, so its share is negligible.

#include "support/connectedapp.h"
#include "support/figures.h"
#include "support/process.h"

#include "rixsim/background_simulator.h"

#include <QApplication>

#include <chrono>
#include <cstdio>

using namespace std::chrono_literals;

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qtApp(argc, argv);
    rixsim::BackgroundSimulator sim;
    bench::ConnectedApp app;
    if (!app.connectTo(QString::fromStdString(sim.path()))) {
        std::fprintf(stderr, "bench_idle: could not connect to %s\n", sim.path().c_str());
        return 1;
    }
    bench::runFor(1s);

    constexpr auto kMeasured = 10s;
    const double cpuBefore = bench::processCpuMs();
    const auto start = std::chrono::steady_clock::now();
    bench::runFor(kMeasured);
    const double wallMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const double percent = 100.0 * (bench::processCpuMs() - cpuBefore) / wallMs;
    bench::printFigure("Idle CPU, connected to rix-sim, over 10 s", bench::fixed(percent, 2, "% of a core"),
                       "-", bench::Verdict::None);
    return 0;
}
