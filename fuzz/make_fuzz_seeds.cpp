// SPDX-License-Identifier: GPL-3.0-or-later
// Writes a seed corpus for every fuzz target, made by the project's own
// writers: generated data sources, the bundled guide, annotation and bookmark
// files written by their stores, instance messages and command lines.
//
//   make_fuzz_seeds CORPUS_ROOT [GUIDE_BASE] [GUIDE_SOURCES_DIR]
//
// Each target's seeds go to CORPUS_ROOT/<target>/seed-*. Other files are
// left alone, so a corpus grown by earlier runs keeps its own inputs.

#include "RtfTableSeeds.h"
#include "core/articles/ArticleStore.h"
#include "core/articles/DataSourceGenerator.h"
#include "core/articles/DataSourceWriter.h"
#include "core/articles/KeywordIndex.h"
#include "core/common/Cp1252.h"
#include "core/startup/InstanceMessage.h"
#include "core/startup/ReadingState.h"
#include "core/stores/AnnotationStore.h"
#include "core/stores/BookmarkFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

using namespace tolvane;

namespace {

std::string g_root;
int g_written = 0;

void writeSeed(const std::string& target, const std::string& name, const std::string& bytes) {
    const std::string dir = g_root + "/" + target;
    ::mkdir(dir.c_str(), 0755);
    std::ofstream out(dir + "/seed-" + name, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (out)
        ++g_written;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string le16(size_t v) {
    return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)};
}

std::string scratchDir() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/tolvane-seeds-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        std::abort();
    return pattern;
}

void removeTree(const std::string& dir) {
    if (DIR* d = ::opendir(dir.c_str())) {
        while (const dirent* e = ::readdir(d)) {
            const std::string name = e->d_name;
            if (name != "." && name != "..")
                ::unlink((dir + "/" + name).c_str());
        }
        ::closedir(d);
    }
    ::rmdir(dir.c_str());
}

// The article store's input: two 16-bit lengths, .PGH, .PGD, then .PGL.
// Sources too big for the lengths are skipped.
void storeSeed(const std::string& name, const std::string& pgh, const std::string& pgd,
               const std::string& pgl) {
    if (pgh.size() > 0xFFFF || pgd.size() > 0xFFFF)
        return;
    writeSeed("article_store_fuzzer", name, le16(pgh.size()) + le16(pgd.size()) + pgh + pgd + pgl);
}

// Every body and title of the data source at base, for the readers of text.
void textSeeds(const std::string& name, const std::string& base, size_t maxArticles) {
    ArticleIndex index;
    ArticleStore store(DataSourcePaths::fromBase(base), index);
    store.LoadIndex();
    size_t n = 0;
    for (const auto& entry : index) {
        if (n++ == maxArticles)
            break;
        ArticleRecord record;
        if (!store.ReadArticle(entry.first, record))
            continue;
        const std::string id = name + "-" + std::to_string(entry.first);
        writeSeed("rtf_reader_fuzzer", id, record.body);
        writeSeed("search_text_fuzzer", id,
                  std::string(1, static_cast<char>(n * 37)) + record.body.substr(0, 4096));
    }
}

// Bodies the search must read as the viewer shows them: not RTF, cut short,
// with \bin data holding braces, nested deeper than the reader's stack.
void searchTextSeeds() {
    const std::pair<const char*, std::string> seeds[] = {
        {"plain", "\x01"
                  "abc {123456xyz} def {uvwxyz} gh"},
        {"truncated", "\x02{\\rtf1{\\fonttbl{\\f0\\fcharset2 Symbol;}{\\f1 Ar"},
        {"bin", "\x03{\\rtf1 avant{\\*\\x\\bin4 }{{}apr\\'e8s{\\pict\\bin2 {}}}"},
        {"deep", "\x04{\\rtf1 " + std::string(5000, '{') + "profond" + std::string(4000, '}')},
        {"hidden", "\x05{\\rtf1 vu{\\v cach\\'e9}{\\field{\\*\\fldinst X}{\\fldrslt r}}}"},
    };
    for (const auto& [name, bytes] : seeds)
        writeSeed("search_text_fuzzer", name, bytes);
}

