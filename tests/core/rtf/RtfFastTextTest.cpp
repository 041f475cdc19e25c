// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/rtf/RtfReader.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <string>

namespace tolvane::rtf {
namespace {

// Plain text is decoded sixteen bytes at a time; whatever interrupts a run
// (an escape, a dropped line break, a raw 8-bit byte, a brace, a control
// word) must give the same text wherever it falls in a block, and so must a
// run that ends with the input or meets a malformed escape.
TEST(RtfFastTextTest, Interruptions_AtEveryOffsetOfABlock) {
    struct Interruption {
        const char* name;
        std::string rtf;
        std::u16string text;
    };
    const Interruption interruptions[] = {
        {"hex escape", "\\'e9", u"\u00E9"},
        {"upper-case hex escape", "\\'C0", u"\u00C0"},
        {"line break dropped", "\r\n", u""},
        {"raw 8-bit byte", "\x80", u"\u20AC"},
        {"tab", "\t", u"\t"},
        {"group", "{\\b x}", u"x"},
        {"paragraph", "\\par ", u"\r\n"},
        {"hidden group", "{\\v hidden}", u""},
        {"escaped brace", "\\{", u"{"},
        {"unicode with fallback", "\\u8364?", u"\u20AC"},
        {"malformed escape", "\\'4G", u"G"},
        {"two escapes", "\\'e0\\'e9", u"\u00E0\u00E9"},
        {"format words", "\\b\\i0\\sb-60 ", u""},
        {"line and tab words", "\\line\\tab ", u"\r\n\t"},
        {"nested groups", "{{\\b x}{\\i y}}", u"xy"},
        {"hidden inside a group", "{\\b x{\\v y}z}", u"xz"},
    };
    for (const Interruption& i : interruptions) {
        for (size_t before = 0; before < 40; ++before) {
            SCOPED_TRACE(std::string(i.name) + " after " + std::to_string(before) + " bytes");
            const std::string lead(before, 'a');
            const std::string trail(37, 'z');
            const std::string rtf = "{\\rtf1\\ansi " + lead + i.rtf + trail + "}";
            const std::u16string expected =
                std::u16string(before, u'a') + i.text + std::u16string(37, u'z');
            EXPECT_EQ(RtfReader::displayedText(rtf), expected);
            EXPECT_EQ(RtfReader::read(rtf).text, expected);
            // The same text cut at the end of the input, without its brace.
            const std::string cut = "{\\rtf1\\ansi " + lead + i.rtf;
            EXPECT_EQ(RtfReader::displayedText(cut), RtfReader::read(cut).text);
        }
    }
    for (const char* tail : {"\\", "\\'", "\\'e", "\\'e9"}) {
        SCOPED_TRACE(tail);
        const std::string rtf = "{\\rtf1 " + std::string(20, 'a') + tail;
        EXPECT_EQ(RtfReader::displayedText(rtf), RtfReader::read(rtf).text);
    }
}

// Pseudo-random documents from the pieces that interact most: the text
// read alone must be the model's text, byte for byte, whatever the mix;
// and large documents outgrow the text's first reservation.
TEST(RtfFastTextTest, MixedDocuments_TextIsTheModelsText) {
    static const char* const kPieces[] = {
        "{",
        "}",
        "\\par ",
        "\\'e9",
        "\\'8",
        "\\u8364?",
        "\\u-3913 ?",
        "\\uc2 ",
        "\\uc0 ",
        "\\v ",
        "\\v0 ",
        "\\f1 ",
        "\\f2 ",
        "\\f3 ",
        "\\plain ",
        "\\*",
        "\\bin3 ",
        "abc ",
        "d\\'e9j\\'e0 ",
        "{\\fonttbl{\\f1\\fcharset128 M;}{\\f2\\fcharset2 Symbol;}{\\f3\\fcharset161 G;}}",
        "{\\pict\\pngblip 8950}",
        "{\\object{\\*\\objdata 01}{\\result r}}",
        "\\",
        "\xE9\x93\xFA",
        "\r\n",
        "\\ansicpg1251 ",
        "\\mac ",
        "\\deff1 ",
        "\\tab ",
        "\\cell ",
        "\\row ",
        "\\~",
        "\\\r",
        "\\{",
        "\\}",
        "\\\\",
        "{\\field{\\*\\fldinst X}{\\fldrslt y}}",
        "{\\*\\foo bar}",
        "{\\stylesheet s}",
        "\t",
        "\x01",
        "                 ",
        "\\result ",
        "\\b ",
        "\\i0",
        "\\sb-60 ",
        "\\b-",
        "\\line",
        "\\emdash ",
        "\\'93",
        "{\\b "};
    constexpr size_t kCount = sizeof kPieces / sizeof kPieces[0];
    uint32_t seed = 7;
    const auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return seed >> 8;
    };
    RtfTextReader reader;
    for (int round = 0; round < 3000; ++round) {
        std::string rtf = next() % 4 != 0 ? "{\\rtf1 " : "";
        const size_t pieces = round % 100 == 0 ? 20000 : 1 + next() % 80;
        for (size_t i = 0; i < pieces; ++i)
            rtf += kPieces[next() % kCount];
        ASSERT_EQ(RtfReader::displayedText(rtf), RtfReader::read(rtf).text) << rtf;
        ASSERT_EQ(reader.displayedText(rtf), RtfReader::displayedText(rtf)) << rtf;
    }
}

// A reader of one document after another takes the fonts of a font table
// the previous document had byte for byte, and only then.
TEST(RtfTextReader, GivesWhatEachDocumentAloneGives) {
    const std::string table =
        "{\\fonttbl{\\f0\\froman Times;}{\\f1\\fcharset2 Symbol;}"
        "{\\f2\\fcharset204{\\*\\panose 0202}Cyr;}{\\f3\\fcharset2 Wingdings;}}";
    const std::string text = "a\\f1 a\\f2 \\'e9\\f3 a\\f0 \\'e9";
    const char* const documents[] = {
        "{\\rtf1\\ansi", // the table read, then taken from the reader
        "{\\rtf1\\ansi",
        "{\\rtf1\\ansi\\deff1",       // another default font, the same table
        "{\\rtf1\\ansi\\ansicpg1251", // another code page around the table
        "{\\rtf1\\mac",
        "{\\rtf1{\\fonttbl{\\f1 Other;}}", // a second table does not take the first one's fonts
        "{\\rtf1\\ansi",
    };
    RtfTextReader reader;
    for (const char* head : documents) {
        const std::string rtf = std::string(head) + table + text + "}";
        EXPECT_EQ(reader.displayedText(rtf), RtfReader::displayedText(rtf)) << rtf;
    }
    const std::string others[] = {
        // A colour table inside the font table is read, not taken.
        "{\\rtf1{\\fonttbl{\\f0 A;}{\\colortbl;\\red255;}}{\\colortbl;\\red1;}\\cf1 x}",
        "{\\rtf1{\\fonttbl{\\f0 A;}{\\colortbl;\\red255;}}{\\colortbl;\\red1;}\\cf1 x}",
        // A table never closed, then the same bytes closed.
        "{\\rtf1{\\fonttbl{\\f1\\fcharset2 Symbol;}\\f1 a",
        "{\\rtf1{\\fonttbl{\\f1\\fcharset2 Symbol;}}\\f1 a}",
        "{\\rtf1{\\fonttbl{\\f1\\fcharset2 Symbol;}}\\f1 a}",
        // \\bin data holding a brace inside the table.
        "{\\rtf1{\\fonttbl{\\f1\\fcharset2{\\*\\x\\bin1 }} Symbol;}}\\f1 a}",
        "{\\rtf1{\\fonttbl{\\f1\\fcharset2{\\*\\x\\bin1 }} Symbol;}}\\f1 a}",
    };
    for (const std::string& rtf : others)
        EXPECT_EQ(reader.displayedText(rtf), RtfReader::displayedText(rtf)) << rtf;
}

} // namespace
} // namespace tolvane::rtf
