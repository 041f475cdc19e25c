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

// The same RTF as a file, a.rtf, and as the body of article 7 of a data
// source, BASE.
struct RtfAndArticle {
    test::TempDir dir;
    const std::string file = dir.file("a.rtf");
    const std::string base = dir.file("BASE");

    RtfAndArticle(const std::string& rtf, const std::string& title,
                  const std::vector<LinkRecord>& links = {}) {
        test::TempDir::writeFile(file, rtf);
        DataSourceWriter writer;
        writer.addArticle(7, title, rtf, links);
        EXPECT_TRUE(writer.write(base));
    }
};

TEST(RtfCommandTest, RtfAndArticle_PrintTheDisplayedText) {
    const RtfAndArticle in("{\\rtf1\\ansi Caf\\'e9\\par a\\tab{\\pict 00}\\cell b}", "Titre");
    test::ExpectToolCases(
        {
            {in.file, 0, "Café\na\t￼\tb"},
            {"--text " + in.file, 0, "Café\na\t￼\tb"},
            {in.file + " --paragraphs", 0, "0\tCafé\n6\ta\t￼\n10\tb\n"},
            {"--count " + in.file, 0, "11\n"},
            {"--model " + in.file, 0,
             "P 0-4 par\n  S 0-4 |Café|\nP 6-9 cell row 0 cell 0\n  S 6-8 |a\t|\n"
             "  S 8-9 picture 0\nP 10-11 none\n  S 10-11 |b|\nR 0 depth 1\n"},
            {"--model --count " + in.file, 2, ""},
            {"--count - < " + in.file, 0, "11\n"},
            {in.dir.file("missing.rtf"), 1, ""},
            {"", 2, ""},
            {"--count --text " + in.file, 2, ""},
            {"--bogus " + in.file, 2, ""},
        },
        "rtf ");
    test::ExpectToolCases(
        {
            {"7 --text", 0, "Café\na\t￼\tb"},
            {"7 --paragraphs", 0, "0\tCafé\n6\ta\t￼\n10\tb\n"},
            {"7 --count", 0, "11\n"},
            {"7 --title", 0, "Titre\n"},
            {"8 --count", 1, ""},
            {"7 --count --text", 2, ""},
        },
        "article " + in.base + " ");
}

// --html writes the page the library makes of the same document: for an
// article, its title and its links too.
TEST(RtfCommandTest, RtfAndArticle_HtmlIsTheLibraryPage) {
    const std::string rtf =
        "{\\rtf1\\ansi \\trowd\\clmgf\\cellx1000\\clmrg\\cellx2000\\intbl "
        "Caf\\'e9\\cell\\cell\\row\\pard Voir{\\chftn{\\footnote Note.}} ici.\\par}";
    const std::vector<LinkRecord> links{{12, 15, 3, 0}};
    const RtfAndArticle in(rtf, "Titre \xE9", links);
    const rtf::RichDocument doc = rtf::RtfReader::read(rtf);
    const std::string filePage = authoring::DocumentHtml(doc, in.file);
    const std::string articlePage = authoring::DocumentHtml(doc, "Titre \xE9", links);
    EXPECT_NE(filePage.find("colspan=\"2\""), std::string::npos);
    EXPECT_NE(articlePage.find("<a href=\"article-3.html\">"), std::string::npos);
    test::ExpectToolCases({
        {"rtf " + in.file + " --html", 0, filePage},
        {"rtf --html " + in.file, 0, filePage},
        {"rtf --html --text " + in.file, 2, ""},
        {"article " + in.base + " 7 --html", 0, articlePage},
        {"article " + in.base + " 8 --html", 1, ""},
        {"article " + in.base + " 7 --html --title", 2, ""},
    });
}

} // namespace
} // namespace tolvane
