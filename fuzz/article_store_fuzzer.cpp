// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary .PGH, .PGD and .PGL bytes to the article store. The input
// starts with two 16-bit little-endian lengths: the .PGH bytes, then the
// .PGD bytes; the rest is .PGL.

#include "core/articles/ArticleStore.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

void removeFolder();

// Made once per process and removed at exit; the name is never destroyed,
// so the exit handler can still use it.
const std::string& folder() {
    static const std::string* path = [] {
        // Three files are rewritten per input: a memory file system keeps
        // the run bound by the code under test rather than by the disk.
        const char* tmp = std::getenv("TMPDIR");
        std::string dir = tmp && *tmp ? tmp : "/tmp";
        if (!(tmp && *tmp) && ::access("/dev/shm", W_OK) == 0)
            dir = "/dev/shm";
        auto* pattern = new std::string(dir + "/tolvane-fuzz-XXXXXX");
        if (!::mkdtemp(pattern->data()))
            std::abort();
        return pattern;
    }();
    static const bool cleanup = std::atexit(removeFolder) == 0;
    (void)cleanup;
    return *path;
}

void removeFolder() {
    for (const char* ext : {".PGH", ".PGD", ".PGL"})
        ::unlink((folder() + "/GUIDE" + ext).c_str());
    ::rmdir(folder().c_str());
}

void writeFile(const std::string& path, const uint8_t* data, size_t size) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        std::abort();
    if (size)
        std::fwrite(data, 1, size, f);
    std::fclose(f);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tolvane;
    if (size < 4)
        return 0;
    size_t pghSize = static_cast<size_t>(data[0] | (data[1] << 8));
    size_t pgdSize = static_cast<size_t>(data[2] | (data[3] << 8));
    data += 4;
    size -= 4;
    pghSize = std::min(pghSize, size);
    pgdSize = std::min(pgdSize, size - pghSize);
    const size_t pglSize = size - pghSize - pgdSize;

    const std::string base = folder() + "/GUIDE";
    writeFile(base + ".PGH", data, pghSize);
    writeFile(base + ".PGD", data + pghSize, pgdSize);
    writeFile(base + ".PGL", data + pghSize + pgdSize, pglSize);

    ArticleIndex index;
    ArticleStore store(DataSourcePaths::fromBase(base), index);
    size_t pumps = 0;
    store.LoadIndex([&pumps] { ++pumps; });

    std::vector<LinkRecord> links;
    size_t total = 0;
    for (const auto& [number, entry] : index) {
        ArticleRecord record;
        store.ReadArticle(number, record);
        total += record.title.size() + record.body.size();
        total += store.ReadArticleTitle(number).size();
        store.ReadLinks(number, links);
        if (links.size() > entry.linkCount)
            std::abort();
    }
    // Numbers are not validated, so 0 or -1 may well be in the index.
    if (!store.FindEntry(0)) {
        store.ReadLinks(0, links);
        if (!links.empty() || !store.ReadArticleTitle(0).empty())
            std::abort();
    }

    size_t visits = 0;
    store.ForEachArticle([&](ArticleNumber, const std::string& title, auto& body) {
        total += title.size();
        if (++visits % 2 == 0)
            total += body.body().size();
        return true;
    });
    if (visits != index.size())
        std::abort();
    return total == SIZE_MAX ? 1 : 0;
}
