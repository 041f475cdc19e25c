// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/authoring/HtmlExporter.h"

#include "core/articles/ArticleStore.h"
#include "core/articles/OutlineRecord.h"
#include "core/authoring/DataSourceBuilder.h"
#include "core/rtf/RtfReader.h"
#include "core/search/SearchPhrases.h"
#include "support/CorpusFiles.h"
#include "support/TempDir.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tolvane::authoring {
namespace {

using test::TempDir;

const char* const kTopics =
    "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\n"
    "#{\\footnote ACCUEIL}${\\footnote Accueil}{\\b Accueil}\\par Voir {\\uldb la suite}{\\v SUITE}"
    " et le {\\ul mot}{\\v MOT}.\\par\\page\n"
    "#{\\footnote SUITE}${\\footnote La suite d\\'e9taill\\'e9e}Texte <b>&amp; "
    "\\trowd\\cellx2000\\cellx4000\\intbl A\\cell B\\cell\\row\\pard fin.\\par\\page\n"
    "#{\\footnote MOT}${\\footnote Mot}D\\'e9finition du mot.\\par}\n";

// Builds the small help project and exports it; returns the site folder.
void Export(const TempDir& dir) {
    BuildMessages messages;
    DataSourceBuilder builder(messages);
    builder.addTopicText("aide.rtf", kTopics);
    DataSourceWriter writer;
    ASSERT_TRUE(builder.build(writer));
    ASSERT_TRUE(writer.write(dir.file("AIDE")));
    HtmlExporter exporter(messages);
    ASSERT_TRUE(exporter.exportSite(DataSourcePaths::fromBase(dir.file("AIDE")), dir.file("site"),
                                    "Aide \xE9"));
    EXPECT_EQ(exporter.pageCount(), 2u);
}

TEST(HtmlExporter, WritesPagesNotesOutlineAndSearchIndex) {
    TempDir dir;
    Export(dir);
    const std::string home = TempDir::readFile(dir.file("site/index.html"));
    const std::string suite = TempDir::readFile(dir.file("site/article-2.html"));
    const std::string search = TempDir::readFile(dir.file("site/index-recherche.js"));
    struct Case {
        const std::string* page;
        const char* fragment;
    };
    const Case cases[] = {
        {&home, "<meta charset=\"utf-8\">"},
        {&home,
         "<a href=\"article-2.html\"><span style=\"text-decoration:underline;color:#008000;\">"
         "la suite</span></a>"},
        {&home, "<a class=\"pop\" href=\"#note-3\" data-note=\"note-3\"><span "
                "style=\"text-decoration:underline dotted;\">mot</span></a>"},
        {&home,
         "<aside class=\"note\" role=\"note\" id=\"note-3\"><p class=\"note-title\">Mot</p>"},
        {&home, "Définition"},
        {&home, "<title>Accueil - Aide é</title>"},
        {&home, "<a href=\"index.html\" aria-current=\"page\">Accueil</a>"},
        {&suite, "<a href=\"article-2.html\" aria-current=\"page\">La suite détaillée</a>"},
        {&suite, "<tr><td><p>Texte &lt;b&gt;&amp;amp; A</p>"},
        {&suite, "</td><td><p>B</p>"},
        {&search, "\"t\":\"La suite détaillée\""},
    };
    for (const Case& c : cases)
        EXPECT_NE(c.page->find(c.fragment), std::string::npos) << c.fragment;
    // Popup articles get no page of their own; nothing is fetched from elsewhere.
    struct stat st {};
    EXPECT_NE(stat(dir.file("site/article-3.html").c_str(), &st), 0);
    for (const std::string* page : {&home, &suite})
        EXPECT_EQ(page->find("http"), std::string::npos);
}

// The outline on the pages is the viewer's tree: a node goes under its
// reference node, beside it with placement 2, and an unknown reference
// falls back to the last one found.
TEST(HtmlExporter, OutlineNestsAsTheViewerPlacesIt) {
    TempDir dir;
    DataSourceWriter writer;
    writer.addArticle(1, "Un", "{\\rtf1 Un.}");
    writer.addArticle(2, "Deux", "{\\rtf1 Deux.}");
    // Key, title, reference key, article, placement.
    for (const OutlineRecord& r : std::vector<OutlineRecord>{
             {"a", "Livre", "0", 0, 0},
             {"b", "Un", "a", 1, 0},
             {"c", "Deux", "b", 2, OutlineRecord::kPlacementBeside},
             {"d", "Perdu", "zz", 0, 0},
             {"e", "Fin", "0", 0, 0},
         })
        writer.addOutline(r);
    ASSERT_TRUE(writer.write(dir.file("AIDE")));
    BuildMessages messages;
    HtmlExporter exporter(messages);
    ASSERT_TRUE(
        exporter.exportSite(DataSourcePaths::fromBase(dir.file("AIDE")), dir.file("site"), "Aide"));
    const std::string page = TempDir::readFile(dir.file("site/article-2.html"));
    EXPECT_NE(page.find("<ul class=\"tree\"><li class=\"book\"><details><summary>Livre</summary>"
                        "<ul><li class=\"book\"><details><summary><a href=\"index.html\">Un</a>"
                        "</summary><ul><li class=\"book\">Perdu</li></ul></details></li>"
                        "<li class=\"page\"><a href=\"article-2.html\" aria-current=\"page\">"
                        "Deux</a></li></ul></details></li><li class=\"book\">Fin</li></ul>"),
              std::string::npos)
        << page;
}

// The search page of the exported guide finds what its pages show: every
// article's entry holds the phrases of its displayed text, runs inside
// formatting groups and link texts included, and no word glued together
// from both sides of a group.
TEST(HtmlExporter, SearchIndexHoldsTheDisplayedText) {
    TempDir dir;
    BuildMessages messages;
    DataSourceBuilder builder(messages);
    builder.addSource(std::string(TOLVANE_SOURCE_DIR) + "/samples/guide/GUIDE.hpj");
    DataSourceWriter writer;
    ASSERT_TRUE(builder.build(writer));
    ASSERT_TRUE(writer.write(dir.file("GUIDE")));
    HtmlExporter exporter(messages);
    const DataSourcePaths paths = DataSourcePaths::fromBase(dir.file("GUIDE"));
    ASSERT_TRUE(exporter.exportSite(paths, dir.file("site"), "Guide"));
    const std::string index = TempDir::readFile(dir.file("site/index-recherche.js"));

    ArticleIndex articles;
    ArticleStore store(paths, articles);
    store.LoadIndex();
    std::mt19937 random(7);
    size_t checked = 0;
    for (const DataSourceBuilder::Article& a : builder.articles()) {
        if (a.popup || IsPopupTitle(a.title))
            continue;
        ArticleRecord record;
        ASSERT_TRUE(store.ReadArticle(a.number, record));
        const std::string page =
            "{\"p\":\"" +
            (a.number == 1 ? std::string("index") : "article-" + std::to_string(a.number)) +
            ".html\"";
        const size_t entry = index.find(page);
        const size_t next = index.find("\n{\"p\":", entry);
        ASSERT_NE(entry, std::string::npos) << a.number;
        const std::string x = index.substr(entry, next - entry);
        for (const test::Phrase& p :
             test::PhrasesOf(rtf::RtfReader::read(record.body), a.links, random)) {
            if (p.text.find_first_of("\"\\<") != std::string::npos)
                continue;
            EXPECT_NE(x.find(cp1252::toUtf8(p.text)), std::string::npos)
                << a.number << ": " << cp1252::toUtf8(p.text);
            ++checked;
        }
    }
    EXPECT_GT(checked, 50u);
    EXPECT_NE(index.find("des articles reliés"), std::string::npos);
    EXPECT_EQ(index.find("deseliés"), std::string::npos);
}

std::string Chromium(const std::string& page, const char* extra) {
    const std::string command =
        std::string("/usr/bin/chromium --headless --no-sandbox --disable-gpu ") + extra +
        " --dump-dom file://" + page + " 2>/dev/null";
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            out.append(buffer, n);
        pclose(pipe);
    }
    return out;
}

