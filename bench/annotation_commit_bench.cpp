// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/common/AtomicFile.h"
#include "core/common/Cp1252.h"
#include "core/stores/AnnotationStore.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>

using namespace tolvane;

namespace {

// A scratch folder in the current directory, on the disk the user files
// would be on (not a memory file system, where a sync costs nothing).
class ScratchDir {
public:
    ScratchDir() {
        std::string pattern = "./annotation-bench-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            std::abort();
        m_path = std::filesystem::absolute(pattern).string();
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    std::string file(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// A 1 KB note of several CR LF lines; variant changes one byte.
std::string note(int variant) {
    std::string text;
    const std::string line = cp1252::fromUtf8("Une ligne de note sur l'article, à relire.\r\n");
    while (text.size() < 1024)
        text += line;
    text.resize(1024);
    text[0] = static_cast<char>('A' + variant % 26);
    return text;
}

// One commit of a changed 1 KB note: append to .NO$ and sync.
void BM_CommitAnnotation_1KB(benchmark::State& state) {
    ScratchDir dir;
    AnnotationStore store;
    store.OpenAnnotations(dir.file("GUIDE"));
    store.LoadAnnotation(12);
    const std::string texts[2] = {note(0), note(1)};
    int i = 0;
    for (auto _ : state) {
        if (!store.CommitAnnotation(12, texts[++i % 2]))
            state.SkipWithError("commit failed");
    }
    state.SetBytesProcessed(state.iterations() * 1024);
}
BENCHMARK(BM_CommitAnnotation_1KB)->Unit(benchmark::kMicrosecond);

// What the pane's idle timer costs when nothing was typed.
void BM_CommitAnnotation_Unchanged(benchmark::State& state) {
    ScratchDir dir;
    AnnotationStore store;
    store.OpenAnnotations(dir.file("GUIDE"));
    store.LoadAnnotation(12);
    const std::string text = note(0);
    store.CommitAnnotation(12, text);
    for (auto _ : state)
        benchmark::DoNotOptimize(store.CommitAnnotation(12, text));
}
BENCHMARK(BM_CommitAnnotation_Unchanged)->Unit(benchmark::kMicrosecond);

// An anchor: the 1 KB note written to a scratch file by write(path, text)
// at each iteration.
template <typename Write> void writeNote(benchmark::State& state, Write write) {
    ScratchDir dir;
    const std::string path = dir.file("note");
    const std::string text = note(0);
    for (auto _ : state) {
        if (!write(path, text))
            state.SkipWithError("write failed");
    }
}

// Anchor: the same bytes appended without waiting for the disk.
void BM_Anchor_AppendWithoutSync_1KB(benchmark::State& state) {
    writeNote(state, [](const std::string& path, const std::string& text) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
        const ssize_t written = ::write(fd, text.data(), text.size());
        ::close(fd);
        return written == ssize_t(text.size());
    });
}
BENCHMARK(BM_Anchor_AppendWithoutSync_1KB)->Unit(benchmark::kMicrosecond);

// Anchor: replacing a 1 KB file atomically (temporary file, sync, rename),
// the other way a note could have reached the disk at once.
void BM_Anchor_AtomicReplace_1KB(benchmark::State& state) {
    writeNote(state, [](const std::string& path, const std::string& text) {
        return AtomicFile::write(path, text);
    });
}
BENCHMARK(BM_Anchor_AtomicReplace_1KB)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
