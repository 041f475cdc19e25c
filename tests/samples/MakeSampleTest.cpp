// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/articles/ArticleStore.h"
#include "core/articles/OutlineRecord.h"
#include "core/rtf/RtfReader.h"
#include "core/startup/DataSourceLocation.h"
#include "support/TempDir.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace tolvane {
namespace {

// The sample the build places beside the executables, its index loaded.
class MakeSampleTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(DataSourceMissing(base));
        ASSERT_GE(store.LoadIndex(), 3u);
    }

    // The records of its outline, which holds whole records only.
    std::vector<OutlineRecord> outline() const {
        const std::string fic = test::TempDir::readFile(base + ".FIC");
        EXPECT_EQ(fic.size() % OutlineRecord::kSize, 0u);
        std::vector<OutlineRecord> records;
        for (size_t at = 0; at + OutlineRecord::kSize <= fic.size(); at += OutlineRecord::kSize)
            records.push_back(
                OutlineRecord::decode(reinterpret_cast<const unsigned char*>(fic.data()) + at));
        return records;
    }

    const std::string base = std::string(TOLVANE_BINARY_DIR) + "/GUIDE";
    ArticleIndex index;
    ArticleStore store{DataSourcePaths::fromBase(base), index};
};

// A bare start of the viewer shows the sample, so its links must land on
// articles and on their anchors.
TEST_F(MakeSampleTest, SampleBesideTheExecutablesIsComplete) {
    ASSERT_NE(store.FindEntry(1), nullptr);
    EXPECT_FALSE(IsPopupTitle(store.ReadArticleTitle(1)));

    size_t popups = 0, links = 0;
    store.ForEachArticle([&](ArticleNumber n, const std::string& title, auto& body) {
        SCOPED_TRACE(n);
        popups += IsPopupTitle(title);
        const std::u16string text = rtf::RtfReader::displayedText(body.body());
        std::vector<LinkRecord> table;
        store.ReadLinks(n, table);
        for (const LinkRecord& link : table) {
            // Every anchor covers visible characters of its own article.
            const bool inside = 0 <= link.first && link.first <= link.last &&
                                static_cast<size_t>(link.last) < text.size();
            EXPECT_TRUE(inside) << link.first << ".." << link.last;
            for (int32_t p = link.first; inside && p <= link.last; ++p)
                EXPECT_NE(text[static_cast<size_t>(p)], u'\r') << "anchor over a paragraph mark";
            EXPECT_NE(store.FindEntry(link.target), nullptr) << link.target;
        }
        links += table.size();
        return true;
    });
    EXPECT_GE(popups, 1u);
    EXPECT_GE(links, 3u);

    for (const OutlineRecord& r : outline()) {
        if (r.article != 0) {
            EXPECT_NE(store.FindEntry(r.article), nullptr) << r.nodeKey;
        }
    }
}

// The guide describes printing as the viewer does it: the print dialog
// (Ctrl+P) to a printer or to a PDF file, and the preview (Ctrl+Maj+P) in
// an article of its own that the printing article links to and the outline
// lists.
TEST_F(MakeSampleTest, GuideDescribesPrintingAndItsPreview) {
    const std::u16string preview = u"aper\u00E7u avant impression";
    ArticleNumber printing = 0;
    ArticleNumber previewArticle = 0;
    std::u16string printingText;
    std::u16string previewText;
    store.ForEachArticle([&](ArticleNumber n, const std::string& title, auto& body) {
        const std::u16string text = rtf::RtfReader::displayedText(body.body());
        if (title == "Imprimer un article") {
            printing = n;
            printingText = text;
        } else if (title == "L'aper\xE7u avant impression") {
            previewArticle = n;
            previewText = text;
        }
        return true;
    });
    ASSERT_NE(printing, 0) << "no article on printing";
    ASSERT_NE(previewArticle, 0) << "no article on the preview";
    for (const std::u16string& words : {std::u16string(u"Ctrl+P"), std::u16string(u"PDF"), preview,
                                        std::u16string(u"Ctrl+Maj+P")})
        EXPECT_NE(printingText.find(words), std::u16string::npos);
    EXPECT_EQ(printingText.find(u"pas d'"), std::u16string::npos) << "the preview said absent";
    for (const std::u16string& words :
         {std::u16string(u"Ctrl+Maj+P"), std::u16string(u"Page suivante"),
          std::u16string(u"Agrandir"), std::u16string(u"Imprimer"), std::u16string(u"\u00C9chap")})
        EXPECT_NE(previewText.find(words), std::u16string::npos);
    std::vector<LinkRecord> links;
    store.ReadLinks(printing, links);
    EXPECT_TRUE(std::any_of(links.begin(), links.end(),
                            [&](const LinkRecord& l) { return l.target == previewArticle; }));
    const std::vector<OutlineRecord> records = outline();
    EXPECT_TRUE(std::any_of(records.begin(), records.end(),
                            [&](const OutlineRecord& r) { return r.article == previewArticle; }));
}

} // namespace
} // namespace tolvane
