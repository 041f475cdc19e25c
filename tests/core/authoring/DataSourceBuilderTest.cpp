// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/authoring/DataSourceBuilder.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <map>

namespace tolvane::authoring {
namespace {

using test::TempDir;

std::string Topic(const std::string& id, const std::string& title, const std::string& body) {
    std::string t = "#{\\footnote " + id + "}";
    if (!title.empty())
        t += "${\\footnote " + title + "}";
    return t + body + "\\par\\page\n";
}

std::string Doc(const std::string& topics) {
    return "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\n" + topics + "}";
}

struct Built {
    BuildMessages messages;
    DataSourceWriter writer;
    std::map<std::string, DataSourceBuilder::Article> byId;
    bool ok = false;
};

void Build(Built& b, const std::vector<std::string>& sources,
           const std::vector<std::pair<std::string, std::string>>& texts = {}) {
    DataSourceBuilder builder(b.messages);
    for (const std::string& s : sources)
        builder.addSource(s);
    for (const auto& [name, text] : texts)
        builder.addTopicText(name, text);
    b.ok = builder.build(b.writer);
    for (const DataSourceBuilder::Article& a : builder.articles())
        b.byId[builder.topics()[a.topic].id] = a;
}

// Writes the project p.hpj and the files beside it into dir, then builds it.
void BuildProject(Built& b, const TempDir& dir, const std::string& hpj,
                  const std::vector<std::pair<std::string, std::string>>& files) {
    for (const auto& [name, bytes] : files)
        TempDir::writeFile(dir.file(name), bytes);
    TempDir::writeFile(dir.file("p.hpj"), hpj);
    Build(b, {dir.file("p.hpj")});
}

std::string Messages(const BuildMessages& m) {
    std::string out;
    for (const BuildMessage& x : m.list())
        out += x.format() + "\n";
    return out;
}

TEST(DataSourceBuilder, WithoutProjectTopicsAreNumberedInOrder) {
    Built b;
    Build(b, {},
          {{"a.rtf", Doc(Topic("UN", "Un", "x") + Topic("DEUX", "Deux", "y"))},
           {"b.rtf", Doc(Topic("TROIS", "Trois", "z"))}});
    ASSERT_TRUE(b.ok) << Messages(b.messages);
    EXPECT_EQ(b.byId["UN"].number, 1);
    EXPECT_EQ(b.byId["DEUX"].number, 2);
    EXPECT_EQ(b.byId["TROIS"].number, 3);
}

// The project's home is article 1, mapped topics keep their numbers (direct
// or from an included header, decimal or hex), others take free numbers.
TEST(DataSourceBuilder, ProjectNumbering) {
    TempDir dir;
    Built b;
    BuildProject(
        b, dir,
        "[OPTIONS]\nCONTENTS=home\n[FILES]\ntopics.rtf ; case\n"
        "[MAP]\nB=2\n#include <map.hm>\nUNKNOWN 9\n",
        {{"Topics.RTF", Doc(Topic("A", "A", "{\\uldb b}{\\v b}") + Topic("B", "B", "x") +
                            Topic("C", "C", "x") + Topic("D", "D", "x") + Topic("HOME", "H", "x"))},
         {"MAP.HM", "#define C 0x10\r\nD 3 // trois\r\n"}});
    ASSERT_TRUE(b.ok) << Messages(b.messages);
    EXPECT_EQ(b.byId["HOME"].number, 1);
    EXPECT_EQ(b.byId["B"].number, 2);
    EXPECT_EQ(b.byId["D"].number, 3);
    EXPECT_EQ(b.byId["C"].number, 16);
    EXPECT_EQ(b.byId["A"].number, 4);
}

TEST(DataSourceBuilder, ErrorsNameTheirSource) {
    struct Case {
        const char* name;
        std::string hpj;
        std::string topics;
        const char* expected;
    };
    const Case cases[] = {
        {"a map giving 1 to another topic", "[FILES]\nt.rtf\n[MAP]\nB 1\n",
         Doc(Topic("A", "A", "x") + Topic("B", "B", "x")),
         "p.hpj:4: erreur : le numéro 1 est celui de l'accueil"},
        {"two topics mapped to one number", "[FILES]\nt.rtf\n[MAP]\nB 5\nC 5\n",
         Doc(Topic("A", "A", "x") + Topic("B", "B", "x") + Topic("C", "C", "x")),
         "p.hpj:5: erreur : numéro 5"},
        {"unknown link target", "[FILES]\nt.rtf\n",
         Doc(Topic("A", "A", "x") + "#{\\footnote B}\n{\\uldb y}{\\v NOWHERE}\\par"),
         "t.rtf:4: erreur : lien vers un topique inconnu « NOWHERE »"},
        {"duplicate id", "[FILES]\nt.rtf\n", Doc(Topic("A", "A", "x") + Topic("a", "A2", "y")),
         "t.rtf:3: erreur : identifiant en double « a »"},
        {"unknown home", "[OPTIONS]\nCONTENTS=ZZ\n[FILES]\nt.rtf\n", Doc(Topic("A", "A", "x")),
         "p.hpj: erreur : topique d'accueil (CONTENTS) inconnu"},
        {"missing topic file", "[FILES]\nt.rtf\nabsent.rtf\n", Doc(Topic("A", "A", "x")),
         "p.hpj: avertissement : fichier de topiques absent"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        Built b;
        BuildProject(b, dir, c.hpj, {{"t.rtf", c.topics}});
        const std::string all = Messages(b.messages);
        EXPECT_NE(all.find(dir.path() + "/" + c.expected), std::string::npos) << all;
    }
}

TEST(DataSourceBuilder, TopicsReachedOnlyByPopupsArePopupArticles) {
    Built b;
    Build(b, {},
          {{"t.rtf", Doc(Topic("HOME", "Accueil",
                               "{\\ul p}{\\v POP} {\\ul q}{\\v BOTH} {\\uldb r}{\\v BOTH} "
                               "{\\ul s}{\\v NOTITLE}") +
                         Topic("POP", "Mot", "d") + Topic("BOTH", "Les deux", "e") +
                         Topic("NOTITLE", "", "f") + Topic("ALONE", "Seul", "g"))}});
    ASSERT_TRUE(b.ok) << Messages(b.messages);
    EXPECT_TRUE(b.byId["POP"].popup);
    EXPECT_EQ(b.byId["POP"].title, "#POPUP:Mot");
    EXPECT_EQ(b.byId["NOTITLE"].title, "#POPUP:");
    EXPECT_FALSE(b.byId["BOTH"].popup);
    EXPECT_FALSE(b.byId["ALONE"].popup);
    EXPECT_FALSE(b.byId["HOME"].popup);
    // Without a contents file the outline lists the non-popup topics.
    const std::string fic = b.writer.ficBytes();
    ASSERT_EQ(fic.size(), 4 * OutlineRecord::kSize);
    const OutlineRecord second = OutlineRecord::decode(
        reinterpret_cast<const unsigned char*>(fic.data()) + OutlineRecord::kSize);
    EXPECT_EQ(second.title, "Les deux");
    EXPECT_EQ(second.referenceKey, "n1");
    EXPECT_EQ(second.placement, OutlineRecord::kPlacementBeside);
}

TEST(DataSourceBuilder, OutlineFromContentsFile) {
    TempDir dir;
    Built b;
    BuildProject(b, dir, "[FILES]\nt.rtf\n",
                 {{"t.rtf", Doc(Topic("A", "A", "x") + Topic("B", "B", "x"))},
                  {"P.CNT", ":Base p.hlp\n:Title Essai\n1 Accueil=a\n1 Livre\n"
                            "2 Sous-livre\n3 Page B=B>main\n2 Autre=a@p.hlp\n"}});
    ASSERT_TRUE(b.ok) << Messages(b.messages);
    const std::string fic = b.writer.ficBytes();
    ASSERT_EQ(fic.size(), 6 * OutlineRecord::kSize);
    std::vector<OutlineRecord> r;
    for (size_t k = 0; k < 5; ++k)
        r.push_back(OutlineRecord::decode(reinterpret_cast<const unsigned char*>(fic.data()) +
                                          k * OutlineRecord::kSize));
    struct Expected {
        const char* title;
        const char* reference;
        int32_t placement;
        ArticleNumber article;
    };
    const Expected expected[] = {{"Accueil", "0", 0, 1},
                                 {"Livre", "n1", 2, 0},
                                 {"Sous-livre", "n2", 0, 0},
                                 {"Page B", "n3", 0, 2},
                                 {"Autre", "n3", 2, 1}};
    for (size_t k = 0; k < 5; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(r[k].nodeKey, "n" + std::to_string(k + 1));
        EXPECT_EQ(r[k].title, expected[k].title);
        EXPECT_EQ(r[k].referenceKey, expected[k].reference);
        EXPECT_EQ(r[k].placement, expected[k].placement);
        EXPECT_EQ(r[k].article, expected[k].article);
    }
}

} // namespace
} // namespace tolvane::authoring
