// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/articles/DataSourceWriter.h"

#include "core/articles/ArticleStore.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

using test::TempDir;

TEST(DataSourceWriterTest, RoundTripThroughTheStore) {
    struct Article {
        ArticleNumber number;
        std::string title;
        std::string body;
        std::vector<LinkRecord> links;
    };
    const std::vector<Article> articles = {
        {1, "Accueil", "{\\rtf1\\ansi Bienvenue \\'e9t\\'e9}", {{0, 9, 2, 0}, {11, 13, 40, 7}}},
        {40, "#POPUP:Note", "{\\rtf1 note}", {}},
        {2, "", "", {}},
        {-5, "N\xE9gatif", std::string("\0\x01{", 3), {{-1, -1, 0, 0xFFFFFFFFu}}},
        {3, std::string(300, '\xE9'), std::string(100000, 'b'), {{5, 4, 1, 0}}},
    };
    // Bodies given by copy and by move, with raw bytes between two records,
    // make the same files as bodies all given by copy.
    DataSourceWriter w, copied;
    for (size_t k = 0; k < articles.size(); ++k) {
        const Article& a = articles[k];
        if (k % 2 == 1)
            w.addArticle(a.number, a.title, std::string(a.body), a.links);
        else
            w.addArticle(a.number, a.title, a.body, a.links);
        copied.addArticle(a.number, a.title, a.body, a.links);
        if (k == 2) {
            w.appendRawPgd("entre");
            copied.appendRawPgd("entre");
        }
    }
    EXPECT_EQ(w.pgdBytes(), copied.pgdBytes());
    EXPECT_EQ(w.pgdSize(), copied.pgdBytes().size());
    EXPECT_EQ(w.pghBytes(), copied.pghBytes());
    w.addOutline({"P1", "Partie", "0", 0, 0, 0});
    w.addOutline({"A1", "Accueil", "P1", 1, 2, 0});

    TempDir dir;
    std::string error;
    ASSERT_TRUE(w.write(dir.file("Guide"), &error)) << error;
    EXPECT_EQ(TempDir::readFile(dir.file("Guide.PGH")), w.pghBytes());
    EXPECT_EQ(TempDir::readFile(dir.file("Guide.PGD")), w.pgdBytes());
    EXPECT_EQ(TempDir::readFile(dir.file("Guide.PGL")), w.pglBytes());
    const std::string fic = TempDir::readFile(dir.file("Guide.FIC"));
    ASSERT_EQ(fic.size(), 3 * OutlineRecord::kSize); // two records and the end record
    EXPECT_EQ(OutlineRecord::decode(reinterpret_cast<const unsigned char*>(fic.data()) +
                                    OutlineRecord::kSize)
                  .referenceKey,
              "P1");
    EXPECT_EQ(w.pghBytes().size(), articles.size() * kIndexEntrySize);

    ArticleIndex index;
    ArticleStore store(DataSourcePaths::fromBase(dir.file("GUIDE")), index);
    ASSERT_EQ(store.LoadIndex(), articles.size());
    for (const Article& a : articles) {
        SCOPED_TRACE(a.number);
        ArticleRecord r;
        ASSERT_TRUE(store.ReadArticle(a.number, r));
        EXPECT_EQ(r.title, a.title);
        EXPECT_EQ(r.body, a.body);
        EXPECT_EQ(store.ReadArticleTitle(a.number), a.title);
        std::vector<LinkRecord> links;
        store.ReadLinks(a.number, links);
        ASSERT_EQ(links.size(), a.links.size());
        for (size_t k = 0; k < links.size(); ++k) {
            EXPECT_EQ(links[k].first, a.links[k].first);
            EXPECT_EQ(links[k].last, a.links[k].last);
            EXPECT_EQ(links[k].target, a.links[k].target);
            EXPECT_EQ(links[k].reserved, a.links[k].reserved);
        }
    }

    DataSourceWriter noEnd;
    noEnd.setOutlineEndRecord(false);
    noEnd.addOutline({"P1", "Partie", "0", 0, 0, 0});
    EXPECT_EQ(noEnd.ficBytes().size(), OutlineRecord::kSize);
}

TEST(DataSourceWriterTest, OutlineRecordsHaveTheirFixedLayout) {
    const OutlineRecord full{std::string(12, 'K'), std::string(80, '\xE9'), "0", -2, 2, 7};
    const std::string bytes = full.encode();
    ASSERT_EQ(bytes.size(), OutlineRecord::kSize);
    EXPECT_EQ(bytes.substr(104, 4), std::string("\xFE\xFF\xFF\xFF", 4));
    EXPECT_EQ(bytes.substr(108, 4), std::string("\x07\0\0\0", 4));
    EXPECT_EQ(bytes.substr(112, 4), std::string("\x02\0\0\0", 4));
    // Texts that fill their field have no NUL and decode to the whole width.
    const OutlineRecord back =
        OutlineRecord::decode(reinterpret_cast<const unsigned char*>(bytes.data()));
    EXPECT_EQ(back.nodeKey, full.nodeKey);
    EXPECT_EQ(back.title, full.title);
    EXPECT_EQ(back.referenceKey, "0");
    EXPECT_EQ(back.article, -2);
    EXPECT_EQ(back.placement, 2);
    EXPECT_EQ(back.reserved, 7u);

    const OutlineRecord longer{std::string(20, 'k'), std::string(100, 't'), "ref", 3, 0, 0};
    const std::string cut = longer.encode();
    ASSERT_EQ(cut.size(), OutlineRecord::kSize);
    const OutlineRecord shortened =
        OutlineRecord::decode(reinterpret_cast<const unsigned char*>(cut.data()));
    EXPECT_EQ(shortened.nodeKey, std::string(12, 'k'));
    EXPECT_EQ(shortened.title, std::string(80, 't'));
    EXPECT_EQ(shortened.referenceKey, "ref");
    EXPECT_EQ(cut.substr(92, 4), std::string("ref\0", 4));
}

TEST(DataSourceWriterTest, WriteIntoAMissingFolderFails) {
    TempDir dir;
    DataSourceWriter w;
    w.addArticle(1, "Accueil", "{}");
    std::string error;
    EXPECT_FALSE(w.write(dir.file("absent/GUIDE"), &error));
    EXPECT_FALSE(error.empty());
}

} // namespace
} // namespace tolvane
