#pragma once

// The least time of each benchmark over its runs: the figure the comparison benchmarks
// compare, since the fastest run is the one least disturbed by other work on the machine.
// Every reporter of bench/ keeps its times here.

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace tessel::bench {

class LeastTimes {
  public:
    // Which time decides which run is the least: CPU time for work on one thread, real time
    // for work that also waits (a window opening writes its settings to the disk).
    enum Clock { kCpu, kReal };
    struct Times {
        double dReal = 0;  // in the benchmark's unit
        double dCpu = 0;
    };

    explicit LeastTimes(Clock clock = kCpu) : m_clock(clock) {}

    // Takes the runs of one report: every run of iterations and the "min" aggregate of the
    // repetitions; runs that failed are left out.
    void Note(const std::vector<benchmark::BenchmarkReporter::Run>& runs) {
        using Run = benchmark::BenchmarkReporter::Run;
        for (const Run& run : runs) {
            const bool bMin = run.run_type == Run::RT_Aggregate && run.aggregate_name == "min";
            if ((run.run_type != Run::RT_Iteration && !bMin) || run.error_occurred) continue;
            const Times times{run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
            auto [it, bNew] = m_least.try_emplace(run.run_name.function_name, times);
            if (!bNew && Of(times) < Of(it->second)) it->second = times;
        }
    }

    // The least time of a benchmark by the clock; negative when it did not run.
    double Least(const std::string& strName) const {
        const Times* pTimes = Find(strName);
        return pTimes ? Of(*pTimes) : -1.0;
    }
    // Both times of its least run; null when it did not run.
    const Times* Find(const std::string& strName) const {
        auto it = m_least.find(strName);
        return it == m_least.end() ? nullptr : &it->second;
    }
    const std::map<std::string, Times>& All() const { return m_least; }

  private:
    double Of(const Times& times) const { return m_clock == kReal ? times.dReal : times.dCpu; }

    Clock m_clock;
    std::map<std::string, Times> m_least;
};

}  // namespace tessel::bench
