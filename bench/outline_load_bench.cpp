// SPDX-License-Identifier: GPL-3.0-or-later
// Loading a .FIC outline of 100,000 records into the core model. Target:
// above 2 million records a second. Anchor, in the same run: reading the same
// file in the same chunks and finding the end of each title, with no tree
// built.
#include "OutlineBenchData.h"
#include "core/common/InputFile.h"
#include "core/outline/OutlineModel.h"

#include <benchmark/benchmark.h>
#include <cstring>
#include <vector>

namespace {

using namespace tolvane;

void BM_OutlineLoad(benchmark::State& state) {
    const std::string path = bench::OutlinePath(state);
    if (path.empty())
        return;
    for (auto _ : state) {
        OutlineModel model;
        model.LoadOutline(path);
        if (model.size() != static_cast<size_t>(bench::kOutlineRecords)) {
            state.SkipWithError("wrong number of nodes");
            return;
        }
        benchmark::DoNotOptimize(model.firstTopLevel());
    }
    bench::SetRecordRate(state, "records_per_s");
}
BENCHMARK(BM_OutlineLoad)->Unit(benchmark::kMillisecond);

void BM_AnchorReadAndScanFile(benchmark::State& state) {
    const std::string path = bench::OutlinePath(state);
    if (path.empty())
        return;
    std::vector<unsigned char> chunk(2048 * OutlineRecord::kSize);
    for (auto _ : state) {
        InputFile file;
        file.open(path);
        size_t titleBytes = 0;
        for (uint64_t offset = 0;;) {
            const size_t got = file.readAt(offset, chunk.data(), chunk.size());
            for (size_t k = 0; k + OutlineRecord::kSize <= got; k += OutlineRecord::kSize) {
                const unsigned char* title = chunk.data() + k + OutlineRecord::kTitleOffset;
                const void* nul = std::memchr(title, 0, OutlineRecord::kTitleWidth);
                titleBytes +=
                    nul ? static_cast<size_t>(static_cast<const unsigned char*>(nul) - title)
                        : OutlineRecord::kTitleWidth;
            }
            if (got < chunk.size())
                break;
            offset += got;
        }
        benchmark::DoNotOptimize(titleBytes);
    }
    bench::SetRecordRate(state, "records_per_s");
}
BENCHMARK(BM_AnchorReadAndScanFile)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
