// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/outline/OutlineModel.h"

#include "core/articles/DataSourceWriter.h"
#include "support/TempDir.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <sys/wait.h>

using namespace tolvane;
using NodeId = OutlineModel::NodeId;

namespace {

OutlineRecord Rec(const std::string& key, const std::string& title, const std::string& ref,
                  ArticleNumber article = 0, int32_t placement = 0) {
    OutlineRecord r;
    r.nodeKey = key;
    r.title = title;
    r.referenceKey = ref;
    r.article = article;
    r.placement = placement;
    return r;
}

std::string Bytes(const std::vector<OutlineRecord>& records) {
    std::string out;
    for (const OutlineRecord& r : records)
        out += r.encode();
    return out;
}

const std::string kEnd = Rec("", "", "").encode();

OutlineModel Load(const std::string& bytes) {
    OutlineModel m;
    m.LoadOutlineBytes(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    return m;
}

// One line per node in tree order, as `tolvane-tool outline` prints it.
std::string Dump(const OutlineModel& m) {
    std::string out;
    int depth = 0;
    for (NodeId n = m.firstTopLevel(); n != OutlineModel::kNoNode;
         n = m.nextInTreeOrder(n, depth)) {
        EXPECT_EQ(depth, m.depth(n));
        out += std::to_string(depth) + ' ' + std::to_string(m.image(n)) + ' ' +
               std::to_string(m.ArticleOfNode(n)) + ' ' + std::string(m.title(n)) + '\n';
    }
    return out;
}

} // namespace

TEST(OutlineModelTest, BuildsTreeAndImagesFromRecords) {
    struct Case {
        const char* name;
        std::vector<OutlineRecord> records;
        const char* expected;
    } cases[] = {
        {"six nested folders wrap the five colours",
         {Rec("1", "a", "0"), Rec("2", "b", "1"), Rec("3", "c", "2"), Rec("4", "d", "3"),
          Rec("5", "e", "4"), Rec("6", "f", "5")},
         "0 0 0 a\n1 1 0 b\n2 2 0 c\n3 3 0 d\n4 4 0 e\n5 0 0 f\n"},
        {"folder under an article heading is 1, article headings 10 at any depth",
         {Rec("F", "dossier", "0"), Rec("G", "sous", "F"), Rec("A", "article", "G", 7),
          Rec("H", "sous-article", "A"), Rec("B", "feuille", "H", 8), Rec("T", "haut", "0", 9)},
         "0 0 0 dossier\n1 1 0 sous\n2 10 7 article\n3 1 0 sous-article\n4 10 8 feuille\n"
         "0 10 9 haut\n"},
        {"placement 2 goes beside the reference node, after its last sibling",
         {Rec("F", "f", "0"), Rec("G", "g", "F"), Rec("X", "x", "G"), Rec("H", "h", "G", 0, 2),
          Rec("A", "a", "X", 5, 2), Rec("Y", "y", "G")},
         "0 0 0 f\n1 1 0 g\n2 2 0 x\n2 10 5 a\n2 2 0 y\n1 1 0 h\n"},
        {"placement 2 from a top-level node appends at the end of the top level",
         {Rec("A", "a", "0"), Rec("B", "b", "A"), Rec("C", "c", "0"), Rec("D", "d", "A", 0, 2),
          Rec("E", "e", "B", 3, 2)},
         "0 0 0 a\n1 1 0 b\n1 10 3 e\n0 0 0 c\n0 0 0 d\n"},
        {"a repeated key takes over; the earlier node can no longer be named",
         {Rec("K", "premier", "0"), Rec("K", "second", "0"), Rec("C", "enfant", "K")},
         "0 0 0 premier\n0 0 0 second\n1 1 0 enfant\n"},
        {"an unknown key keeps the reference node of the last successful lookup",
         {Rec("A", "a", "0"), Rec("B", "b", "0"), Rec("C", "c", "A"), Rec("D", "d", "0"),
          Rec("E", "e", "?"), Rec("F", "f", "??", 0, 2)},
         "0 0 0 a\n1 1 0 c\n1 1 0 e\n0 0 0 b\n0 0 0 d\n0 0 0 f\n"},
        {"an unknown key before any successful lookup goes to the top level",
         {Rec("A", "a", "x"), Rec("B", "b", "y", 4, 2), Rec("C", "c", "A"), Rec("D", "d", "z")},
         "0 0 0 a\n1 1 0 c\n1 1 0 d\n0 10 4 b\n"},
        {"keys compare byte for byte, case-sensitive; only \"0\" means the top level",
         {Rec("k", "k", "0"), Rec("K", "K", "0"), Rec("00", "zz", "0"), Rec("a", "sous K", "K"),
          Rec("b", "sous 00", "00")},
         "0 0 0 k\n0 0 0 K\n1 1 0 sous K\n0 0 0 zz\n1 1 0 sous 00\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Dump(Load(Bytes(c.records) + kEnd)), c.expected);
    }
}

TEST(OutlineModelTest, StopsAtTheEndRecordOrTheEndOfTheFile) {
    const std::string a = Rec("A", "a", "0").encode();
    const std::string b = Rec("B", "b", "A", 2).encode();
    std::string endWithOtherFields = Rec("Z", "", "A", 9).encode();
    const struct Case {
        const char* name;
        std::string bytes;
        const char* expected;
    } cases[] = {
        {"empty file", "", ""},
        {"empty first title", kEnd + a, ""},
        {"well-formed records after the end record are ignored", a + kEnd + b, "0 0 0 a\n"},
        {"an end record is any record with an empty title", a + endWithOtherFields + b,
         "0 0 0 a\n"},
        {"no end record", a + b, "0 0 0 a\n1 10 2 b\n"},
        {"a truncated last record is dropped", a + b.substr(0, 115), "0 0 0 a\n"},
        {"a lone fragment", b.substr(0, 40), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const OutlineModel m = Load(c.bytes);
        EXPECT_EQ(Dump(m), c.expected);
        EXPECT_EQ(m.nodeArticles().size(), m.size());
    }
}

TEST(OutlineModelTest, TextFieldsWithoutNulRunToTheEndOfTheirField) {
    const std::string title80(80, 'T');
    std::string first = Rec("ABCDEFGHIJKL", title80, "0").encode();
    // Bytes after a key's NUL are not part of the key.
    std::string second = Rec("x", "enfant", "ABCDEFGHIJKL").encode();
    std::string third = Rec("y", "petit-enfant", "x").encode();
    third[92 + 2] = 'Q';
    const OutlineModel m = Load(first + second + third + kEnd);
    EXPECT_EQ(Dump(m), "0 0 0 " + title80 + "\n1 1 0 enfant\n2 2 0 petit-enfant\n");
}

TEST(OutlineModelTest, ArticleNodesInTreeOrderNotCreationOrder) {
    // The second node of article 7 is created last but comes first in the tree.
    const OutlineModel m =
        Load(Bytes({Rec("A", "a", "0"), Rec("B", "b", "0"), Rec("X", "x", "B", 7),
                    Rec("Y", "y", "A", 7), Rec("Z", "z", "A", 8)}) +
             kEnd);
    EXPECT_EQ(m.NodesOfArticle(7), (std::vector<NodeId>{3, 2}));
    EXPECT_EQ(m.FirstNodeOfArticle(7), 3);
    EXPECT_EQ(m.FirstNodeOfArticle(8), 4);
    EXPECT_EQ(m.FirstNodeOfArticle(9), OutlineModel::kNoNode);
    EXPECT_EQ(m.FirstNodeOfArticle(0), OutlineModel::kNoNode);
    EXPECT_EQ(m.ArticleOfNode(0), 0);
    EXPECT_EQ(m.ArticleOfNode(2), 7);
    EXPECT_EQ(m.ArticleOfNode(5), 0);
    EXPECT_EQ(m.ArticleOfNode(-1), 0);
    EXPECT_EQ(m.children(OutlineModel::kNoNode), (std::vector<NodeId>{0, 1}));
    EXPECT_EQ(m.children(0), (std::vector<NodeId>{3, 4}));
}

TEST(OutlineModelTest, LoadsFromFileAcrossReadChunks) {
    test::TempDir dir;
    DataSourceWriter w;
    // Enough records to cross several reads, with a deep chain whose walk
    // must not recurse.
    const int count = 7000;
    w.addOutline(Rec("R", "racine", "0"));
    for (int i = 1; i < count; ++i)
        w.addOutline(Rec("N" + std::to_string(i), "n" + std::to_string(i),
                         i == 1 ? "R" : "N" + std::to_string(i - 1), i % 3 == 0 ? i : 0));
    w.setOutlineEndRecord(false);
    ASSERT_TRUE(w.write(dir.file("GROS")));
    test::TempDir::writeFile(dir.file("GROS.FIC"),
                             w.ficBytes() + kEnd + Rec("Q", "q", "0").encode());

    OutlineModel m;
    ASSERT_TRUE(m.LoadOutline(dir.file("GROS.FIC")));
    ASSERT_EQ(m.size(), static_cast<size_t>(count));
    EXPECT_EQ(m.title(count - 1), "n" + std::to_string(count - 1));
    EXPECT_EQ(m.depth(count - 1), count - 1);
    EXPECT_EQ(m.FirstNodeOfArticle(6999), count - 1);
    EXPECT_EQ(m.image(count - 1), 10);
    EXPECT_EQ(m.image(count - 2), (m.image(count - 3) + 1) % 5);

    EXPECT_FALSE(m.LoadOutline(dir.file("ABSENT.FIC")));
    EXPECT_TRUE(m.empty());
}

TEST(OutlineModelTest, ToolPrintsTreeOrderAndFailsOnMissingFile) {
    test::TempDir dir;
    DataSourceWriter w;
    w.addArticle(1, "Accueil", "{\\rtf1 x}");
    w.addOutline(Rec("P", "Prise en main", "0"));
    w.addOutline(Rec("T", "Outils", "0"));
    w.addOutline(Rec("A", "Fen\xEAtres", "P", 1));
    ASSERT_TRUE(w.write(dir.file("Guide")));

    auto run = [](const std::string& args, std::string& out) {
        out.clear();
        FILE* p =
            ::popen((std::string(TOLVANE_TOOL_PATH) + " " + args + " 2>/dev/null").c_str(), "r");
        char buf[256];
        for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;)
            out.append(buf, n);
        const int status = ::pclose(p);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    std::string out;
    EXPECT_EQ(run("outline " + dir.file("GUIDE"), out), 0);
    EXPECT_EQ(out, "0 0 0 Prise en main\n1 10 1 Fenêtres\n0 0 0 Outils\n");
    EXPECT_EQ(run("outline " + dir.file("AUTRE"), out), 1);
    EXPECT_EQ(run("outline", out), 2);
}
