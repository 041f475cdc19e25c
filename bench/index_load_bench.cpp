// SPDX-License-Identifier: GPL-3.0-or-later
// Index load against its anchor: reading the same .PGH bytes into memory and
// inserting the same keys into the same map type with no other work, in the
// same run. Also lookups and the article reads of a generated data source.

#include "BenchMain.h"
#include "core/articles/ArticleStore.h"
#include "core/articles/DataSourceGenerator.h"
#include "core/common/InputFile.h"
#include "core/common/LittleEndian.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

using namespace tolvane;

namespace {

constexpr int32_t kEntries = 1000000;
constexpr int32_t kArticles = 2000;

// Files written once for the whole run, removed at the end.
struct Fixture {
    std::string dir;
    std::string indexBase;     // .PGH of kEntries entries
    std::string generatedBase; // a generated data source of kArticles

    Fixture() {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/tolvane-bench-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            std::abort();
        dir = pattern;
        indexBase = dir + "/BIG";
        generatedBase = dir + "/GEN";

        // Numbers in a scattered order, as an authoring tool that renumbers
        // leaves them; the offsets make each entry distinct.
        DataSourceWriter big;
        for (int32_t k = 0; k < kEntries; ++k) {
            const int32_t n = 1 + static_cast<int32_t>((static_cast<int64_t>(k) * 7919) % kEntries);
            big.addRawIndexEntry({n, static_cast<uint32_t>(k) * 64, static_cast<uint32_t>(k) * 16,
                                  static_cast<uint32_t>(k % 5)});
        }
        FILE* f = std::fopen((indexBase + ".PGH").c_str(), "wb");
        const std::string bytes = big.pghBytes();
        if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size())
            std::abort();
        std::fclose(f);

        GeneratorOptions options;
        options.articles = kArticles;
        options.seed = 11;
        DataSourceWriter generated;
        DataSourceGenerator(options).generate(generated);
        if (!generated.write(generatedBase))
            std::abort();
    }
    ~Fixture() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

// The anchor: the bytes in memory, then the keys into the map. The second
// form also sizes the map first, as LoadIndex does, for a stricter ratio.
void baseline(benchmark::State& state, bool reserve) {
    const std::string path = fixture().indexBase + ".PGH";
    for (auto _ : state) {
        std::string bytes;
        InputFile::readAll(path, bytes);
        ArticleIndex index;
        if (reserve)
            index.reserve(bytes.size() / kIndexEntrySize);
        for (size_t at = 0; at + kIndexEntrySize <= bytes.size(); at += kIndexEntrySize) {
            const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + at;
            index.insert_or_assign(loadI32LE(p), IndexEntry{loadI32LE(p), loadU32LE(p + 4),
                                                            loadU32LE(p + 8), loadU32LE(p + 12)});
        }
        benchmark::DoNotOptimize(index.size());
        state.PauseTiming();
        index = ArticleIndex();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kEntries);
}

void BM_Baseline(benchmark::State& state) {
    baseline(state, false);
}
BENCHMARK(BM_Baseline)->Unit(benchmark::kMillisecond);

void BM_BaselineReserved(benchmark::State& state) {
    baseline(state, true);
}
BENCHMARK(BM_BaselineReserved)->Unit(benchmark::kMillisecond);

void BM_LoadIndex(benchmark::State& state) {
    size_t pumps = 0;
    for (auto _ : state) {
        ArticleIndex index;
        ArticleStore store(DataSourcePaths::fromBase(fixture().indexBase), index);
        benchmark::DoNotOptimize(store.LoadIndex([&pumps] { ++pumps; }));
        state.PauseTiming();
        index = ArticleIndex();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kEntries);
    state.counters["pumps"] =
        benchmark::Counter(static_cast<double>(pumps), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_LoadIndex)->Unit(benchmark::kMillisecond);

// A store of the base with its index loaded.
struct LoadedStore {
    explicit LoadedStore(const std::string& base) : store(DataSourcePaths::fromBase(base), index) {
        store.LoadIndex();
    }
    ArticleIndex index;
    ArticleStore store;
};

void BM_FindEntry(benchmark::State& state) {
    LoadedStore loaded(fixture().indexBase);
    ArticleStore& store = loaded.store;
    uint32_t k = 0;
    for (auto _ : state) {
        // Three present numbers for one absent one, scattered over the range.
        k = k * 1664525u + 1013904223u;
        const ArticleNumber n = static_cast<ArticleNumber>(k % (kEntries + kEntries / 3)) + 1;
        benchmark::DoNotOptimize(store.FindEntry(n));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FindEntry);

void BM_ReadArticle(benchmark::State& state) {
    LoadedStore loaded(fixture().generatedBase);
    ArticleStore& store = loaded.store;
    ArticleRecord record;
    ArticleNumber n = 0;
    int64_t bytes = 0;
    for (auto _ : state) {
        n = n % kArticles + 1;
        store.ReadArticle(n, record);
        bytes += static_cast<int64_t>(record.title.size() + record.body.size());
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_ReadArticle);

void BM_ReadArticleTitle(benchmark::State& state) {
    LoadedStore loaded(fixture().generatedBase);
    ArticleStore& store = loaded.store;
    ArticleNumber n = 0;
    for (auto _ : state) {
        n = n % kArticles + 1;
        benchmark::DoNotOptimize(store.ReadArticleTitle(n));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ReadArticleTitle);

} // namespace

int main(int argc, char** argv) {
    fixture();
    bench::TimesReporter reporter;
    const int status = bench::RunBenchmarks(argc, argv, &reporter);
    // The load against each anchor.
    if (const bench::Times* load = reporter.find("BM_LoadIndex")) {
        for (const char* anchor : {"BM_Baseline", "BM_BaselineReserved"}) {
            const bench::Times* base = reporter.find(anchor);
            if (base == nullptr || base->real <= 0 || base->cpu <= 0)
                continue;
            std::printf("LoadIndex / %s = %.2f real, %.2f CPU (target: at most 2.00)\n", anchor + 3,
                        load->real / base->real, load->cpu / base->cpu);
        }
    }
    return status;
}
