// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/rtf/RichTextDump.h"

#include "core/common/Cp1252.h"
#include "core/rtf/RtfReader.h"
#include "support/CorpusFiles.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace tolvane::rtf {
namespace {

// The dump as it was first written: the full model, one character at a time.
std::string unitByUnit(std::u16string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        if (u == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            out += '\n';
            ++i;
        } else if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                   text[i + 1] <= 0xDFFF) {
            cp1252::appendUtf8(out,
                               0x10000 + ((char32_t{u} - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            cp1252::appendUtf8(out, 0xFFFD);
        } else {
            cp1252::appendUtf8(out, u);
        }
    }
    return out;
}

std::string modelDump(std::string_view rtf, RichTextDump::Mode mode) {
    const RichDocument document = RtfReader::read(rtf);
    if (mode == RichTextDump::Mode::Count)
        return std::to_string(document.text.size()) + "\n";
    if (mode == RichTextDump::Mode::Text)
        return unitByUnit(document.text);
    std::string out;
    for (const Paragraph& p : document.paragraphs) {
        out += std::to_string(p.begin) + "\t";
        out += unitByUnit(std::u16string_view(document.text).substr(p.begin, p.end - p.begin));
        out += '\n';
    }
    return out;
}

void expectSameAsModel(std::string_view rtf) {
    for (const auto mode :
         {RichTextDump::Mode::Text, RichTextDump::Mode::Paragraphs, RichTextDump::Mode::Count}) {
        const std::string expected = modelDump(rtf, mode);
        EXPECT_EQ(RichTextDump::dump(rtf, mode), expected);
        std::ostringstream written;
        RichTextDump::write(rtf, mode, written);
        EXPECT_EQ(written.str(), expected) << "written as it is read";
    }
}

// Units that take one to four bytes or stand for U+FFFD, and CR LF pairs,
// wherever they fall among the eight-unit steps and the blocks of the
// conversion, ending the text or not.
TEST(RichTextDumpTest, ToUtf8_EveryUnitKindAtEveryOffset) {
    const struct {
        const char* name;
        std::u16string units;
    } kinds[] = {
        {"CR LF", u"\r\n"},
        {"lone CR", u"\r"},
        {"lone LF", u"\n"},
        {"two bytes", u"\u00E9"},
        {"three bytes", u"\u20AC"},
        {"last before surrogates", u"\uD7FF"},
        {"first after surrogates", u"\uE000"},
        {"highest unit", u"\uFFFF"},
        {"pair", u"\U0001F600"},
        {"lone high surrogate", std::u16string(1, char16_t(0xD83D))},
        {"lone low surrogate", std::u16string(1, char16_t(0xDE00))},
        {"swapped pair", std::u16string{char16_t(0xDE00), char16_t(0xD83D)}},
        {"NUL and DEL", std::u16string{u'\0', u'\x7F', u'\x80'}},
    };
    for (const auto& kind : kinds) {
        for (const size_t length : {0u, 1u, 7u, 8u, 9u, 15u, 16u, 17u, 4090u, 4096u, 8200u}) {
            for (size_t at = 0; at <= length;
                 at += at < 20 || at + 20 > length || (at > 4070 && at < 4110) ? 1 : 61) {
                std::u16string text(length, u'a');
                text.insert(at, kind.units);
                SCOPED_TRACE(std::string(kind.name) + " at " + std::to_string(at) + " of " +
                             std::to_string(text.size()));
                ASSERT_EQ(RichTextDump::toUtf8(text), unitByUnit(text));
            }
        }
    }
    // Appending keeps what was there.
    std::string out = "déjà ";
    RichTextDump::appendUtf8(out, u"l\u00E0\r\n");
    EXPECT_EQ(out, "déjà là\n");
}

// Text given in pieces converts as the whole would, wherever the pieces are
// cut: between CR and LF, inside a pair, around lone halves, empty pieces.
TEST(RichTextDumpTest, Utf8Converter_PiecesConvertAsTheWhole) {
    const std::u16string text = std::u16string(u"a\r\n\u00E9\r\r\U0001F600b\r") + char16_t(0xD83D) +
                                u"\n" + char16_t(0xDE00) + char16_t(0xD83D) + u"\r\n" +
                                char16_t(0xD83D);
    const std::string whole = unitByUnit(text);
    for (size_t i = 0; i <= text.size(); ++i) {
        for (size_t j = i; j <= text.size(); ++j) {
            SCOPED_TRACE("cut at " + std::to_string(i) + " and " + std::to_string(j));
            std::string out;
            Utf8Converter converter;
            converter.append(std::u16string_view(text).substr(0, i), out);
            converter.append(std::u16string_view(text).substr(i, j - i), out);
            converter.append(u"", out);
            converter.append(std::u16string_view(text).substr(j), out);
            converter.finish(out);
            ASSERT_EQ(out, whole);
        }
    }
}

// The dump reads the displayed text alone, with paragraph spans for
// --paragraphs: a cell and a tab look alike in the text, so the spans must
// come from the marks themselves.
TEST(RichTextDumpTest, Dump_SameAsTheFullModel) {
    const char* const cases[] = {
        "",
        "{\\rtf1}",
        "{\\rtf1 a}",
        "{\\rtf1 a\\par}",
        "{\\rtf1 a\\par\\par b}",
        "{\\rtf1\\ansi Caf\\'e9\\par a\\tab{\\pict 00}\\cell b}",
        "{\\rtf1 a\\tab b\\cell c\\row d}",
        "{\\rtf1\\trowd\\cellx100\\cellx200\\intbl x\\cell y\\cell\\row\\pard z\\par}",
        "{\\rtf1 a\\line b\\page c\\sect d\\nestcell e\\nestrow f}",
        "{\\rtf1 {\\b gras\\par}{\\i x\\tab y}\\par}",
        "{\\rtf1 \\'0d\\'0a\\par \\'0d}",
        "{\\rtf1\\uc1 \\u-10179?\\u-8704?\\par \\u-10179?}",
        "{\\rtf1 a{\\v cach\\'e9\\par}b\\par",
        "{\\rtf1 {\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt lien}}\\par}",
        "{\\rtf1 a\\par}}}} b\\par",
    };
    for (const char* rtf : cases) {
        SCOPED_TRACE(rtf);
        expectSameAsModel(rtf);
    }
    // Long enough to be read and written in many blocks, with marks, cells,
    // pairs and CR LF escapes falling on every block boundary in turn.
    std::string rtf = "{\\rtf1\\ansi\\uc1 ";
    const char* const pieces[] = {"mot ",    "\\'e9t\\'e9 ",        "\\par ",     "\\tab ",
                                  "\\cell ", "\\u-10179?\\u-8704?", "\\'0d\\'0a", "{\\b x}",
                                  "\\'0d",   "\\u-10179?",          "\\line ",    "\\u8364?"};
    uint32_t seed = 7;
    while (rtf.size() < 300000) {
        seed = seed * 1103515245u + 12345u;
        rtf += pieces[(seed >> 16) % (sizeof pieces / sizeof pieces[0])];
    }
    rtf += "}";
    expectSameAsModel(rtf);
}

// Real documents, help sources and the bundled guide: the dump in all three
// forms is byte for byte the one the full model gives.
TEST(RichTextDumpTest, Dump_CorpusFilesSameAsTheFullModel) {
    test::ForEachCorpusRtf(expectSameAsModel);
}

} // namespace
} // namespace tolvane::rtf
