// SPDX-License-Identifier: GPL-3.0-or-later
// Cost of turning received bytes into lines in the receive engine: a typical answer, and a
// text cut at the byte limit. The reading rule runs once per byte of a flood, so the cost
// per byte bounds the receive rate.

#include "support/benchreporter.h"
#include "support/figures.h"
#include "unit/protocol/receiveengine.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

namespace {

std::string floodBytes(std::size_t size)
{
    std::string bytes;
    bytes.reserve(size);
    for (int line = 0; bytes.size() < size; ++line) {
        const std::string number = std::to_string(line);
        bytes += "FLOOD " + std::string(6 - std::min<std::size_t>(6, number.size()), '0') + number
                 + " ABCDEFGHIJKLMNOPQRSTUVWXYZ\r\n";
    }
    bytes.resize(size);
    return bytes;
}

constexpr int pieceBytes = 65536;

// The reading rule and a piece shown at the byte limit: what a flood costs per byte.
void BM_EnginePerFloodPiece(benchmark::State &state)
{
    const std::string bytes = floodBytes(std::size_t(state.range(0)));
    const ReceiveEngine::Context context{"", "19200", 0};
    ReceiveEngine engine;
    for (auto _ : state) {
        benchmark::DoNotOptimize(engine.add(bytes, context));
        benchmark::DoNotOptimize(engine.quiet());
    }
    state.SetBytesProcessed(state.iterations() * int64_t(bytes.size()));
}
BENCHMARK(BM_EnginePerFloodPiece)->Arg(pieceBytes)->Unit(benchmark::kMicrosecond);

// One parameter answer from its bytes to its lines.
void BM_EngineAnswer(benchmark::State &state)
{
    const ReceiveEngine::Context context{"$RSRF0", "19200", 1};
    ReceiveEngine engine;
    for (auto _ : state) {
        engine.commandWritten("$RSRF0");
        benchmark::DoNotOptimize(engine.add("SRF0F011\r\n", context));
        benchmark::DoNotOptimize(engine.quiet());
    }
}
BENCHMARK(BM_EngineAnswer)->Unit(benchmark::kNanosecond);

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
    if (const double us = medianOf(collector, "BM_EnginePerFloodPiece"); us >= 0)
        bench::printFigure("Receive engine: a 64 KiB piece, ns per byte", bench::fixed(us * 1000.0 / pieceBytes, 2, "ns"),
                           "-", bench::Verdict::None);
    if (const double ns = medianOf(collector, "BM_EngineAnswer"); ns >= 0)
        bench::printFigure("Receive engine: one answer", bench::fixed(ns, 0, "ns"), "-", bench::Verdict::None);
    benchmark::Shutdown();
    return 0;
}
