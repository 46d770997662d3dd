// Cost of turning a received burst into its lines: the reading rule (appendToBurst, once per
// byte) and processBurst, for a typical answer and for a burst cut at the byte limit. The
// reading rule runs once per byte of a flood, so its cost per byte bounds the receive rate.

#include "receive/burst.h"
#include "receive/polling.h"
#include "support/benchreporter.h"
#include "support/figures.h"

#include <benchmark/benchmark.h>

namespace {

QByteArray floodBytes(int size)
{
    QByteArray bytes;
    bytes.reserve(size);
    for (int line = 0; bytes.size() < size; ++line)
        bytes += "FLOOD " + QByteArray::number(line).rightJustified(6, '0') + " ABCDEFGHIJKLMNOPQRSTUVWXYZ\r\n";
    bytes.truncate(size);
    return bytes;
}

void BM_ReadingRulePerBurst(benchmark::State &state)
{
    const QByteArray input = floodBytes(int(state.range(0)));
    QByteArray burst;
    for (auto _ : state) {
        burst.clear();
        for (const char c : input)
            appendToBurst(burst, c);
        benchmark::DoNotOptimize(burst.data());
    }
    state.SetBytesProcessed(state.iterations() * input.size());
}
BENCHMARK(BM_ReadingRulePerBurst)->Arg(kBurstByteLimit)->Unit(benchmark::kMicrosecond);

void BM_ProcessBurstAnswer(benchmark::State &state)
{
    const QByteArray received("SRF0F011");
    const QString commandLine = QStringLiteral("$RSRF0");
    const QString baud = QStringLiteral("19200");
    for (auto _ : state)
        benchmark::DoNotOptimize(processBurst(received, commandLine, baud, 1));
}
BENCHMARK(BM_ProcessBurstAnswer)->Unit(benchmark::kNanosecond);

void BM_ProcessBurstCut(benchmark::State &state)
{
    QByteArray received = floodBytes(kBurstByteLimit);
    received.replace("\r", "").replace("\n", "");
    const QString commandLine;
    const QString baud = QStringLiteral("19200");
    for (auto _ : state)
        benchmark::DoNotOptimize(processBurst(received, commandLine, baud, 0));
    state.SetBytesProcessed(state.iterations() * received.size());
}
BENCHMARK(BM_ProcessBurstCut)->Unit(benchmark::kMicrosecond);

double medianOf(const bench::MedianCollector &collector, const std::string &prefix)
{
    for (const auto &[name, time] : collector.medians())
        if (name.rfind(prefix, 0) == 0)
            return time;
    return -1.0;
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    bench::MedianCollector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    if (const double us = medianOf(collector, "BM_ReadingRulePerBurst"); us >= 0)
        bench::printFigure("Burst: reading rule, ns per byte", bench::fixed(us * 1000.0 / kBurstByteLimit, 2, "ns"),
                           "-", bench::Verdict::None);
    if (const double ns = medianOf(collector, "BM_ProcessBurstAnswer"); ns >= 0)
        bench::printFigure("Burst: processBurst, one answer", bench::fixed(ns, 0, "ns"), "-", bench::Verdict::None);
    if (const double us = medianOf(collector, "BM_ProcessBurstCut"); us >= 0)
        bench::printFigure("Burst: processBurst, 64 KiB burst", bench::fixed(us * 1000.0, 0, "ns"), "-", bench::Verdict::None);
    benchmark::Shutdown();
    return 0;
}
