// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/articles/DataSourceWriter.h"
#include "core/authoring/HtmlExporter.h"
#include "core/rtf/RtfReader.h"
#include "support/ShellTool.h"
#include "support/TempDir.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>

namespace tolvane {
namespace {

TEST(RtfCommandTest, RtfAndArticle_PrintTheDisplayedText) {
    test::TempDir dir;
    const std::string rtf = "{\\rtf1\\ansi Caf\\'e9\\par a\\tab{\\pict 00}\\cell b}";
    test::TempDir::writeFile(dir.file("a.rtf"), rtf);
    DataSourceWriter writer;
    writer.addArticle(7, "Titre", rtf);
    ASSERT_TRUE(writer.write(dir.file("BASE")));

    const std::string file = dir.file("a.rtf");
    const std::string base = dir.file("BASE");
    test::ExpectToolCases({
        {"rtf " + file, 0, "Café\na\t￼\tb"},
        {"rtf --text " + file, 0, "Café\na\t￼\tb"},
        {"rtf " + file + " --paragraphs", 0, "0\tCafé\n6\ta\t￼\n10\tb\n"},
        {"rtf --count " + file, 0, "11\n"},
        {"rtf --model " + file, 0,
         "P 0-4 par\n  S 0-4 |Café|\nP 6-9 cell row 0 cell 0\n  S 6-8 |a\t|\n"
         "  S 8-9 picture 0\nP 10-11 none\n  S 10-11 |b|\nR 0 depth 1\n"},
        {"rtf --model --count " + file, 2, ""},
        {"rtf --count - < " + file, 0, "11\n"},
        {"rtf " + dir.file("missing.rtf"), 1, ""},
        {"rtf", 2, ""},
        {"rtf --count --text " + file, 2, ""},
        {"rtf --bogus " + file, 2, ""},
        {"article " + base + " 7 --text", 0, "Café\na\t￼\tb"},
        {"article " + base + " 7 --paragraphs", 0, "0\tCafé\n6\ta\t￼\n10\tb\n"},
        {"article " + base + " 7 --count", 0, "11\n"},
        {"article " + base + " 7 --title", 0, "Titre\n"},
        {"article " + base + " 8 --count", 1, ""},
        {"article " + base + " 7 --count --text", 2, ""},
    });
}

// --html writes the page the library makes of the same document: for an
// article, its title and its links too.
TEST(RtfCommandTest, RtfAndArticle_HtmlIsTheLibraryPage) {
    test::TempDir dir;
    const std::string rtf =
        "{\\rtf1\\ansi \\trowd\\clmgf\\cellx1000\\clmrg\\cellx2000\\intbl "
        "Caf\\'e9\\cell\\cell\\row\\pard Voir{\\chftn{\\footnote Note.}} ici.\\par}";
    test::TempDir::writeFile(dir.file("a.rtf"), rtf);
    DataSourceWriter writer;
    const std::vector<LinkRecord> links{{12, 15, 3, 0}};
    writer.addArticle(7, "Titre \xE9", rtf, links);
    ASSERT_TRUE(writer.write(dir.file("BASE")));
    const rtf::RichDocument doc = rtf::RtfReader::read(rtf);
    const std::string file = dir.file("a.rtf");
    const std::string filePage = authoring::DocumentHtml(doc, file);
    const std::string articlePage = authoring::DocumentHtml(doc, "Titre \xE9", links);
    EXPECT_NE(filePage.find("colspan=\"2\""), std::string::npos);
    EXPECT_NE(articlePage.find("<a href=\"article-3.html\">"), std::string::npos);
    test::ExpectToolCases({
        {"rtf " + file + " --html", 0, filePage},
        {"rtf --html " + file, 0, filePage},
        {"rtf --html --text " + file, 2, ""},
        {"article " + dir.file("BASE") + " 7 --html", 0, articlePage},
        {"article " + dir.file("BASE") + " 8 --html", 1, ""},
        {"article " + dir.file("BASE") + " 7 --html --title", 2, ""},
    });
}

} // namespace
} // namespace tolvane
