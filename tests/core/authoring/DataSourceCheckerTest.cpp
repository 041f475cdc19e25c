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

// The data source of one case, written in the order of the calls.
struct Source {
    DataSourceWriter w;

    Source& article(ArticleNumber number, const char* title,
                    const std::vector<LinkRecord>& links = {}) {
        w.addArticle(number, title, kBody, links);
        return *this;
    }
    Source& node(const char* key, const char* title, const char* ref, ArticleNumber article) {
        w.addOutline({key, title, ref, article});
        return *this;
    }
    // Records as they stand, past what the writer would check.
    Source& raw(const std::function<void(DataSourceWriter&)>& write) {
        write(w);
        return *this;
    }
};

// A sound data source, then one fault at a time: each gives its finding.
TEST(DataSourceChecker, FindsEachFault) {
    struct Case {
        const char* name;
        Source source;
        size_t errors;
        size_t warnings;
        const char* fragment;
    };
    const Case cases[] = {
        {"sound",
         Source()
             .article(1, "Accueil", {{0, 6, 2, 0}})
             .article(2, "Suite", {{8, 15, 3, 0}})
             .article(3, "#POPUP:Mot")
             .node("a", "Accueil", "0", 1),
         0, 0, ""},
        {"link target absent",
         Source().article(1, "Accueil", {{0, 6, 9, 0}}).node("a", "Accueil", "0", 1), 1, 0,
         "la cible 9 n'est pas dans l'index"},
        {"anchor past the text", Source().article(1, "Accueil", {{10, 16, 1, 0}}), 1, 0,
         "ancre hors du texte"},
        {"anchor reversed", Source().article(1, "Accueil", {{5, 4, 1, 0}}), 1, 0,
         "ancre hors du texte"},
        {"overlapping anchors", Source().article(1, "Accueil", {{0, 6, 1, 0}, {6, 9, 1, 0}}), 1, 0,
         "se chevauchent [0, 6] et [6, 9]"},
        {"outline article absent", Source().article(1, "Accueil").node("a", "Perdu", "0", 7), 1, 0,
         "l'article 7 n'est pas dans l'index"},
        {"outline reference unknown", Source().article(1, "Accueil").node("a", "Orphelin", "zz", 1),
         1, 0, "ne nomme aucun"},
        {"duplicate index number", Source().article(1, "Accueil").article(1, "Encore"), 1, 0,
         "numéro 1 en double"},
        {"record past the end of .PGD", Source().article(1, "Accueil").raw([](DataSourceWriter& w) {
             w.addRawIndexEntry({2, static_cast<uint32_t>(w.pgdSize()), 0, 0});
             std::string cut;
             appendU32LE(cut, 5);
             cut += "Titre";
             appendU32LE(cut, 1000);
             cut += "{\\rtf1";
             w.appendRawPgd(cut);
         }),
         1, 1, "article 2 : l'enregistrement dépasse la fin"},
        {"links past the end of .PGL", Source().article(1, "Accueil").raw([](DataSourceWriter& w) {
             w.addRawIndexEntry({2, 0, 0, 3});
         }),
         1, 1, "la table de liens dépasse"},
        {"no article 1", Source().article(2, "Deux").node("a", "Deux", "0", 2), 1, 0,
         "l'article 1 (accueil) est absent"},
        {"unreachable article", Source().article(1, "Accueil").article(5, "Isol\xE9"), 0, 1,
         "article 5 inaccessible"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        ASSERT_TRUE(c.source.w.write(dir.file("S")));
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
