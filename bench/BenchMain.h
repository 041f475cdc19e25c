// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the benchmark programs share: running the benchmarks the command line
// selects, and a reporter that keeps each one's times so that a program can
// print its ratios to the anchors of the same run at the end.

#include <benchmark/benchmark.h>
#include <map>
#include <string>
#include <vector>

namespace tolvane::bench {

struct Times {
    double real = 0;
    double cpu = 0;
};

// Prints the table as usual and keeps, by function name, the times of the
// runs of one kind: each iteration run, or the named aggregate ("median").
// The CPU time is the run's own, or the named counter where the work is done
// by other processes or threads.
class TimesReporter : public benchmark::ConsoleReporter {
public:
    explicit TimesReporter(std::string cpuCounter = {}, std::string aggregate = {})
        : m_cpuCounter(std::move(cpuCounter)), m_aggregate(std::move(aggregate)) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const bool wanted = m_aggregate.empty() ? run.run_type == Run::RT_Iteration
                                                    : run.aggregate_name == m_aggregate;
            if (!wanted || run.error_occurred)
                continue;
            Times& t = m_times[run.run_name.function_name];
            t.real = run.GetAdjustedRealTime();
            if (m_cpuCounter.empty()) {
                t.cpu = run.GetAdjustedCPUTime();
            } else if (const auto c = run.counters.find(m_cpuCounter); c != run.counters.end()) {
                t.cpu = c->second.value;
            }
        }
    }

    // The times of a benchmark, or nullptr when it did not run.
    const Times* find(const std::string& name) const {
        const auto it = m_times.find(name);
        return it == m_times.end() ? nullptr : &it->second;
    }

private:
    std::string m_cpuCounter;
    std::string m_aggregate;
    std::map<std::string, Times> m_times;
};

// Runs the benchmarks the command line selects, with the reporter when one
// is given; flags come before the command line's, which overrides them.
// Returns 1 for an unrecognised argument, 0 otherwise.
inline int RunBenchmarks(int argc, char** argv, benchmark::BenchmarkReporter* reporter = nullptr,
                         std::vector<std::string> flags = {}) {
    std::vector<char*> args(argv, argv + argc);
    for (size_t k = 0; k < flags.size(); ++k)
        args.insert(args.begin() + 1 + static_cast<std::ptrdiff_t>(k), flags[k].data());
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data()))
        return 1;
    if (reporter != nullptr)
        benchmark::RunSpecifiedBenchmarks(reporter);
    else
        benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace tolvane::bench
