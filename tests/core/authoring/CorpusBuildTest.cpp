// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/authoring/DataSourceBuilder.h"
#include "core/authoring/DataSourceChecker.h"
#include "core/rtf/RtfReader.h"
#include "support/TempDir.h"
#include "support/WrittenBodies.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tolvane::authoring {
namespace {

struct CorpusProject {
    const char* path; // under the corpus's helpsrc folder
    size_t minArticles;
};

std::u16string Ascii(std::u16string text) {
    for (char16_t& c : text)
        c = c < 0x80 ? c : u'?';
    return text;
}

bool Exists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0;
}

// Every help project of the corpus builds, and every anchor lands on the
// characters of its hot spot in the viewer's own numbering of the body.
TEST(CorpusBuild, AnchorsLandOnTheirHotSpots) {
    const std::string root = std::string(TOLVANE_SHARED_DIR) + "/corpus/helpsrc/";
    if (!Exists(root))
        GTEST_SKIP() << "corpus absent: " << root;
    const CorpusProject projects[] = {
        {"ms-statlist/statlist/StatList.Hpj", 5},
        {"ms-statlist/leakybin/LeakyBin.Hpj", 4},
        {"calques3d/Calques3D.hpj", 60},
        {"cdex/CDex.hpj", 150},
        {"winprom/winprom.hpj", 350},
        {"winprom/winelev/winelev.hpj", 2},
    };
    for (const CorpusProject& p : projects) {
        SCOPED_TRACE(p.path);
        BuildMessages messages;
        DataSourceBuilder builder(messages);
        builder.setKeepHotText(true);
        builder.addSource(root + p.path);
        DataSourceWriter writer;
        builder.build(writer);
        EXPECT_GE(builder.articles().size(), p.minArticles);
        size_t links = 0;
        const auto bodies = test::WrittenBodies(writer);
        for (const DataSourceBuilder::Article& a : builder.articles()) {
            const SourceTopic& topic = builder.topics()[a.topic];
            SCOPED_TRACE(topic.id);
            const rtf::RichDocument doc = rtf::RtfReader::read(bodies.at(a.number));
            EXPECT_EQ(doc.text.size(), static_cast<size_t>(topic.length));
            ASSERT_EQ(topic.hotTexts.size(), topic.links.size());
            size_t k = 0;
            for (size_t n = 0; n < topic.links.size(); ++n) {
                const SourceLink& l = topic.links[n];
                // Links to unknown topics were dropped: find the next kept one.
                if (k >= a.links.size() || a.links[k].first != l.first)
                    continue;
                ++k;
                ASSERT_LE(l.last, static_cast<int32_t>(doc.text.size()) - 1);
                // Symbol-font bytes are mapped by the reader through the font's
                // code page; only the numbering is compared for them.
                EXPECT_EQ(Ascii(doc.text.substr(l.first, l.last - l.first + 1)),
                          Ascii(topic.hotTexts[n]));
                ++links;
            }
        }
        EXPECT_GT(links, 0u);
        // What the build kept checks without errors (unreachable articles,
        // reached only through the application's context help, are warnings).
        test::TempDir dir;
        ASSERT_TRUE(writer.write(dir.file("S")));
        BuildMessages findings;
        DataSourceChecker(findings).check(DataSourcePaths::fromBase(dir.file("S")));
        EXPECT_EQ(findings.errorCount(), 0u);
    }
}

} // namespace
} // namespace tolvane::authoring
