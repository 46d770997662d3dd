// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Google Benchmark's console output as usual, and besides it the median real time of every
// benchmark, so that a program can turn its benchmarks into figures of the results table.

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace bench {

class MedianCollector : public benchmark::ConsoleReporter {
public:
    // Colours only on a terminal: bench/run reads the output from a pipe.
    MedianCollector();
    void ReportRuns(const std::vector<Run> &runs) override;
    // Median real time per iteration, in the benchmark's own time unit, by run name
    // ("BM_Name/10000"); absent when the benchmark did not run.
    const std::map<std::string, double> &medians() const { return medians_; }

private:
    std::map<std::string, double> medians_;
};

} // namespace bench
