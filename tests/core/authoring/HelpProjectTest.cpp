// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/authoring/HelpProject.h"

#include "core/authoring/ContentsFile.h"
#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace tolvane::authoring {
namespace {

using test::TempDir;

TEST(HelpProject, ReadsOptionsFilesMapAndAliases) {
    TempDir dir;
    std::filesystem::create_directories(dir.file("Sub"));
    TempDir::writeFile(dir.file("Sub/Ids.HM"),
                       "// ids\n#define HID_A 0x10066\nHID_B\t12\n#define BAD x\n");
    TempDir::writeFile(dir.file("p.hpj"),
                       "; comment\r\n[OPTIONS]\r\nCONTENTS=home ; c\r\nTITLE=Aide\r\n"
                       "ROOT=sub\r\nBMROOT=C:\\absent\r\n[FILES]\r\na.rtf\r\n[MAP]\r\n"
                       "DIRECT 7\r\nEQ=0x20\r\n#include <sub\\ids.hm>\r\n#include nowhere.hm\r\n"
                       "[ALIAS]\r\nX = Y ; why\r\n");
    BuildMessages messages;
    HelpProject p;
    ASSERT_TRUE(p.load(dir.file("p.hpj"), messages));
    EXPECT_EQ(p.contentsTopic(), "home");
    EXPECT_EQ(p.title(), "Aide");
    EXPECT_EQ(p.files(), std::vector<std::string>{"a.rtf"});
    ASSERT_EQ(p.map().size(), 4u);
    const std::pair<const char*, int64_t> expected[] = {
        {"DIRECT", 7}, {"EQ", 0x20}, {"HID_A", 0x10066}, {"HID_B", 12}};
    for (size_t k = 0; k < 4; ++k) {
        EXPECT_EQ(p.map()[k].id, expected[k].first);
        EXPECT_EQ(p.map()[k].number, expected[k].second);
    }
    EXPECT_EQ(p.map()[3].line, 3);
    EXPECT_NE(p.map()[3].file.find("Ids.HM"), std::string::npos);
    ASSERT_EQ(p.aliases().size(), 1u);
    EXPECT_EQ(p.aliases()[0], (std::pair<std::string, std::string>{"X", "Y"}));
    // Three warnings: the absolute BMROOT, the unreadable map line, the
    // missing include; each with its line.
    std::string all;
    for (const BuildMessage& m : messages.list())
        all += m.format() + "\n";
    EXPECT_EQ(messages.warningCount(), 3u) << all;
    EXPECT_NE(all.find("p.hpj:6: avertissement : dossier BMROOT"), std::string::npos) << all;
    EXPECT_NE(all.find("Ids.HM:4: avertissement : ligne de correspondance illisible"),
              std::string::npos)
        << all;
    EXPECT_NE(all.find("p.hpj:13: avertissement : fichier inclus introuvable"), std::string::npos)
        << all;
    EXPECT_EQ(HelpProject::findIn(p.roots(), "IDS.hm"), dir.file("Sub/Ids.HM"));
}

TEST(ContentsFile, ReadsHeadingsAndTopics) {
    BuildMessages messages;
    ContentsFile c;
    c.parse(":Base x.hlp>main\n:Title Le titre\n:Include autre.cnt\n1 Livre\n2 Page=ID_A\n"
            "2 A \\= B=ID_B@autre.hlp\n3 Fen\xEAtre=ID_C>sec\nligne perdue\n2 Vide=\n\x1A\n",
            "c.cnt", messages);
    EXPECT_EQ(c.title(), "Le titre");
    struct Expected {
        int level;
        const char* title;
        const char* topic;
        bool otherFile;
    };
    const Expected expected[] = {{1, "Livre", "", false},
                                 {2, "Page", "ID_A", false},
                                 {2, "A = B", "ID_B", true},
                                 {3, "Fen\xEAtre", "ID_C", false}};
    ASSERT_EQ(c.entries().size(), 4u);
    for (size_t k = 0; k < 4; ++k) {
        EXPECT_EQ(c.entries()[k].level, expected[k].level);
        EXPECT_EQ(c.entries()[k].title, expected[k].title);
        EXPECT_EQ(c.entries()[k].topic, expected[k].topic);
        EXPECT_EQ(c.entries()[k].otherFile, expected[k].otherFile);
    }
    ASSERT_EQ(messages.warningCount(), 3u);
    EXPECT_EQ(messages.list()[0].line, 3);
    EXPECT_EQ(messages.list()[1].line, 8);
    EXPECT_EQ(messages.list()[2].line, 9);
}

} // namespace
} // namespace tolvane::authoring
