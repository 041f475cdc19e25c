// SPDX-License-Identifier: GPL-3.0-or-later
// The all-articles search over about 100 MB of help bodies as real help
// projects hold them: the bundled guide and every project of the corpus that
// builds, their bodies repeated under titles of their own until the .PGD file
// reaches 100 MB. The word searched for is in no title and no text, so that
// every body is read; `grep -ci` over the same .PGD file is timed in the
// same run as the anchor. Targets: at least half of grep's throughput, and a
// whole-word search at most 1.2 times as costly as a plain one.
#include "BenchMain.h"
#include "core/articles/ArticleStore.h"
#include "core/articles/DataSourceGenerator.h"
#include "core/articles/DataSourceWriter.h"
#include "core/authoring/BuildMessages.h"
#include "core/authoring/DataSourceBuilder.h"
#include "core/search/SearchEngine.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

namespace {

using namespace tolvane;
namespace fs = std::filesystem;

constexpr size_t kPgdBytes = 100 * 1000 * 1000;

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

// The help projects to take bodies from: the guide, then the corpus's.
std::vector<std::string> helpProjects() {
    std::vector<std::string> projects = {std::string(TOLVANE_SOURCE_DIR) +
                                         "/samples/guide/GUIDE.hpj"};
    std::error_code ec;
    const fs::path corpus = fs::path(TOLVANE_SOURCE_DIR) / ".." / "shared" / "corpus" / "helpsrc";
    std::vector<std::string> found;
    for (fs::recursive_directory_iterator it(corpus, ec), end; !ec && it != end; it.increment(ec)) {
        std::string ext = it->path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (ext == ".hpj")
            found.push_back(it->path().string());
    }
    std::sort(found.begin(), found.end());
    projects.insert(projects.end(), found.begin(), found.end());
    return projects;
}

// Every body of the projects that build, as their data sources store them.
std::vector<std::string> helpBodies(const std::string& scratch, size_t* projectsBuilt) {
    std::vector<std::string> bodies;
    for (const std::string& project : helpProjects()) {
        authoring::BuildMessages messages;
        authoring::DataSourceBuilder builder(messages);
        builder.addSource(project);
        DataSourceWriter writer;
        builder.build(writer);
        if (builder.articles().empty() || !writer.write(scratch + "/P"))
            continue;
        ++*projectsBuilt;
        ArticleIndex index;
        ArticleStore store(DataSourcePaths::fromBase(scratch + "/P"), index);
        store.LoadIndex();
        store.ForEachArticle(
            [&](ArticleNumber, const std::string&, ArticleStore::BodyReader& body) {
                bodies.push_back(body.body());
                return true;
            });
    }
    return bodies;
}

class HelpSource {
public:
    HelpSource() {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/tolvane-bench-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            return;
        m_dir = pattern;
        const std::vector<std::string> bodies = helpBodies(m_dir, &m_projects);
        if (bodies.empty())
            return;
        DataSourceWriter writer;
        writer.reserve(kPgdBytes + (1 << 20), 0);
        for (ArticleNumber n = 1; writer.pgdSize() < kPgdBytes; ++n)
            writer.addArticle(n, "Sujet " + std::to_string(n),
                              bodies[static_cast<size_t>(n - 1) % bodies.size()]);
        m_pgdBytes = writer.pgdSize();
        if (!writer.write(m_dir + "/BENCH"))
            return;
        m_store =
            std::make_unique<ArticleStore>(DataSourcePaths::fromBase(m_dir + "/BENCH"), m_index);
        m_store->LoadIndex();
        std::printf("%zu help projects, %zu bodies repeated into %zu articles, %.1f MB of .PGD\n",
                    m_projects, bodies.size(), m_index.size(),
                    static_cast<double>(m_pgdBytes) / 1e6);
    }
    ~HelpSource() {
        std::error_code ec;
        if (!m_dir.empty())
            fs::remove_all(m_dir, ec);
    }

    const ArticleStore* store() const { return m_store.get(); }
    int64_t pgdBytes() const { return static_cast<int64_t>(m_pgdBytes); }
    const std::string& dir() const { return m_dir; }

private:
    std::string m_dir;
    size_t m_projects = 0;
    ArticleIndex m_index;
    std::unique_ptr<ArticleStore> m_store;
    size_t m_pgdBytes = 0;
};

const HelpSource& source() {
    static const HelpSource help;
    return help;
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

// GNU grep stops at the first match when its output is /dev/null, so the
// count goes to a file, and the count it wrote is checked.
void grep(benchmark::State& state, const char* options) {
    if (!source().store()) {
        state.SkipWithError("the data source could not be written");
        return;
    }
    const std::string countPath = source().dir() + "/grep-count";
    const std::string command = std::string("grep ") + options + " " +
                                DataSourceGenerator::absentWord() + " '" +
                                source().store()->paths().pgd + "' > '" + countPath + "'";
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
    std::ifstream in(countPath);
    long counted = -1;
    in >> counted;
    if (counted != 0)
        state.SkipWithError("grep did not count zero lines");
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

// The ratios of the median times, real and of the processes' CPU.
void printRatios(const bench::TimesReporter& medians) {
    for (const bool real : {true, false}) {
        const auto ratio = [&](const char* over, const char* under, const char* target) {
            const bench::Times* a = medians.find(over);
            const bench::Times* b = medians.find(under);
            if (a == nullptr || b == nullptr)
                return;
            const double aTime = real ? a->real : a->cpu;
            const double bTime = real ? b->real : b->cpu;
            if (aTime > 0 && bTime > 0)
                std::printf("  %-28s / %-24s = %5.2f  %s\n", over, under, aTime / bTime, target);
        };
        std::printf(real ? "\nRatios of median real times:\n"
                         : "\nRatios of median process CPU times "
                           "(all threads; grep's child process):\n");
        ratio("BM_GrepCi", "BM_SearchPlain", "(target >= 0.5)");
        ratio("BM_GrepCi", "BM_SearchWholeWord", "(target >= 0.5)");
        ratio("BM_SearchWholeWord", "BM_SearchPlain", "(target <= 1.2)");
        ratio("BM_SearchWholeWordOneThread", "BM_SearchPlainOneThread", "(target <= 1.2)");
        ratio("BM_SearchPlainOneThread", "BM_SearchPlain", "(effect of the threads)");
        ratio("BM_GrepCiw", "BM_GrepCi", "(grep's own whole-word cost)");
    }
}

} // namespace

int main(int argc, char** argv) {
    bench::TimesReporter medians("process_cpu_ms", "median");
    const int status =
        bench::RunBenchmarks(argc, argv, &medians, {"--benchmark_enable_random_interleaving=true"});
    printRatios(medians);
    return status;
}