void generatedSources(const std::string& scratch) {
    struct Shape {
        int32_t articles;
        uint32_t bodyBytes;
        int32_t popupEvery;
    };
    const Shape shapes[] = {{2, 200, 10}, {5, 400, 3}, {12, 800, 4}, {25, 1200, 10}, {40, 600, 5}};
    uint64_t seed = 1;
    for (const Shape& shape : shapes) {
        GeneratorOptions options;
        options.articles = shape.articles;
        options.averageBodyBytes = shape.bodyBytes;
        options.popupEvery = shape.popupEvery;
        options.seed = seed++;
        DataSourceWriter writer;
        DataSourceGenerator(options).generate(writer);
        const std::string name = "gen" + std::to_string(shape.articles);
        storeSeed(name, writer.pghBytes(), writer.pgdBytes(), writer.pglBytes());
        writeSeed("outline_reader_fuzzer", name, writer.ficBytes());
        const std::string base = scratch + "/" + name;
        if (writer.write(base)) {
            textSeeds(name, base, 6);
            for (const char* ext : {".PGH", ".PGD", ".PGL", ".FIC"})
                ::unlink((base + ext).c_str());
        }
    }
    // An outline without its end record, as an older writer left it.
    GeneratorOptions options;
    options.articles = 8;
    DataSourceWriter writer;
    DataSourceGenerator(options).generate(writer);
    writer.setOutlineEndRecord(false);
    writeSeed("outline_reader_fuzzer", "no-end", writer.ficBytes());
}

void guideSeeds(const std::string& base) {
    const std::string pgh = readFile(base + ".PGH");
    if (pgh.empty())
        return;
    const std::string pgd = readFile(base + ".PGD");
    const std::string pgl = readFile(base + ".PGL");
    storeSeed("guide", pgh, pgd, pgl);
    // The whole guide is too big for the 16-bit lengths: its first articles,
    // with their links, written again as a data source of their own.
    ArticleIndex index;
    ArticleStore store(DataSourcePaths::fromBase(base), index);
    store.LoadIndex();
    DataSourceWriter part;
    for (const auto& entry : index) {
        ArticleRecord record;
        std::vector<LinkRecord> links;
        if (!store.ReadArticle(entry.first, record) || part.pgdSize() + record.body.size() > 30000)
            continue;
        store.ReadLinks(entry.first, links);
        part.addArticle(entry.first, record.title, record.body, links);
    }
    storeSeed("guide-part", part.pghBytes(), part.pgdBytes(), part.pglBytes());
    writeSeed("outline_reader_fuzzer", "guide", readFile(base + ".FIC"));
    writeSeed("keyword_index_fuzzer", "guide", readFile(base + ".PGK"));
    textSeeds("guide", base, 64);
}

void tableSeeds() {
    for (const auto& [name, bytes] : fuzz::RtfTableSeeds())
        writeSeed("rtf_reader_fuzzer", name, bytes);
}

void topicSeeds(const std::string& sources) {
    DIR* d = ::opendir(sources.c_str());
    if (!d)
        return;
    while (const dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".rtf") == 0) {
            const std::string bytes = readFile(sources + "/" + name);
            writeSeed("topic_parser_fuzzer", name, bytes);
            writeSeed("rtf_reader_fuzzer", name, bytes);
        }
    }
    ::closedir(d);
}

// French text of the seeds, written in UTF-8, as the files hold it
// (Windows-1252).
std::string W(const char* utf8) {
    return cp1252::fromUtf8(utf8);
}

// .NOT files saved by the store, and .NO$ files left by a run that ended
// without saving.
void annotationSeeds(const std::string& scratch) {
    const std::vector<std::vector<std::pair<ArticleNumber, std::string>>> runs = {
        {{1, "Note"}},
        {{1, W("Première note")}, {7, W("Résumé : voir l'article 3.")}, {3, ""}},
        {{2, "a"}, {2, "ab"}, {5, std::string(300, 'x')}, {2, ""}, {9, "fin\r\nligne"}},
    };
    int k = 0;
    for (const auto& run : runs) {
        const std::string base = scratch + "/N" + std::to_string(k);
        {
            AnnotationStore store;
            store.OpenAnnotations(base);
            for (const auto& [article, text] : run) {
                store.LoadAnnotation(article);
                store.CommitAnnotation(article, text);
            }
            // Destroyed without saving: .NO$ stays as a killed run leaves it.
            writeSeed("pending_reader_fuzzer", std::to_string(k), readFile(base + ".NO$"));
            store.SaveAnnotations();
            writeSeed("notes_reader_fuzzer", std::to_string(k), readFile(base + ".NOT"));
        }
        ::unlink((base + ".NOT").c_str());
        ::unlink((base + ".NO$").c_str());
        ++k;
    }
}

