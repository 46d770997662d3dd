#include "support/benchreporter.h"

namespace bench {

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
