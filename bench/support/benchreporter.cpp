// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/benchreporter.h"

#include <unistd.h>

namespace bench {

MedianCollector::MedianCollector()
    : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular)
{
}

void MedianCollector::ReportRuns(const std::vector<Run> &runs)
{
    ConsoleReporter::ReportRuns(runs);
    for (const Run &run : runs) {
        if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
            medians_[run.run_name.str()] = run.GetAdjustedRealTime();
        else if (run.run_type == Run::RT_Iteration && !medians_.count(run.run_name.str()))
            medians_[run.run_name.str()] = run.GetAdjustedRealTime();   // replaced by the median when there is one
    }
}

} // namespace bench
