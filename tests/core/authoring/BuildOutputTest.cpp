// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/authoring/DataSourceBuilder.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>

// The bytes a build writes are pinned: the same sources must keep giving the
// same four files and the same messages, whatever is done to make the build
// faster. The figures were taken from the builder as first written, then
// taken again when faults were mended: a footnote's mark at the end of a
// source line stayed in the article (8 articles of Calques3D, 2 of CDex, 1
// of Winprom), an embedded object (Winprom's equation, with its picture)
// was left out of its body, and so was a list number written
// {\*\pntext ...}, which the reader shows (both generated sources); and
// when the pictures made of the bitmaps were first compressed by zlib
// (Calques3D, CDex, Winprom).

namespace tolvane::authoring {
namespace {

uint64_t Fnv(const std::string& bytes, uint64_t h = 14695981039346656037ull) {
    for (unsigned char c : bytes)
        h = (h ^ c) * 1099511628211ull;
    return h;
}

// The four files, the messages and the parse's own view of each topic
// (length, links with their hot text), as one hexadecimal digest each. The
// bodies are in the files' digest: the writer takes them from the topics.
struct Digest {
    std::string files;
    std::string messages;
    std::string topics;
};

std::string Hex(uint64_t h) {
    char buf[17];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(h));
    return buf;
}

Digest DigestOf(DataSourceBuilder& builder) {
    DataSourceWriter writer;
    builder.build(writer);
    Digest d;
    uint64_t h = Fnv(writer.pghBytes());
    h = Fnv(writer.pgdBytes(), h);
    h = Fnv(writer.pglBytes(), h);
    h = Fnv(writer.ficBytes(), h);
    d.files = Hex(h);
    return d;
}

// Messages name files by the path they were given: the checkout's folders
// are taken out so that the figures hold wherever the sources lie.
std::string WithoutFolders(std::string text) {
    // The shared folder is named from the checkout's: it goes first.
    for (const std::string& folder :
         {std::string(TOLVANE_SHARED_DIR) + "/", std::string(TOLVANE_SOURCE_DIR) + "/"}) {
        size_t at = 0;
        while ((at = text.find(folder, at)) != std::string::npos)
            text.erase(at, folder.size());
    }
    return text;
}

Digest Build(const std::string& source, const std::string& topicText = {},
             bool keepHotText = true) {
    BuildMessages messages;
    DataSourceBuilder builder(messages);
    builder.setKeepHotText(keepHotText);
    if (!source.empty())
        builder.addSource(source);
    if (!topicText.empty())
        builder.addTopicText("gen.rtf", topicText);
    Digest d = DigestOf(builder);
    uint64_t h = Fnv("");
    for (const BuildMessage& m : messages.list())
        h = Fnv(WithoutFolders(m.format()) + "\n", h);
    d.messages = Hex(h);
    h = Fnv("");
    for (const SourceTopic& t : builder.topics()) {
        std::string row =
            t.id + "|" + t.title + "|" + std::to_string(t.line) + "|" + std::to_string(t.length);
        for (const std::string& k : t.keywords)
            row += "|K" + k;
        for (const std::string& k : t.otherIds)
            row += "|#" + k;
        for (size_t k = 0; k < t.links.size(); ++k) {
            const SourceLink& l = t.links[k];
            row += "|" + std::to_string(l.first) + "-" + std::to_string(l.last) + ">" + l.target +
                   (l.popup ? "p" : "j") + std::to_string(l.line) + ":";
            if (k < t.hotTexts.size())
                for (char16_t c : t.hotTexts[k])
                    row += std::to_string(c) + ",";
        }
        h = Fnv(row + "\n", h);
    }
    d.topics = Hex(h);
    return d;
}

// Help-project RTF drawn at random from the forms authors write: footnotes
// of every kind, jumps, popups, styles, targets with window and file parts,
// macros, accents, Unicode with skipped fallbacks, tables, pictures, bitmap
// references, ignored destinations, binary data, colours, and groups left
// open across page breaks.
std::string GeneratedTopics(int topics, uint32_t seed) {
    static const char* const kPieces[] = {
        "mot ",
        "d\\'e9j\\'e0 ",
        "{\\uldb suite}{\\v T%d} ",
        "{\\strike barr\\'e9}{\\v T%d>fen} ",
        "{\\ul d\\'e9finition}{\\v T%d} ",
        "{\\cs19 Ouvrir}{\\cs18 T%d} ",
        "{\\uldb X}{\\v %%T%d@autre.hlp} ",
        "{\\uldb macro}{\\v !Exec(x)} ",
        "{\\uldb perdu}{\\v NULLE_PART} ",
        "\\par\n",
        "\\line ",
        "\\tab ",
        "\\u8364? \\uc2\\u8212\\'97\\'97 \\uc1 ",
        "\\trowd\\cellx1000\\cellx2000 a\\cell b\\cell\\row ",
        "{\\pict\\wmetafile8 0102}",
        "{\\bmc manque.bmp}",
        "\\{bml image ; x\\}",
        "{\\*\\bkmkstart B}",
        "{\\comment cach\\'e9}",
        "{\\b gras {\\i italique} fin}",
        "\\cf2 vert \\cf0 ",
        "\\plain\\f0\\fs20 ",
        "{\\v cach\\'e9}",
        "\\lquote x\\rquote \\emdash ",
        "\\~\\_\\{\\}\\\\ ",
        "{\\ul\\ulnone pas de lien}{\\v NON} ",
        "{\\bin3 a}b}",
        "\\pard\\sb60\\sa60\\tx720\\tx1440 ",
        "{\\*\\pntext 1.\\tab}",
        "{\\uldb {\\b deux}{\\i parts}}{\\v T%d} ",
        "\r\n",
        "K{\\footnote mot cl\\'e9 %d}",
        "+{\\footnote seq:%d}",
        "!{\\footnote Macro()}",
        "#{\\footnote AUTRE_%d}",
    };
    constexpr uint32_t kCount = sizeof kPieces / sizeof kPieces[0];
    std::string rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}"
                      "{\\f1\\froman Times;}}{\\colortbl;\\red0\\green0\\blue0;"
                      "\\red255\\green0\\blue0;}{\\stylesheet{\\*\\cs18 \\additive \\v Cache;}"
                      "{\\*\\cs19 \\additive \\uldb Saut;}}\\pard\\plain\\f0\\fs20\n";
    int open = 0;
    char buf[128];
    for (int t = 1; t <= topics; ++t) {
        seed = seed * 1103515245u + 12345u;
        if ((seed >> 20) % 7 != 0) {
            rtf +=
                "{\\cs15\\up6 #{\\footnote \\pard\\plain {\\cs15 #} T" + std::to_string(t) + "}}";
        }
        if ((seed >> 12) % 5 != 0)
            rtf += "${\\footnote Rubrique " + std::to_string(t) + "}";
        const int pieces = 3 + static_cast<int>((seed >> 8) % 40);
        for (int p = 0; p < pieces; ++p) {
            seed = seed * 1103515245u + 12345u;
            const uint32_t pick = (seed >> 16) % (kCount + 3);
            if (pick == kCount) {
                rtf += "{\\i ";
                ++open;
            } else if (pick == kCount + 1 && open > 0) {
                rtf += "}";
                --open;
            } else if (pick < kCount) {
                std::snprintf(buf, sizeof buf, kPieces[pick],
                              1 + static_cast<int>((seed >> 4) % (topics + 2)));
                rtf += buf;
            }
        }
        if (t < topics)
            rtf += (seed & 1) ? "\\page\n" : "\\page ";
    }
    rtf.append(open, '}');
    rtf += "}";
    return rtf;
}

