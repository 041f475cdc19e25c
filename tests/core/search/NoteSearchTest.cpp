// SPDX-License-Identifier: GPL-3.0-or-later
#include "SearchFixture.h"
#include "core/common/Cp1252.h"
#include "core/stores/AnnotationStore.h"
#include "support/NoteFiles.h"
#include "support/ShellTool.h"

#include <utility>

namespace tolvane::test {
namespace {

using Found = std::vector<std::pair<ArticleNumber, bool>>; // article, found in its note

SearchRequest noteRequest(const std::string& text, bool inTitle, bool inText,
                          bool wholeWord = false, bool matchCase = false) {
    SearchRequest r{text, matchCase, wholeWord, inTitle, inText};
    r.inNotes = true;
    return r;
}

Found found(const std::vector<SearchMatch>& matches) {
    Found out;
    for (const SearchMatch& m : matches)
        out.emplace_back(m.article, m.inNote);
    return out;
}

DataSourceWriter notedSource() {
    const struct {
        ArticleNumber n;
        const char* title;
        const char* text;
    } articles[] = {
        {1, "Accueil", "Bienvenue"},     {2, "Primaire", "Les classes"},
        {3, "Transport", "Les voyages"}, {5, "#POPUP:Note", "port"},
        {7, "Port de mer", "Le port"},   {8, "Divers", "Rien"},
    };
    DataSourceWriter w;
    for (const auto& a : articles)
        w.addArticle(a.n, a.title, rtfBody(a.text));
    return w;
}

const AnnotationTexts kNotes = {
    {2, "mon \xC9"
        "COLE primaire"},
    {3, "Transport \xE0 revoir\r\nMOT"},
    {5, "port"},  // a popup's: never listed
    {99, "port"}, // an article gone from the data source
    {8, "un port ici"},
};

TEST(NoteSearch, FindsNotesByTheRulesOfTextsAndMarksThem) {
    const SearchFixture source(notedSource());
    const struct {
        const char* what;
        SearchRequest request;
        Found expected;
    } cases[] = {
        {"notes only, any part of a word",
         noteRequest("port", false, false),
         {{3, true}, {8, true}}},
        {"whole word in notes", noteRequest("port", false, false, true), {{8, true}}},
        {"any case, accents kept",
         noteRequest("\xE9"
                     "cole",
                     false, false),
         {{2, true}}},
        {"accents are not dropped", noteRequest("ecole", false, false), {}},
        {"match case", noteRequest("MOT", false, false, false, true), {{3, true}}},
        {"match case refuses", noteRequest("mot", false, false, false, true), {}},
        {"a word after a line break", noteRequest("mot", false, false, true), {{3, true}}},
        {"no join across a line break", noteRequest("revoir mot", false, false), {}},
        {"notes first, then texts",
         noteRequest("port", false, true, true),
         {{8, true}, {7, false}}},
        {"title found and noted: listed once, marked",
         noteRequest("transport", true, false),
         {{3, true}}},
        {"without the notes box", SearchRequest{"port", false, true, false, true}, {{7, false}}},
    };
    const SearchEngine engine(source.store(), 1);
    for (const auto& c : cases)
        EXPECT_EQ(found(engine.SearchArticles(c.request, kNotes)), c.expected) << c.what;
}

TEST(NoteSearch, NotedArticlesComeBeforeTheCut) {
    // 1,200 articles match by title; the noted ones come last in the index
    // and would fall past the first thousand.
    DataSourceWriter w;
    for (ArticleNumber n = 1; n <= 1200; ++n)
        w.addArticle(n, "Sujet " + std::to_string(n), rtfBody("texte"));
    const SearchFixture source(w);
    const AnnotationTexts notes = {{1150, "sujet lu"}, {1190, "sujet lu"}};
    const std::vector<SearchMatch> matches =
        SearchEngine(source.store(), 2).SearchArticles(noteRequest("sujet", true, false), notes);
    ASSERT_EQ(matches.size(), MAX_SEARCH_RESULTS);
    EXPECT_EQ(found({matches[0], matches[1], matches[2]}),
              (Found{{1150, true}, {1190, true}, {source.enumerationOrder().front(), false}}));
}

// The latest text of each note is searched, wherever the store holds it,
// and reading them writes nothing.
TEST(NoteSearch, StoreGivesTheLatestNonEmptyTexts) {
    TempDir dir;
    const std::string base = dir.file("AIDE");
    const std::string notBytes = noteFileBytes({{4, "ancien"}, {6, "six"}, {9, "neuf"}});
    TempDir::writeFile(base + ".NOT", notBytes);

    AnnotationStore writer;
    writer.OpenAnnotations(base);
    ASSERT_TRUE(writer.CommitAnnotation(4, "nouveau"));
    ASSERT_TRUE(writer.CommitAnnotation(9, ""));
    ASSERT_TRUE(writer.CommitAnnotation(11, "onze"));
    const AnnotationTexts latest = {{4, "nouveau"}, {6, "six"}, {11, "onze"}};
    EXPECT_EQ(writer.AnnotationTexts(), latest);

    // Another run's view of the same files, .NO$ over .NOT.
    const std::string pending = TempDir::readFile(base + ".NO$");
    AnnotationStore reader;
    reader.OpenAnnotations(base, true);
    EXPECT_EQ(reader.AnnotationTexts(), latest);
    EXPECT_EQ(TempDir::readFile(base + ".NOT"), notBytes);
    EXPECT_EQ(TempDir::readFile(base + ".NO$"), pending);
}

// The tool on the bundled guide with notes of the user's own, including a
// .NO$ a killed run left: found and marked, and neither file touched.
TEST(NoteSearch, ToolSearchesTheNotesOfTheGuideWithoutWritingThem) {
    const std::string guide = std::string(TOLVANE_BINARY_DIR) + "/GUIDE";
    TempDir dir;
    const std::string user = dir.file("moi");
    TempDir::writeFile(user + ".NOT", noteFileBytes({{23, "Relire avant d'imprimer la zibeline"}}));
    TempDir::writeFile(
        user + ".NO$",
        noteFileBytes({{2, "la ZIBELINE encore"}, {555, "zibeline d'un article absent"}}, true));
    const FileState notBefore = fileState(user + ".NOT");
    const FileState pendingBefore = fileState(user + ".NO$");
    ArticleIndex index;
    ArticleStore store(DataSourcePaths::fromBase(guide), index);
    store.LoadIndex();
    const std::string title2 = cp1252::toUtf8(store.ReadArticleTitle(2));
    const std::string title23 = cp1252::toUtf8(store.ReadArticleTitle(23));
    ASSERT_FALSE(title2.empty());
    const std::string mark = kFoundInNoteSuffix;

    ExpectToolCases(
        {
            {guide + " zibeline --notes " + user, 0,
             "2 " + title2 + mark + "\n23 " + title23 + mark + "\nfound: 2\n"},
            {guide + " zibeline --notes " + user + ".NOT --case", 0,
             "23 " + title23 + mark + "\nfound: 1\n"},
            {guide + " zibel --notes " + user + " --word", 1, "found: 0\n"},
            {guide + " zibeline --notes --no-title --no-text " + user, 0,
             "2 " + title2 + mark + "\n23 " + title23 + mark + "\nfound: 2\n"},
            // Without --notes the notes play no part, and a third word is
            // refused; without a user base the guide's own (none) is used.
            {guide + " zibeline", 1, "found: 0\n"},
            {guide + " zibeline " + user, 2, ""},
            {guide + " zibeline --notes", 1, "found: 0\n"},
        },
        "search ");
    EXPECT_EQ(fileState(user + ".NOT"), notBefore);
    EXPECT_EQ(fileState(user + ".NO$"), pendingBefore);
}

} // namespace
} // namespace tolvane::test
