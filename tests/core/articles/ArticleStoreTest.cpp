// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/articles/ArticleStore.h"

#include "core/articles/DataSourceWriter.h"
#include "core/common/LittleEndian.h"
#include "support/TempDir.h"

#include <chrono>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace tolvane {
namespace {

using test::TempDir;

std::string entryBytes(int32_t number, uint32_t pgd, uint32_t pgl, uint32_t count) {
    std::string out;
    appendI32LE(out, number);
    appendU32LE(out, pgd);
    appendU32LE(out, pgl);
    appendU32LE(out, count);
    return out;
}

std::string textRecord(uint32_t declared, const std::string& bytes) {
    std::string out;
    appendU32LE(out, declared);
    return out + bytes;
}

std::string linkBytes(int32_t first, int32_t last, int32_t target, uint32_t reserved) {
    return entryBytes(first, static_cast<uint32_t>(last), static_cast<uint32_t>(target), reserved);
}

// A data source of raw files in its own folder; a file given as nullptr is
// not written.
struct RawSource {
    TempDir dir;
    ArticleIndex index;
    ArticleStore store;

    RawSource(const char* pgh, const char* pgd, const char* pgl, size_t pghSize = 0,
              size_t pgdSize = 0, size_t pglSize = 0)
        : store(DataSourcePaths::fromBase(dir.file("GUIDE")), index) {
        if (pgh)
            TempDir::writeFile(dir.file("GUIDE.PGH"), std::string(pgh, pghSize));
        if (pgd)
            TempDir::writeFile(dir.file("GUIDE.PGD"), std::string(pgd, pgdSize));
        if (pgl)
            TempDir::writeFile(dir.file("GUIDE.PGL"), std::string(pgl, pglSize));
    }
    RawSource(const std::string& pgh, const std::string& pgd, const std::string& pgl)
        : RawSource(pgh.data(), pgd.data(), pgl.data(), pgh.size(), pgd.size(), pgl.size()) {}
};

TEST(ArticleStoreTest, ExampleEntryOfArticle12) {
    const std::string pgh("\x0C\x00\x00\x00\x40\x1F\x00\x00\x30\x00\x00\x00\x03\x00\x00\x00", 16);
    std::string pgd(8000, '\0');
    pgd += textRecord(5, "Douze") + textRecord(7, "{\\rtf1}");
    std::string pgl;
    for (int k = 0; k < 6; ++k)
        pgl += linkBytes(k * 10, k * 10 + 4, 100 + k, 0);
    RawSource src(pgh, pgd, pgl);

    EXPECT_EQ(src.store.LoadIndex(), 1u);
    const IndexEntry* e = src.store.FindEntry(12);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->number, 12);
    EXPECT_EQ(e->pgdOffset, 8000u);
    EXPECT_EQ(e->pglOffset, 48u);
    EXPECT_EQ(e->linkCount, 3u);

    ArticleRecord r;
    ASSERT_TRUE(src.store.ReadArticle(12, r));
    EXPECT_EQ(r.title, "Douze");
    EXPECT_EQ(r.body, "{\\rtf1}");
    std::vector<LinkRecord> links;
    src.store.ReadLinks(12, links);
    ASSERT_EQ(links.size(), 3u);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(links[k].first, (k + 3) * 10);
        EXPECT_EQ(links[k].target, 103 + k);
    }
}

