#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

// How the comparison benchmarks run each case: in microseconds, five times, reporting the
// mean, median, spread and the fastest run ("min"), which is the figure least disturbed by
// other work on the machine.
inline benchmark::internal::Benchmark* Repeated(benchmark::internal::Benchmark* pBenchmark) {
    return pBenchmark->Unit(benchmark::kMicrosecond)
        ->Repetitions(5)
        ->ReportAggregatesOnly(true)
        ->ComputeStatistics("min", [](const std::vector<double>& v) {
            return *std::min_element(v.begin(), v.end());
        });
}