// In a real browser: a click on a popup link opens its note and a click
// elsewhere closes it; a click on a link goes to the target's page.
TEST(HtmlExporter, LinksAndPopupsWorkInChromium) {
    struct stat st {};
    if (stat("/usr/bin/chromium", &st) != 0)
        GTEST_SKIP() << "/usr/bin/chromium absent (scripts/install-deps.sh --browser installs it)";
    TempDir dir;
    Export(dir);
    const std::string home = TempDir::readFile(dir.file("site/index.html"));
    auto withScript = [&](const std::string& name, const std::string& script) {
        std::string page = home;
        page.insert(page.rfind("</body>"),
                    "<script>window.addEventListener('load',function(){" + script + "});</script>");
        TempDir::writeFile(dir.file("site/" + name), page);
        return dir.file("site/" + name);
    };
    const std::string popup =
        withScript("t-popup.html",
                   "var r=[];var a=document.querySelector('main a.pop');a.click();"
                   "var n=document.getElementById(a.getAttribute('data-note'));"
                   "r.push(getComputedStyle(n).display);document.querySelector('main p').click();"
                   "r.push(getComputedStyle(n).display);document.body.setAttribute('data-result',r."
                   "join(','));");
    EXPECT_NE(Chromium(popup, "").find("data-result=\"block,none\""), std::string::npos);
    const std::string jump =
        withScript("t-jump.html", "document.querySelector('main a[href^=\"article-\"]').click();");
    EXPECT_NE(Chromium(jump, "--virtual-time-budget=5000")
                  .find("<title>La suite détaillée - Aide é</title>"),
              std::string::npos);
}

