// The all-articles search over a generated data source of 20,000 articles
// and about 100 MB of RTF, for a word found in no title and no text, so that
// every body is read; `grep -ci` over the .PGD file is timed in the same run
// as the anchor. Targets: at least a quarter of grep's throughput, and a
// whole-word search at most 1.2 times as costly as a plain one.
#include "articles/ArticleStore.h"
#include "articles/DataSourceGenerator.h"
#include "search/SearchEngine.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

namespace {

using namespace tolvane;

constexpr int32_t kArticles = 20000;
// Popup notes are a tenth of the articles with a tenth of the size: this
// average brings the .PGD file to about 100 MB.
constexpr uint32_t kAverageBodyBytes = 5500;

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
    for (auto _ : state) {
        const std::vector<SearchMatch> matches = engine.SearchArticles(request);
        if (!matches.empty()) {
            state.SkipWithError("the absent word was found");
            return;
        }
    }
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
    for (auto _ : state) {
        // grep exits 1 when it counts no line, which is the expected outcome.
        const int status = std::system(command.c_str());
        if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) > 1) {
            state.SkipWithError("grep failed");
            return;
        }
    }
    state.SetBytesProcessed(state.iterations() * source().pgdBytes());
}

void BM_GrepCi(benchmark::State& state) {
    grep(state, "-ci");
}
void BM_GrepCiw(benchmark::State& state) {
    grep(state, "-ciw");
}

BENCHMARK(BM_GrepCi)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_GrepCiw)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_SearchPlain)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_SearchWholeWord)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_SearchPlainOneThread)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_SearchWholeWordOneThread)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// Prints as usual, keeps each benchmark's real time per iteration for the
// ratios printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (!run.error_occurred && run.iterations > 0)
                m_seconds[run.benchmark_name()] =
                    run.real_accumulated_time / static_cast<double>(run.iterations);
        }
    }

    void printRatios() const {
        const auto ratio = [this](const char* over, const char* under) {
            const auto a = m_seconds.find(over);
            const auto b = m_seconds.find(under);
            if (a == m_seconds.end() || b == m_seconds.end() || b->second <= 0)
                return;
            std::printf("%-32s / %-22s = %.2f\n", over, under, a->second / b->second);
        };
        std::printf("\nRatios of real times (targets: grep / search >= 0.25, "
                    "whole word / plain <= 1.2):\n");
        ratio("BM_GrepCi/min_time:2.000/real_time", "BM_SearchPlain/min_time:2.000/real_time");
        ratio("BM_GrepCi/min_time:2.000/real_time", "BM_SearchWholeWord/min_time:2.000/real_time");
        ratio("BM_SearchWholeWord/min_time:2.000/real_time",
              "BM_SearchPlain/min_time:2.000/real_time");
        ratio("BM_SearchWholeWordOneThread/min_time:2.000/real_time",
              "BM_SearchPlainOneThread/min_time:2.000/real_time");
        ratio("BM_GrepCiw/min_time:2.000/real_time", "BM_GrepCi/min_time:2.000/real_time");
    }

private:
    std::map<std::string, double> m_seconds;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    benchmark::Shutdown();
    return 0;
}
