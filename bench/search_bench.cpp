// The all-articles search over a generated data source of 20,000 articles
// and about 100 MB of RTF, for a word found in no title and no text, so that
// every body is read; `grep -ci` over the .PGD file is timed in the same run
// as the anchor. Targets: at least a quarter of grep's throughput, and a
// whole-word search at most 1.2 times as costly as a plain one.
#include "core/articles/ArticleStore.h"
#include "core/articles/DataSourceGenerator.h"
#include "core/search/SearchEngine.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

namespace {

using namespace tolvane;

constexpr int32_t kArticles = 20000;
// Popup notes are a tenth of the articles with a tenth of the size: this
// average brings the .PGD file to about 100 MB.
constexpr uint32_t kAverageBodyBytes = 5500;

// CPU seconds used so far by this process (every thread) or by its waited-for
// children. Wall time on a shared machine swings with the load of others;
// CPU time much less, so both are reported.
double cpuSeconds(int who) {
    rusage usage{};
    ::getrusage(who, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void setProcessCpu(benchmark::State& state, double seconds) {
    state.counters["process_cpu_ms"] =
        benchmark::Counter(seconds * 1e3, benchmark::Counter::kAvgIterations);
}

class GeneratedSource {
public:
    GeneratedSource() {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/tolvane-bench-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            return;
        m_dir = pattern;
        GeneratorOptions options;
        options.articles = kArticles;
        options.averageBodyBytes = kAverageBodyBytes;
        DataSourceWriter writer;
        DataSourceGenerator(options).generate(writer);
        m_pgdBytes = writer.pgdSize();
        if (!writer.write(m_dir + "/BENCH"))
            return;
        m_store =
            std::make_unique<ArticleStore>(DataSourcePaths::fromBase(m_dir + "/BENCH"), m_index);
        m_store->LoadIndex();
    }
    ~GeneratedSource() {
        std::error_code ec;
        if (!m_dir.empty())
            std::filesystem::remove_all(m_dir, ec);
    }

    const ArticleStore* store() const { return m_store.get(); }
    int64_t pgdBytes() const { return static_cast<int64_t>(m_pgdBytes); }

private:
    std::string m_dir;
    ArticleIndex m_index;
    std::unique_ptr<ArticleStore> m_store;
    size_t m_pgdBytes = 0;
};

const GeneratedSource& source() {
    static const GeneratedSource generated;
    return generated;
}

void search(benchmark::State& state, bool wholeWord, unsigned threads) {
    const ArticleStore* store = source().store();
    if (!store) {
        state.SkipWithError("the data source could not be written");
        return;
    }
    const SearchRequest request{DataSourceGenerator::absentWord(), false, wholeWord, true, true};
    const SearchEngine engine(*store, threads);
    const double cpuBefore = cpuSeconds(RUSAGE_SELF);
    for (auto _ : state) {
        const std::vector<SearchMatch> matches = engine.SearchArticles(request);
        if (!matches.empty()) {
            state.SkipWithError("the absent word was found");
            return;
        }
    }
    setProcessCpu(state, cpuSeconds(RUSAGE_SELF) - cpuBefore);
    state.SetBytesProcessed(state.iterations() * source().pgdBytes());
    state.counters["MB"] = static_cast<double>(source().pgdBytes()) / 1e6;
}

void BM_SearchPlain(benchmark::State& state) {
    search(state, false, 0);
}
void BM_SearchWholeWord(benchmark::State& state) {
    search(state, true, 0);
}
void BM_SearchPlainOneThread(benchmark::State& state) {
    search(state, false, 1);
}
void BM_SearchWholeWordOneThread(benchmark::State& state) {
    search(state, true, 1);
}

void grep(benchmark::State& state, const char* options) {
    if (!source().store()) {
        state.SkipWithError("the data source could not be written");
        return;
    }
    const std::string command = std::string("grep ") + options + " " +
                                DataSourceGenerator::absentWord() + " '" +
                                source().store()->paths().pgd + "' > /dev/null";
    const double cpuBefore = cpuSeconds(RUSAGE_CHILDREN);
    for (auto _ : state) {
        // grep exits 1 when it counts no line, which is the expected outcome.
        const int status = std::system(command.c_str());
        if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) > 1) {
            state.SkipWithError("grep failed");
            return;
        }
    }
    setProcessCpu(state, cpuSeconds(RUSAGE_CHILDREN) - cpuBefore);
    state.SetBytesProcessed(state.iterations() * source().pgdBytes());
}

void BM_GrepCi(benchmark::State& state) {
    grep(state, "-ci");
}
void BM_GrepCiw(benchmark::State& state) {
    grep(state, "-ciw");
}

// Repetitions run interleaved at random (see main), so that the load of a
// shared machine weighs on grep and on the search alike; ratios use medians.
void configure(benchmark::internal::Benchmark* b) {
    b->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(0.5)->Repetitions(5);
}

BENCHMARK(BM_GrepCi)->Apply(configure);
BENCHMARK(BM_GrepCiw)->Apply(configure);
BENCHMARK(BM_SearchPlain)->Apply(configure);
BENCHMARK(BM_SearchWholeWord)->Apply(configure);
BENCHMARK(BM_SearchPlainOneThread)->Apply(configure);
BENCHMARK(BM_SearchWholeWordOneThread)->Apply(configure);

// Prints as usual, keeps each benchmark's median real time for the ratios
// printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred || run.aggregate_name != "median")
                continue;
            m_realMedian[run.run_name.function_name] = run.GetAdjustedRealTime();
            const auto cpu = run.counters.find("process_cpu_ms");
            if (cpu != run.counters.end())
                m_cpuMedian[run.run_name.function_name] = cpu->second.value;
        }
    }

    void printRatios() const {
        for (const auto* medians : {&m_realMedian, &m_cpuMedian}) {
            const auto ratio = [medians](const char* over, const char* under, const char* target) {
                const auto a = medians->find(over);
                const auto b = medians->find(under);
                if (a == medians->end() || b == medians->end() || b->second <= 0)
                    return;
                std::printf("  %-28s / %-24s = %5.2f  %s\n", over, under, a->second / b->second,
                            target);
            };
            std::printf(medians == &m_realMedian ? "\nRatios of median real times:\n"
                                                 : "\nRatios of median process CPU times "
                                                   "(all threads; grep's child process):\n");
            ratio("BM_GrepCi", "BM_SearchPlain", "(target >= 0.25)");
            ratio("BM_GrepCi", "BM_SearchWholeWord", "(target >= 0.25)");
            ratio("BM_SearchWholeWord", "BM_SearchPlain", "(target <= 1.2)");
            ratio("BM_SearchWholeWordOneThread", "BM_SearchPlainOneThread", "(target <= 1.2)");
            ratio("BM_SearchPlainOneThread", "BM_SearchPlain", "(effect of the threads)");
            ratio("BM_GrepCiw", "BM_GrepCi", "(grep's own whole-word cost)");
        }
    }

private:
    std::map<std::string, double> m_realMedian;
    std::map<std::string, double> m_cpuMedian;
};

} // namespace

int main(int argc, char** argv) {
    std::vector<char*> args(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, interleave); // a later flag on the command line wins
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data()))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    benchmark::Shutdown();
    return 0;
}
