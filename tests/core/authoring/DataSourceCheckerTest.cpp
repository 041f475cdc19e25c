// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/authoring/DataSourceChecker.h"

#include "core/articles/DataSourceWriter.h"
#include "core/common/LittleEndian.h"
#include "support/TempDir.h"

#include <functional>
#include <gtest/gtest.h>

namespace tolvane::authoring {
namespace {

using test::TempDir;

const char* const kBody = "{\\rtf1 Bonjour le monde}"; // 16 positions

OutlineRecord Node(const char* key, const char* title, const char* ref, ArticleNumber article) {
    return {key, title, ref, article};
}

// A sound data source, then one fault at a time: each gives its finding.
TEST(DataSourceChecker, FindsEachFault) {
    struct Case {
        const char* name;
        std::function<void(DataSourceWriter&)> make;
        size_t errors;
        size_t warnings;
        const char* fragment;
    };
    auto sound = [](DataSourceWriter& w) {
        w.addArticle(1, "Accueil", kBody, {{0, 6, 2, 0}});
        w.addArticle(2, "Suite", kBody, {{8, 15, 3, 0}});
        w.addArticle(3, "#POPUP:Mot", kBody);
        w.addOutline(Node("a", "Accueil", "0", 1));
    };
    const Case cases[] = {
        {"sound", sound, 0, 0, ""},
        {"link target absent",
         [](DataSourceWriter& w) {
             w.addArticle(1, "Accueil", kBody, {{0, 6, 9, 0}});
             w.addOutline(Node("a", "Accueil", "0", 1));
         },
         1, 0, "la cible 9 n'est pas dans l'index"},
        {"anchor past the text",
         [](DataSourceWriter& w) {
             w.addArticle(1, "Accueil", kBody, {{10, 16, 1, 0}});
         },
         1, 0, "ancre hors du texte"},
        {"anchor reversed",
         [](DataSourceWriter& w) {
             w.addArticle(1, "Accueil", kBody, {{5, 4, 1, 0}});
         },
         1, 0, "ancre hors du texte"},
        {"overlapping anchors",
         [](DataSourceWriter& w) {
             w.addArticle(1, "Accueil", kBody, {{0, 6, 1, 0}, {6, 9, 1, 0}});
         },
         1, 0, "se chevauchent [0, 6] et [6, 9]"},
        {"outline article absent",
         [](DataSourceWriter& w) {
             w.addArticle(1, "Accueil", kBody);
             w.addOutline(Node("a", "Perdu", "0", 7));
         },
         1, 0, "l'article 7 n'est pas dans l'index"},
        {"outline reference unknown",
         [](DataSourceWriter& w) {
             w.addArticle(1, "Accueil", kBody);
             w.addOutline(Node("a", "Orphelin", "zz", 1));
         },
         1, 0, "ne nomme aucun"},
        {"duplicate index number",
         [](DataSourceWriter& w) {
             w.addArticle(1, "Accueil", kBody);
             w.addArticle(1, "Encore", kBody);
         },
         1, 0, "numéro 1 en double"},
        {"record past the end of .PGD",
         [](DataSourceWriter& w) {
             w.addArticle(1, "Accueil", kBody);
             w.addRawIndexEntry({2, static_cast<uint32_t>(w.pgdSize()), 0, 0});
             std::string cut;
             appendU32LE(cut, 5);
             cut += "Titre";
             appendU32LE(cut, 1000);
             cut += "{\\rtf1";
             w.appendRawPgd(cut);
         },
         1, 1, "article 2 : l'enregistrement dépasse la fin"},
        {"links past the end of .PGL",
         [](DataSourceWriter& w) {
             w.addArticle(1, "Accueil", kBody);
             w.addRawIndexEntry({2, 0, 0, 3});
         },
         1, 1, "la table de liens dépasse"},
        {"no article 1",
         [](DataSourceWriter& w) {
             w.addArticle(2, "Deux", kBody);
             w.addOutline(Node("a", "Deux", "0", 2));
         },
         1, 0, "l'article 1 (accueil) est absent"},
        {"unreachable article",
         [](DataSourceWriter& w) {
             w.addArticle(1, "Accueil", kBody);
             w.addArticle(5, "Isol\xE9", kBody);
         },
         0, 1, "article 5 inaccessible"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        DataSourceWriter w;
        c.make(w);
        ASSERT_TRUE(w.write(dir.file("S")));
        BuildMessages findings;
        DataSourceChecker(findings).check(DataSourcePaths::fromBase(dir.file("S")));
        std::string all;
        for (const BuildMessage& m : findings.list())
            all += m.format() + "\n";
        EXPECT_EQ(findings.errorCount(), c.errors) << all;
        EXPECT_EQ(findings.warningCount(), c.warnings) << all;
        EXPECT_NE(all.find(c.fragment), std::string::npos) << all;
    }
}

TEST(DataSourceChecker, MissingFilesAreErrors) {
    TempDir dir;
    BuildMessages findings;
    DataSourceChecker(findings).check(DataSourcePaths::fromBase(dir.file("RIEN")));
    EXPECT_EQ(findings.errorCount(), 4u);
}

} // namespace
} // namespace tolvane::authoring