TEST(ArticleStoreTest, LoadIndexTakesEntriesAsStored) {
    struct Case {
        const char* name;
        std::string pgh;
        size_t read;
        std::map<ArticleNumber, uint32_t> pgdOffsets;
    };
    const Case cases[] = {
        {"empty file", "", 0, {}},
        {"later duplicate wins",
         entryBytes(5, 1, 2, 3) + entryBytes(6, 7, 0, 0) + entryBytes(5, 10, 20, 30),
         3,
         {{5, 10}, {6, 7}}},
        {"final fragment ignored", entryBytes(7, 70, 0, 0) + std::string(15, '\x01'), 1, {{7, 70}}},
        {"lone fragment", std::string(15, '\x01'), 0, {}},
        {"numbers not validated",
         entryBytes(0, 1, 0, 0) + entryBytes(-3, 2, 0, 0) + entryBytes(INT32_MAX, 3, 0, 0),
         3,
         {{0, 1}, {-3, 2}, {INT32_MAX, 3}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RawSource src(c.pgh, "", "");
        EXPECT_EQ(src.store.LoadIndex(), c.read);
        std::map<ArticleNumber, uint32_t> got;
        for (const auto& [number, entry] : src.index) {
            EXPECT_EQ(entry.number, number);
            got[number] = entry.pgdOffset;
        }
        EXPECT_EQ(got, c.pgdOffsets);
    }
    const std::string dup = entryBytes(5, 1, 2, 3) + entryBytes(5, 10, 20, 30);
    RawSource src(dup, "", "");
    src.store.LoadIndex();
    const IndexEntry* e = src.store.FindEntry(5);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->pglOffset, 20u);
    EXPECT_EQ(e->linkCount, 30u);
    EXPECT_EQ(src.store.FindEntry(1), nullptr);

    RawSource none(nullptr, nullptr, nullptr);
    EXPECT_EQ(none.store.LoadIndex(), 0u);
    EXPECT_TRUE(none.index.empty());
}

TEST(ArticleStoreTest, ReadArticleFollowsTheXFillingRule) {
    const uint64_t slack = ArticleStore::kLengthSlack;
    struct Case {
        const char* name;
        std::string pgd;
        uint32_t offset;
        std::string title;
        std::string body;
        bool capped; // the title's declared length is capped at the file's size + slack
    };
    const Case cases[] = {
        {"whole record", "junk" + textRecord(7, "Accueil") + textRecord(4, "{\\b}") + "more", 4,
         "Accueil", "{\\b}", false},
        {"empty title", textRecord(0, "") + textRecord(3, "{x}"), 0, "", "{x}", false},
        {"body past the end", textRecord(2, "Ti") + textRecord(10, "abcd"), 0, "Ti", "abcdxxxxxx",
         false},
        {"title past the end", textRecord(8, "Ab"), 0, "Abxxxxxx", "", false},
        {"length field cut short", std::string("\x05\x00", 2), 0, "", "", false},
        {"offset beyond the file", textRecord(2, "Ti"), 1000, "", "", false},
        {"absurd title length", textRecord(0xFFFFFFF0u, "Zo"), 0, "Zo", "", true},
        {"absurd body length", textRecord(1, "T") + textRecord(0xFFFFFFF0u, "{\\rtf"), 0, "T",
         "{\\rtf", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RawSource src(entryBytes(3, c.offset, 0, 0), c.pgd, "");
        src.store.LoadIndex();
        ArticleRecord r;
        ASSERT_TRUE(src.store.ReadArticle(3, r));
        const std::string title = src.store.ReadArticleTitle(3);
        EXPECT_EQ(title, r.title);
        if (c.capped) {
            EXPECT_EQ(r.title.size(), c.pgd.size() + slack);
            EXPECT_EQ(r.title.substr(0, c.title.size()), c.title);
            EXPECT_EQ(r.title.find_first_not_of('x', c.title.size()), std::string::npos);
        } else {
            EXPECT_EQ(r.title, c.title);
        }
        if (std::string(c.name) == "absurd body length") {
            EXPECT_EQ(r.body.size(), c.pgd.size() + slack);
            EXPECT_EQ(r.body.substr(0, 5), "{\\rtf");
            EXPECT_EQ(r.body.find_first_not_of('x', 5), std::string::npos);
        } else {
            EXPECT_EQ(r.body, c.body);
        }
    }
}

TEST(ArticleStoreTest, PopupTitles) {
    struct Case {
        std::string title;
        bool popup;
    };
    const Case cases[] = {{"", true},       {"#", true},          {"#POPUP:Note", true},
                          {"#Autre", true}, {" #POPUP:x", false}, {"Accueil", false},
                          {"A#", false},    {"x", false}};
    for (const Case& c : cases)
        EXPECT_EQ(IsPopupTitle(c.title), c.popup) << '"' << c.title << '"';
}

TEST(ArticleStoreTest, ReadLinksTrustsTheCountOnlyAsFarAsTheFile) {
    std::string pgl;
    pgl += linkBytes(10, 20, 2, 0);
    pgl += linkBytes(15, 30, 3, 0xFFFFFFFFu);
    pgl += linkBytes(-1, 5, -7, 42);
    const std::string pgh = entryBytes(1, 0, 0, 3) + entryBytes(2, 0, 0, 0) +
                            entryBytes(3, 0, 16, 0xFFFFFFFFu) + entryBytes(4, 0, 40, 1) +
                            entryBytes(5, 0, 1u << 31, 2);
    RawSource src(pgh, textRecord(1, "T") + textRecord(0, ""), pgl);
    src.store.LoadIndex();

    std::vector<LinkRecord> links{{1, 1, 1, 1}};
    src.store.ReadLinks(1, links);
    ASSERT_EQ(links.size(), 3u);
    EXPECT_EQ(links[1].reserved, 0xFFFFFFFFu);
    EXPECT_EQ(links[2].first, -1);
    EXPECT_EQ(links[2].target, -7);
    // Overlapping anchors keep their stored order: 17 lies on both, the first counts.
    EXPECT_TRUE(links[0].contains(17) && links[1].contains(17));
    EXPECT_TRUE(links[0].contains(10) && links[0].contains(20));
    EXPECT_FALSE(links[0].contains(21));

    struct Case {
        ArticleNumber number;
        size_t count;
    };
    const Case cases[] = {
        {2, 0},  // a count of 0 reads nothing
        {3, 2},  // an absurd count stops at the end of the file
        {4, 0},  // a record cut short by the end of the file is dropped
        {5, 0},  // offset far beyond the file
        {99, 0}, // absent number
        {0, 0},
    };
    for (const Case& c : cases) {
        links.assign(4, LinkRecord{});
        src.store.ReadLinks(c.number, links);
        EXPECT_EQ(links.size(), c.count) << c.number;
    }
}

TEST(ArticleStoreTest, AbsentNumbersAndMissingFilesReadAsEmpty) {
    DataSourceWriter w;
    w.addArticle(1, "Accueil", "{\\rtf1 Bonjour}", {{0, 6, 2, 0}});
    w.addArticle(2, "Suite", "{\\rtf1 Suite}");

    struct Case {
        const char* name;
        std::string removed;   // extension of the file taken away
        bool directoryInstead; // a directory of that name: there, but unreadable
    };
    const Case cases[] = {{"complete", "", false},
                          {"no .PGD", ".PGD", false},
                          {"no .PGL", ".PGL", false},
                          {".PGD is a directory", ".PGD", true},
                          {".PGL is a directory", ".PGL", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string base = dir.file("Guide");
        ASSERT_TRUE(w.write(base));
        if (!c.removed.empty()) {
            ASSERT_EQ(::unlink((base + c.removed).c_str()), 0);
            if (c.directoryInstead) {
                ASSERT_EQ(::mkdir((base + c.removed).c_str(), 0755), 0);
            }
        }
        const bool pgdGone = c.removed == ".PGD";
        const bool pglGone = c.removed == ".PGL";
        ArticleIndex index;
        ArticleStore store(DataSourcePaths::fromBase(dir.file("GUIDE")), index);
        EXPECT_EQ(store.LoadIndex(), 2u);

        ArticleRecord r{"stale", "stale"};
        EXPECT_FALSE(store.ReadArticle(7, r));
        EXPECT_TRUE(r.title.empty() && r.body.empty());
        EXPECT_EQ(store.ReadArticleTitle(7), "");
        std::vector<LinkRecord> links(2);
        store.ReadLinks(7, links);
        EXPECT_TRUE(links.empty());

        EXPECT_TRUE(store.ReadArticle(1, r));
        EXPECT_EQ(r.title, pgdGone ? "" : "Accueil");
        EXPECT_EQ(r.body, pgdGone ? "" : "{\\rtf1 Bonjour}");
        EXPECT_EQ(store.ReadArticleTitle(2), pgdGone ? "" : "Suite");
        store.ReadLinks(1, links);
        EXPECT_EQ(links.size(), pglGone ? 0u : 1u);

        size_t visits = 0;
        store.ForEachArticle([&](ArticleNumber, const std::string& title, auto& body) {
            ++visits;
            EXPECT_EQ(title.empty(), pgdGone);
            EXPECT_EQ(body.body().empty(), pgdGone);
            return true;
        });
        EXPECT_EQ(visits, 2u);
    }
}

TEST(ArticleStoreTest, UnreadableFilesReadAsEmpty) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads files without read permission";
    TempDir dir;
    DataSourceWriter w;
    w.addArticle(1, "Accueil", "{\\rtf1}", {{0, 1, 1, 0}});
    ASSERT_TRUE(w.write(dir.file("GUIDE")));
    ASSERT_EQ(::chmod(dir.file("GUIDE.PGD").c_str(), 0), 0);
    ASSERT_EQ(::chmod(dir.file("GUIDE.PGL").c_str(), 0), 0);
    ArticleIndex index;
    ArticleStore store(DataSourcePaths::fromBase(dir.file("GUIDE")), index);
    store.LoadIndex();
    ArticleRecord r;
    EXPECT_TRUE(store.ReadArticle(1, r));
    EXPECT_EQ(r.title, "");
    std::vector<LinkRecord> links;
    store.ReadLinks(1, links);
    EXPECT_TRUE(links.empty());
}

TEST(ArticleStoreTest, ForEachArticleVisitsEveryEntryOnceAndMayStop) {
    DataSourceWriter w;
    for (int n = 1; n <= 50; ++n)
        w.addArticle(n, "Titre " + std::to_string(n), "{corps " + std::to_string(n) + "}");
    w.addRawIndexEntry({7, 0, 0, 0}); // duplicate: points at article 1's record
    TempDir dir;
    ASSERT_TRUE(w.write(dir.file("GUIDE")));
    ArticleIndex index;
    ArticleStore store(DataSourcePaths::fromBase(dir.file("GUIDE")), index);
    ASSERT_EQ(store.LoadIndex(), 51u);

    std::map<ArticleNumber, int> seen;
    store.ForEachArticle([&](ArticleNumber n, const std::string& title, auto& body) {
        ++seen[n];
        const int shown = n == 7 ? 1 : n;
        EXPECT_EQ(title, "Titre " + std::to_string(shown));
        if (n % 2 == 0) {
            EXPECT_EQ(body.body(), "{corps " + std::to_string(shown) + "}");
        }
        return true;
    });
    ASSERT_EQ(seen.size(), 50u);
    for (const auto& [n, times] : seen)
        EXPECT_EQ(times, 1) << n;

    int visits = 0;
    store.ForEachArticle([&](ArticleNumber, const std::string&, auto&) {
        ++visits;
        return false;
    });
    EXPECT_EQ(visits, 1);

    ArticleIndex emptyIndex;
    ArticleStore empty(DataSourcePaths::fromBase(dir.file("GUIDE")), emptyIndex);
    empty.ForEachArticle([&](ArticleNumber, const std::string&, auto&) {
        ADD_FAILURE() << "visited an entry of an empty index";
        return true;
    });
}

TEST(ArticleStoreTest, LoadIndexPumpsByTimeNotPerEntry) {
    constexpr int32_t kEntries = 200000;
    DataSourceWriter w;
    for (int32_t n = 1; n <= kEntries; ++n)
        w.addRawIndexEntry({n, static_cast<uint32_t>(n), 0, 0});
    TempDir dir;
    TempDir::writeFile(dir.file("GUIDE.PGH"), w.pghBytes());

    using Clock = std::chrono::steady_clock;
    struct Pass {
        Clock::time_point start, end;
        size_t entriesSoFar;
    };
    for (const auto pause : {std::chrono::milliseconds(0), std::chrono::milliseconds(3)}) {
        SCOPED_TRACE(pause.count());
        ArticleIndex index;
        ArticleStore store(DataSourcePaths::fromBase(dir.file("guide")), index);
        std::vector<Pass> passes;
        const size_t read = store.LoadIndex([&] {
            const auto start = Clock::now();
            std::this_thread::sleep_for(pause);
            passes.push_back({start, Clock::now(), index.size()});
        });
        EXPECT_EQ(read, static_cast<size_t>(kEntries));
        EXPECT_EQ(index.size(), static_cast<size_t>(kEntries));
        // At least one pass of the event loop, whatever the speed of the disk...
        ASSERT_GE(passes.size(), 1u);
        // ...but never one per entry: the clock is read once a block.
        EXPECT_LT(passes.size(), static_cast<size_t>(kEntries) / 1000);
        // Lookups made from the pump see the entries read so far.
        EXPECT_GT(passes.front().entriesSoFar, 0u);
        // After the first, passes are about 10 ms of loading apart.
        for (size_t k = 1; k < passes.size(); ++k)
            EXPECT_GE(passes[k].start - passes[k - 1].end, std::chrono::milliseconds(10));
    }

    // Without a pump the load is the same.
    ArticleIndex index;
    ArticleStore store(DataSourcePaths::fromBase(dir.file("GUIDE")), index);
    EXPECT_EQ(store.LoadIndex(), static_cast<size_t>(kEntries));
    ASSERT_NE(store.FindEntry(kEntries), nullptr);
    EXPECT_EQ(store.FindEntry(kEntries)->pgdOffset, static_cast<uint32_t>(kEntries));
}

} // namespace
} // namespace tolvane