void bookmarkSeeds() {
    const std::vector<std::vector<BookmarkRow>> files = {
        {},
        {{"Accueil", 1}},
        {{"", 3}, {W("Index général"), 12}, {W("Index général"), 12}, {"Z", -1}},
        {{std::string(200, 'b'), 2147483647}, {W("Été"), 0}},
    };
    int k = 0;
    for (const auto& rows : files)
        writeSeed("bookmarks_reader_fuzzer", std::to_string(k++), BookmarkFile::Bytes(rows));
}

void keywordSeeds() {
    KeywordIndex index;
    for (const char* keyword : {"\xE9t\xE9", "\xC9T\xC9", "est",
                                "z\xE8"
                                "bre",
                                "\x9C"
                                "uvre"})
        index.add(keyword, 3);
    index.add("est", -1);
    index.sort();
    writeSeed("keyword_index_fuzzer", "small", index.encode());
    writeSeed("keyword_index_fuzzer", "empty", KeywordIndex().encode());
}

void messageSeeds() {
    using C = InstanceMessage::Command;
    int k = 0;
    for (const auto& [command, article] :
         std::vector<std::pair<C, int32_t>>{{C::Activate, 0},
                                            {C::Show, 0},
                                            {C::Show, 42},
                                            {C::Show, -2147483647 - 1},
                                            {C::Close, 0},
                                            {C::Done, 0}}) {
        InstanceMessage m;
        m.command = command;
        m.article = article;
        writeSeed("instance_message_fuzzer", std::to_string(k++), m.encode());
    }
}

void readingStateSeeds() {
    ReadingState bare;
    bare.base = "/usr/share/tolvane/GUIDE";
    writeSeed("reading_state_fuzzer", "0", FormatReadingState(bare));
    writeSeed("reading_state_fuzzer", "1",
              "tolvane-reading 1\nbase /home/u/aide/GUIDE\narticle 12 3456\n"
              "window -40 25 1000 720 maximized\noutline 1 2500\nnotes 0 46\nzoom 125\nend\n");
}

void commandLineSeeds() {
    const std::vector<std::vector<std::string>> lines = {
        {"tolvane"},
        {"tolvane", "/P=12"},
        {"tolvane", "/D=C:\\AIDE\\GUIDE", "/A=UTILISATEUR", "/P:3"},
        {"tolvane", "-N=Aide_en_ligne", "/F"},
        {"tolvane", "/tmp/GUIDE", "/p=  -7x"},
        {"tolvane", "/D=/home/u/aide/GUIDE", W("/N=Titre_été")},
    };
    int k = 0;
    for (const auto& tokens : lines) {
        std::string bytes;
        for (size_t i = 0; i < tokens.size(); ++i)
            bytes += (i ? std::string(1, '\0') : std::string()) + tokens[i];
        writeSeed("command_line_fuzzer", std::to_string(k++), bytes);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CORPUS_ROOT [GUIDE_BASE] [GUIDE_SOURCES_DIR]\n", argv[0]);
        return 2;
    }
    g_root = argv[1];
    ::mkdir(g_root.c_str(), 0755);
    const std::string scratch = scratchDir();
    generatedSources(scratch);
    if (argc > 2)
        guideSeeds(argv[2]);
    if (argc > 3)
        topicSeeds(argv[3]);
    annotationSeeds(scratch);
    tableSeeds();
    bookmarkSeeds();
    keywordSeeds();
    messageSeeds();
    commandLineSeeds();
    readingStateSeeds();
    searchTextSeeds();
    removeTree(scratch);
    std::printf("%d seed files in %s\n", g_written, g_root.c_str());
    return g_written > 0 ? 0 : 1;
}
