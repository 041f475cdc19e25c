// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/articles/DataSourceWriter.h"
#include "core/authoring/BuildMessages.h"
#include "core/authoring/DataSourceChecker.h"
#include "core/common/Cp1252.h"
#include "support/ShellTool.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tolvane {
namespace {

using test::ExpectToolCases;
using test::TempDir;

bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

// The keywords of topics in one file: split, merged without regard to
// case, in French order, with their articles in the order of the topics.
TEST(KeywordsCommand, BuildWritesTheKeywordsAndTheToolListsThem) {
    TempDir dir;
    TempDir::writeFile(dir.file("aide.rtf"),
                       "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}"
                       "#{\\footnote A}${\\footnote Accueil}K{\\footnote \\'e9t\\'e9; Europe}"
                       "Voir {\\uldb B}{\\v B} et {\\uldb C}{\\v C}.\\par\\page\n"
                       "#{\\footnote B}${\\footnote Saisons}K{\\footnote \\'c9t\\'e9 ;est;"
                       " z\\'e8bre}B.\\par\\page\n"
                       "#{\\footnote C}${\\footnote Sans mot}C.\\par}");
    const std::string base = dir.file("AIDE");
    ExpectToolCases({
        {"build '" + dir.file("aide.rtf") + "' -o '" + base + "'", 0,
         "articles: 3, erreurs: 0, avertissements: 0\n"},
        {"keywords '" + base + "'", 0, "est\t2\nété\t1 2\nEurope\t1\nzèbre\t2\n"},
        {"keywords '" + base + ".PGD'", 0, "est\t2\nété\t1 2\nEurope\t1\nzèbre\t2\n"},
        {"check '" + base + "'", 0, "0 erreur(s), 0 avertissement(s)\n"},
    });
    // Built again from topics without keywords, the old index goes.
    TempDir::writeFile(dir.file("aide.rtf"),
                       "{\\rtf1\\ansi #{\\footnote A}${\\footnote A}A.\\par}");
    ExpectToolCases({
        {"build '" + dir.file("aide.rtf") + "' -o '" + base + "'", 0,
         "articles: 1, erreurs: 0, avertissements: 0\n"},
        {"keywords '" + base + "'", 1, ""},
        {"keywords", 2, ""},
    });
    EXPECT_FALSE(Exists(base + ".PGK"));
}

// A corpus project whose topics carry K footnotes.
TEST(KeywordsCommand, CorpusProject) {
    const std::string project =
        std::string(TOLVANE_SHARED_DIR) + "/corpus/helpsrc/ms-statlist/statlist/StatList.Hpj";
    if (!Exists(project))
        GTEST_SKIP() << "corpus absent: " << project;
    TempDir dir;
    const std::string base = dir.file("STATLIST");
    ExpectToolCases({
        {"build '" + project + "' -o '" + base + "'", 0,
         "articles: 5, erreurs: 0, avertissements: 0\n"},
        {"keywords '" + base + "'", 0,
         "Menu Items: Configure\t3\nMenu Items: File\t2\nMenu Items: Get Data!\t4\n"
         "Menu Items: Help\t5\nOverview\t1\n"},
    });
    // The export lists them on a page of their own, linked from the outline.
    ASSERT_EQ(test::RunToolInShell("export-html '" + base + "' '" + dir.file("site") + "'").status,
              0);
    const std::string page = TempDir::readFile(dir.file("site/mots-cles.html"));
    EXPECT_NE(page.find("<li><a href=\"article-3.html\">Menu Items: Configure</a></li>"),
              std::string::npos);
    EXPECT_NE(TempDir::readFile(dir.file("site/index.html")).find("href=\"mots-cles.html\""),
              std::string::npos);
}

// check reports keywords of articles absent from the index, and a damaged
// index; the keyword's article counts as reached.
TEST(KeywordsCommand, CheckReportsKeywordsOfAbsentArticles) {
    const struct {
        const char* name;
        std::string pgk; // replaces the written one when not empty
        std::vector<std::string> errors;
    } cases[] = {
        {"absent article", "", {"mot-clé « clé » : article 9 absent de l'index"}},
        {"damaged", "PGK1\x05", {"index des mots-clés endommagé : 0 mot(s)-clé(s) lisible(s)"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        DataSourceWriter writer;
        writer.addArticle(1, "Accueil", "{\\rtf1 a}");
        writer.addArticle(2, "Seul", "{\\rtf1 b}");
        KeywordIndex keywords;
        keywords.add(cp1252::fromUtf8("clé"), 2);
        keywords.add(cp1252::fromUtf8("clé"), 9);
        writer.setKeywords(std::move(keywords));
        ASSERT_TRUE(writer.write(dir.file("S")));
        if (!c.pgk.empty())
            TempDir::writeFile(dir.file("S.PGK"), c.pgk);
        authoring::BuildMessages findings;
        authoring::DataSourceChecker(findings).check(DataSourcePaths::fromBase(dir.file("S")));
        std::vector<std::string> errors, warnings;
        for (const authoring::BuildMessage& m : findings.list())
            (m.severity == authoring::BuildMessage::Severity::Error ? errors : warnings)
                .push_back(m.text);
        EXPECT_EQ(errors, c.errors);
        // Article 2 is reached through its keyword only while the index reads.
        EXPECT_EQ(warnings.size(), c.pgk.empty() ? 0u : 1u);
    }
}

} // namespace
} // namespace tolvane
