// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/articles/OutlineRecord.h"
#include "core/authoring/DataSourceBuilder.h"
#include "core/rtf/RtfReader.h"
#include "support/ShellTool.h"
#include "support/TempDir.h"
#include "support/WrittenBodies.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>

namespace tolvane::authoring {
namespace {

using test::TempDir;

// The tool's output and error output together, and its exit status.
int RunTool(const std::string& arguments, std::string& output) {
    const test::ShellToolRun run = test::RunToolInShell(arguments, true);
    output = run.out;
    return run.status;
}

// Golden case: a small project through build, then the tool's own dumps.
TEST(BuildCommand, SmallProjectGivesTheExpectedDataSource) {
    TempDir dir;
    TempDir::writeFile(
        dir.file("Aide.rtf"),
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\n"
        "#{\\footnote INTRO}${\\footnote Introduction}Lire {\\uldb la suite}{\\v SUITE}"
        " et le {\\ul mot}{\\v MOT}.\\par\\page\n"
        "#{\\footnote SUITE}${\\footnote La suite}Retour {\\strike ici}{\\v intro>main}.\\par"
        "\\page\n"
        "#{\\footnote MOT}${\\footnote Mot}D\\'e9finition.\\par}\n");
    TempDir::writeFile(dir.file("aide.hpj"),
                       "[OPTIONS]\nCONTENTS=INTRO\n[FILES]\nAIDE.RTF\n[MAP]\nSUITE 0x0A\n");
    const std::string base = dir.file("OUT");
    std::string out;
    ASSERT_EQ(RunTool("build " + dir.file("aide.hpj") + " -o " + base, out), 0) << out;
    EXPECT_EQ(out, "articles: 3, erreurs: 0, avertissements: 0\n");
    struct Case {
        std::string arguments;
        std::string expected;
    };
    const Case cases[] = {
        {"index " + base, "1 0 0 2\n10 146 32 1\n2 263 48 0\narticles: 3\n"},
        {"article " + base + " 1 --links", "5 12 10 0\n20 22 2 0\n"},
        {"article " + base + " 1 --text", "Lire la suite et le mot.\n"},
        {"article " + base + " 10 --links", "7 9 1 0\n"},
        {"article " + base + " 2 --title", "#POPUP:Mot\n"},
        {"check " + base, "0 erreur(s), 0 avertissement(s)\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RunTool(c.arguments, out), 0) << c.arguments;
        EXPECT_EQ(out, c.expected) << c.arguments;
    }
}

TEST(BuildCommand, ErrorsStopTheBuildUnlessKeepGoing) {
    TempDir dir;
    TempDir::writeFile(dir.file("a.rtf"),
                       "{\\rtf1 #{\\footnote A}{\\uldb x}{\\v NULLE_PART}\\par}");
    std::string out;
    EXPECT_EQ(RunTool("build " + dir.file("a.rtf") + " -o " + dir.file("S"), out), 1);
    EXPECT_NE(out.find("a.rtf:1: erreur : lien vers un topique inconnu"), std::string::npos) << out;
    struct stat st {};
    EXPECT_NE(stat(dir.file("S.PGD").c_str(), &st), 0);
    EXPECT_EQ(RunTool("build " + dir.file("a.rtf") + " -o " + dir.file("S") + " --keep-going", out),
              0);
    EXPECT_EQ(stat(dir.file("S.PGD").c_str(), &st), 0);
    EXPECT_EQ(RunTool("build -o " + dir.file("S"), out), 2);
    EXPECT_EQ(RunTool("check " + dir.file("NOPE"), out), 1);
}

// The bundled guide builds without a message, has the promised size and
// depth, and its anchors land on their hot spots.
TEST(BuildCommand, BundledGuide) {
    const std::string guide = std::string(TOLVANE_SOURCE_DIR) + "/samples/guide/GUIDE.hpj";
    TempDir dir;
    // The guide's picture is drawn at build time; any BMP will do here.
    std::string bmp = "BM";
    bmp += std::string("\x3A\x00\x00\x00\x00\x00\x00\x00\x36\x00\x00\x00\x28\x00\x00\x00"
                       "\x01\x00\x00\x00\x01\x00\x00\x00\x01\x00\x18\x00\x00\x00\x00\x00"
                       "\x04\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"
                       "\x00\x00\x00\x00\xFF\x00\x00\x00",
                       56);
    TempDir::writeFile(dir.file("tolvane.bmp"), bmp);
    BuildMessages messages;
    DataSourceBuilder builder(messages);
    builder.setKeepHotText(true);
    builder.addBitmapFolder(dir.path());
    builder.addSource(guide);
    DataSourceWriter writer;
    ASSERT_TRUE(builder.build(writer));
    EXPECT_EQ(messages.list().size(), 0u);
    size_t pages = 0, popups = 0, links = 0, pictures = 0;
    const auto bodies = test::WrittenBodies(writer);
    for (const DataSourceBuilder::Article& a : builder.articles()) {
        (a.popup ? popups : pages)++;
        const SourceTopic& t = builder.topics()[a.topic];
        const rtf::RichDocument doc = rtf::RtfReader::read(bodies.at(a.number));
        pictures += doc.pictures.size();
        ASSERT_EQ(t.hotTexts.size(), t.links.size());
        for (size_t k = 0; k < t.links.size(); ++k) {
            const SourceLink& l = t.links[k];
            EXPECT_EQ(doc.text.substr(l.first, l.last - l.first + 1), t.hotTexts[k]) << t.id;
            ++links;
        }
    }
    EXPECT_GE(pages, 30u);
    EXPECT_GE(popups, 8u);
    EXPECT_GT(links, 100u);
    EXPECT_EQ(pictures, 1u);
    // Folder headings nest six deep somewhere: a chain of references.
    const std::string fic = writer.ficBytes();
    std::map<std::string, std::string> parent;
    std::map<std::string, int> depth;
    size_t deepest = 0;
    for (size_t at = 0; at + OutlineRecord::kSize <= fic.size(); at += OutlineRecord::kSize) {
        const OutlineRecord r =
            OutlineRecord::decode(reinterpret_cast<const unsigned char*>(fic.data()) + at);
        if (r.title.empty())
            break;
        const std::string p = r.placement == OutlineRecord::kPlacementBeside
                                  ? parent[r.referenceKey]
                                  : r.referenceKey;
        parent[r.nodeKey] = p;
        depth[r.nodeKey] = p == "0" ? 1 : depth[p] + 1;
        if (r.article == 0)
            deepest = std::max<size_t>(deepest, depth[r.nodeKey]);
    }
    EXPECT_GE(deepest, 6u);
}

} // namespace
} // namespace tolvane::authoring