bool Exists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0;
}

TEST(BuildOutput, SameBytesAsTheFirstBuilder) {
    // The digests a build of the source, or of the text, must give.
    struct Case {
        const char* name;
        std::string source;
        std::string text;
        std::string files, messages, topics;
    };
    const std::string shared = std::string(TOLVANE_SHARED_DIR) + "/corpus/helpsrc/";
    const Case cases[] = {
        {"guide", std::string(TOLVANE_SOURCE_DIR) + "/samples/guide/GUIDE.hpj", "",
         "183843ed93b2be3f", "c6993f24ef3b43ac", "7b1e4c30430fd93e"},
        {"generated 1", "", GeneratedTopics(400, 1), "e74e75e4f3ccebc2", "ddf0f13e332bb8ca",
         "34d8fa6a0abbaf68"},
        {"generated 2", "", GeneratedTopics(300, 77), "ce16f43b78ed6ec3", "821a6b3480299751",
         "53fccf01ef7a27b0"},
        {"statlist", shared + "ms-statlist/statlist/StatList.Hpj", "", "e18a4775a26b8f30",
         "cbf29ce484222325", "0e685275aabc6b2a"},
        {"calques3d", shared + "calques3d/Calques3D.hpj", "", "375e4f86070f96f5",
         "aa88563c3579f02f", "cd07ad01d5e38099"},
        {"cdex", shared + "cdex/CDex.hpj", "", "b85c096b1ae467e4", "c54f9115afb301d0",
         "2c6c43d53796a8c9"},
        {"winprom", shared + "winprom/winprom.hpj", "", "8e3269b374acc0d2", "bceae42aa918a5cb",
         "8a86f09c2b0a5f01"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.source.empty() && !Exists(c.source))
            continue; // the corpus is optional
        const Digest d = Build(c.source, c.text);
        EXPECT_EQ(d.files, c.files);
        EXPECT_EQ(d.messages, c.messages);
        EXPECT_EQ(d.topics, c.topics);
        // A build that keeps no hot text writes the same files.
        const Digest plain = Build(c.source, c.text, false);
        EXPECT_EQ(plain.files, c.files);
        EXPECT_EQ(plain.messages, c.messages);
    }
}

} // namespace
} // namespace tolvane::authoring
