// SPDX-License-Identifier: GPL-3.0-or-later
#include "SearchFixture.h"
#include "SearchPhrases.h"
#include "core/rtf/RtfReader.h"
#include "support/CorpusFiles.h"
#include "support/ShellTool.h"
#include "support/TempDir.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sys/wait.h>

namespace tolvane::test {
namespace {

using ToolRun = test::ShellToolRun;

ToolRun runTool(const std::string& arguments) {
    return test::RunToolInShell("search " + arguments);
}

TEST(SearchCommand, PrintsMatchesInUtf8AndExitsByOutcome) {
    TempDir dir;
    ASSERT_TRUE(smallSource().write(dir.file("AIDE")));
    const std::string base = "'" + dir.file("aide.pgd") + "'";

    // Matches are listed in the index's enumeration order.
    ExpectToolCases(
        {
            {base + " 'éCOLE'", 0, "10 Village\n2 ÉCOLE PRIMAIRE\nfound: 2\n"},
            {base + " 'éCOLE' --case", 1, "found: 0\n"},
            {base + " port --no-text", 0, "7 Port de pêche\n3 Transport\nfound: 2\n"},
            {base + " trans --word --no-title", 1, "found: 0\n"},
            {base + " classes --no-title --word", 0, "2 ÉCOLE PRIMAIRE\nfound: 1\n"},
            {base + " absent", 1, "found: 0\n"},
            {base + " port --no-title --no-text", 2, ""},
            {base + " ''", 2, ""},
            {base + " '€∞'", 2, ""}, // the infinity sign has no Windows-1252 byte
            {base + " port --regex", 2, ""},
            {base, 2, ""},
            {"'" + dir.file("ABSENT") + "' port", 1, ""},
        },
        "search ");
}

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Every RTF file of the corpus, written by word processors, a rich-edit
// control or by hand, is the body of one article; phrases of what the reader
// shows of each are found in it by the tool.
TEST(SearchCommand, FindsVisiblePhrasesOfRtfWrittenByOtherPrograms) {
    namespace fs = std::filesystem;
    const fs::path root = fs::path(TOLVANE_SHARED_DIR) / "corpus";
    std::error_code ec;
    if (!fs::is_directory(root, ec))
        GTEST_SKIP() << "corpus absent: " << root;
    const std::vector<std::string> files = test::FilesWithExtension({root.string()}, ".rtf");
    ASSERT_GE(files.size(), 10u);

    TempDir dir;
    DataSourceWriter w;
    std::vector<std::string> bodies;
    for (size_t k = 0; k < files.size(); ++k) {
        bodies.push_back(TempDir::readFile(files[k]));
        w.addArticle(static_cast<ArticleNumber>(k + 1), "Fichier " + std::to_string(k + 1),
                     bodies.back());
    }
    ASSERT_TRUE(w.write(dir.file("RTF")));
    const std::string base = Quoted(dir.file("RTF"));

    std::mt19937 random(15);
    size_t tried = 0;
    for (size_t k = 0; k < files.size(); ++k) {
        SCOPED_TRACE(files[k]);
        const std::vector<Phrase> phrases =
            PhrasesOf(rtf::RtfReader::read(bodies[k]), {}, random, 2);
        EXPECT_FALSE(phrases.empty());
        for (const Phrase& p : phrases) {
            const std::string options = tried++ % 2 ? " --no-title --word" : " --no-title";
            const ToolRun run = runTool(base + " " + Quoted(cp1252::toUtf8(p.text)) + options);
            EXPECT_EQ(run.status, 0) << cp1252::toUtf8(p.text);
            const std::string line = "\n" + std::to_string(k + 1) + " Fichier ";
            EXPECT_NE(("\n" + run.out).find(line), std::string::npos)
                << cp1252::toUtf8(p.text) << " -> " << run.out;
        }
    }
    std::printf("[ corpus   ] %zu RTF files, %zu phrases searched\n", files.size(), tried);
}

} // namespace
} // namespace tolvane::test