// The page of one document: a table with a span over two cells, a span over
// two rows, shading and one declared side; a footnote; a boxed, shaded
// paragraph; a link; text escaped everywhere.
TEST(HtmlExporter, DocumentPageShowsTablesNotesAndBorders) {
    const char* const rtf =
        "{\\rtf1\\ansi{\\colortbl;\\red255\\green0\\blue0;\\red204\\green238\\blue255;}\n"
        "\\trowd\\clcbpat2\\clmgf\\cellx2000\\clmrg\\cellx4000\\clvmgf\\cellx6000"
        "\\intbl Fusion\\cell\\cell Haut\\cell\\row\n"
        "\\trowd\\clbrdrt\\brdrs\\cellx2000\\cellx4000\\clvmrg\\cellx6000"
        "\\intbl A & <b>\\cell B\\cell\\cell\\row\n"
        "\\pard Texte{\\super\\chftn{\\footnote\\pard{\\super\\chftn} La <note>.}} suite.\\par\n"
        "\\pard\\box\\brdrs\\cbpat1 Encadr\\'e9.\\par}";
    const rtf::RichDocument doc = rtf::RtfReader::read(rtf);
    // "Texte" begins at the paragraph after the table.
    const auto at = static_cast<int32_t>(doc.text.find(u"suite"));
    const std::string page = DocumentHtml(doc, "Essai \xE9", {{at, at + 4, 1, 0}});
    const char* const fragments[] = {
        "<meta charset=\"utf-8\">",
        "<title>Essai é</title>",
        "<table><tr><td colspan=\"2\" style=\"background:#cceeff;\"><p>Fusion</p>\n</td>"
        "<td rowspan=\"2\"><p>Haut</p>\n</td></tr>",
        "<tr><td style=\"border-top:1px solid #000;\"><p>A &amp; &lt;b&gt;</p>\n</td>"
        "<td><p>B</p>\n</td></tr></table>",
        "<p>Texte<sup class=\"fn\"><a href=\"#fn-1\">1</a></sup> <a href=\"index.html\">suite</a>"
        ".</p>",
        "<p style=\"border-top:1px solid #000;border-right:1px solid #000;border-bottom:1px solid "
        "#000;border-left:1px solid #000;padding:.2em "
        ".4em;background:#ff0000;\">Encadré.</p>",
        "<div class=\"footnotes\"><p id=\"fn-1\">1 La &lt;note&gt;.</p></div>",
    };
    for (const char* fragment : fragments)
        EXPECT_NE(page.find(fragment), std::string::npos) << fragment << "\n" << page;
    // Nothing from elsewhere; a cell covered by a span writes no cell.
    EXPECT_EQ(page.find("http"), std::string::npos);
    EXPECT_EQ(page.find("<link"), std::string::npos);
    EXPECT_EQ(page.find("<td></td>"), std::string::npos);
}

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// Every table, row, cell and paragraph of the page closes, and every note
// has its mark.
void ExpectBalancedPage(const std::string& rtf) {
    const rtf::RichDocument doc = rtf::RtfReader::read(rtf);
    const std::string page = DocumentHtml(doc, "x");
    EXPECT_EQ(Count(page, "<table>"), Count(page, "</table>"));
    EXPECT_EQ(Count(page, "<tr>"), Count(page, "</tr>"));
    EXPECT_EQ(Count(page, "<td"), Count(page, "</td>"));
    EXPECT_EQ(Count(page, "<p"), Count(page, "</p>"));
    EXPECT_EQ(Count(page, "<sup class=\"fn\">"), doc.notes.size());
}

TEST(HtmlExporter, DocumentPageIsBalanced) {
    const char* const cases[] = {
        // Notes at a cell's mark, after the last row, past the text.
        "{\\rtf1 \\trowd\\cellx1000\\intbl A{\\chftn{\\footnote N.}}\\cell\\row}",
        "{\\rtf1 \\trowd\\cellx1000\\intbl A\\cell\\row{\\chftn{\\footnote N.}}}",
        "{\\rtf1 Fin.{\\chftn{\\footnote N.}}}",
        // A covered cell last in the table; a merge with no first cell; more
        // cells in the text than declared; a span past the last row.
        "{\\rtf1 \\trowd\\clmgf\\cellx1000\\clmrg\\cellx2000\\intbl A\\cell B\\cell\\row}",
        "{\\rtf1 \\trowd\\clmrg\\cellx1000\\clvmrg\\cellx2000\\intbl A\\cell B\\cell\\row x\\par}",
        "{\\rtf1 \\trowd\\cellx1000\\intbl A\\cell B\\cell C\\cell\\row}",
        "{\\rtf1 \\trowd\\clvmgf\\cellx1000\\intbl A\\cell\\row}",
        // A nested table.
        "{\\rtf1 \\intbl A\\nestcell{\\*\\nesttableprops\\trowd\\cellx500\\nestrow}\\cell"
        "\\trowd\\cellx1000\\row}",
    };
    for (const char* rtf : cases) {
        SCOPED_TRACE(rtf);
        ExpectBalancedPage(rtf);
    }
}

// Real documents give balanced pages too.
TEST(HtmlExporter, DocumentPageOfCorpusFilesIsBalanced) {
    test::ForEachCorpusRtf(ExpectBalancedPage);
}

} // namespace
} // namespace tolvane::authoring
