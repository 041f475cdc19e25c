// SPDX-License-Identifier: GPL-3.0-or-later
#include "../../../fuzz/TopicParserCheck.h"
#include "support/CorpusFiles.h"

#include <gtest/gtest.h>

namespace tolvane::authoring {
namespace {

// Inputs the fuzzer found where the parser's count and the reader's
// disagreed, reduced to their core.
TEST(TopicParserFuzz, FoundInputsCountAsTheReaderShows) {
    const std::string inputs[] = {
        // Control bytes are copied but the reader shows nothing for them.
        std::string("{#{\\footnote\x01}\x03", 15),
        std::string("{\\rtf1 #{\\footnote A}a\x02"
                    "b\x1F"
                    "c {\\uldb d\x05"
                    "e}{\\v B}}"),
        // A backslash ending the input would escape the body's last brace.
        std::string("{#{\\footnote\x10}\\pn\\", 18),
        "{\\rtf1 #{\\footnote A}text\\",
        // \u without a parameter is a character all the same.
        "{#{\\footnote\xFF}\\u",
        "{\\rtf1 #{\\footnote A}{\\uldb a\\u b\\u70000 c}{\\v B}}",
        // Control words, symbols and binary data are characters a \u
        // stands for; groups end them.
        std::string("{#{\\footnote\0}\\u\\\n", 18),
        "{\\rtf1 #{\\footnote A}\\uc2 a\\u233\\par\\-b \\u233{c}d \\u233\\bin1 xy}",
        // A broken hexadecimal escape stands for nothing.
        "{\\'e\x15#{\\footnote e",
        "{\\rtf1 #{\\footnote A}a\\'zz b\\'4 c\\'",
        std::string("{#{\\footnote\0}\\'\0e", 18),
        std::string("{#{\\footnote A}\\'e\0"
                    "5",
                    20),
        // Tables left open or holding groups stay out of the bodies' header.
        "{#{\\footnote\xFF}1{\\fonttbl",
        "{\\rtf1{\\colortbl;{\\red1;}}#{\\footnote A}{\\uldb a}{\\v A}}",
        // Marks inside a hot spot are part of its text.
        "{\\ul f#{\\footnote\xFF}\\\nL\\v.",
        "{\\rtf1 #{\\footnote A}{\\uldb a\\par b\\cell c\\line}{\\v A} d}",
        // A nested row ends as a row does.
        "{\\nestrow#{\\footnote\x0F",
        "{\\rtf1 #{\\footnote A}a\\nestcell b\\nestrow c}",
        // Destinations met inside a group hide the rest of it.
        "{\\fonttbl{2}{\\footnote # d \n",
        std::string("{\\fonttbl\x01\\f0U#{\\footnote o", 28),
        "{\\rtf1 #{\\footnote A}a {\\b b\\pn c} {\\i d\\*\\zz e} {\\pict\\wmetafile8 01} f}",
        "{\\rtf1 #{\\footnote A}{\\b x\\pict\\wmetafile8 01}{\\b y\\object z}{\\pn w}}",
        // A group left out of the body (a footnote, an ignored destination)
        // still ends the characters a \\u stands for; a brace escaped while
        // they are pending is one of them, not the start of a bitmap.
        "{\\u{\\footnote# r}r",
        "{\\rtf1 #{\\footnote A}\\u233{\\*\\bkmkstart x}e f}",
        "{\\rtf1 #{\\footnote A}\\u233{\\bmc absen.bmp}e f}",
        "{\\rtf1 #{\\footnote A}\\u233\\{bmc xy.bmp\\} f}",
        // A picture whose group names another destination at its own level
        // is not shown: the reader skips the rest of the group.
        std::string("{#{\\footnote\0}\\pict\\pn", 22),
        "{\\rtf1 #{\\footnote A}a {\\pict\\pn 01} b {\\b x\\pict\\fonttbl 01} c}",
        "{\\rtf1 #{\\footnote A}a {\\pict\\*\\zz 01} b {\\pict{\\*\\blipuid 0}\\pngblip 01} c}",
        "{\\rtf1 #{\\footnote A}{\\uldb a {\\pict\\pn 01}b}{\\v B} c}",
        // A \\* marks the word after it, past control bytes; text left out
        // of the body must not bring a later word next to it.
        std::string("{#{\\footnote\0}\\*\0\\u", 19),
        "{#{\\footnote\xFF}\\v\\*t\\plain\xFF",
        "{\\rtf1 #{\\footnote A}a {\\v \\*cach\\'e9\\plain b} c}",
        // Colour table entries that start with a letter or a digit stay
        // apart from the table's word.
        "{{\\colortbl e;}#{\\footnote\x01",
        "{\\rtf1{\\colortbl 1;\\red0\\green0\\blue0;}#{\\footnote A}a {\\uldb b}{\\v A} c}",
        "{\\rtf1{\\colortbl;\\bin12 ;x;y;z}#{\\footnote A}a {\\uldb b}{\\v A} cdefghijklmn}",
        // A destination word taken as a \\u fallback is no formatting of
        // the group re-opened after a page break.
        "{{\\u\\pn\\page{\\footnote# e}\xFF",
        "{\\rtf1 #{\\footnote A}{\\b \\u233\\pn a\\page #{\\footnote B}b} c}",
        "{{\\v\\u\\plain\\page{\\footnote# l}\\\n",
        "{\\rtf1 #{\\footnote A}{\\v \\uc2\\u233\\plain x\\page #{\\footnote B}b} c}",
        // A missing bitmap's name with control bytes in its placeholder.
        std::string("{{bmc \0}#{\\footnote\0", 20),
        "{\\rtf1 #{\\footnote A}a {bmc x\ty.bmp} b}",
        // A hot spot in a symbol font: the reader shows its letters as the
        // font's own characters, at the same positions.
        "{\\rtf1{\\fonttbl{\\f1\\fcharset2 Symbol;}}#{\\footnote A}x {\\f1\\uldb ABC}{\\v B} y}",
    };
    for (const std::string& in : inputs) {
        SCOPED_TRACE(testing::PrintToString(in));
        EXPECT_EQ(fuzz::TopicParserDisagreement(in), "");
    }
}

// Every topic of the corpus's help projects and of the bundled guide: the
// reader shows each built body as it shows the topic in its source file.
TEST(TopicParserFuzz, CorpusAndGuideTopicsReadAsTheirSource) {
    const size_t files =
        test::ForEachFile({test::CorpusDir() + "/helpsrc", test::SamplesDir() + "/guide"}, ".rtf",
                          [](const std::string& file, const std::string& bytes) {
                              EXPECT_EQ(fuzz::TopicParserDisagreement(bytes, file), "");
                          });
    EXPECT_GE(files, 2u); // the guide's two files at least
}

// What the build takes out of a body by design, and what it must not: each
// source reads as its topic's body, checked with the reader on both.
TEST(TopicParserFuzz, BodiesReadAsTheirSourceLessFootnotesAndTargets) {
    const std::string inputs[] = {
        // A footnote's mark at the end of a line, its footnote on the next.
        "{\\rtf1 #\n{\\footnote A}K\r\n{\\footnote K mot}Texte.\\par}",
        "{\\rtf1 #{\\*\\footnote A}K{\\*\n\\footnote K mot}a{\n\\footnote b}c}",
        "{\\rtf1 #{\\footnote A}{\\uldb Lien}{\\v B} et {\\ul note}{\\v C}.\\page\n"
        "#{\\footnote B}Suite\\page #{\\footnote C}Note}",
        // A word longer than the reader reads has no name, in either.
        "{\\rtf1 #{\\footnote A}a \\qqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqq b}",
        "{\\rtf1 #{\\footnote A}a \\uqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqq65 b}",
        // Parameters clamp as the reader clamps them.
        "{\\rtf1 #{\\footnote A}\\uc99999999999 \\u233 xy \\u65566zz}",
        // A character style that hides text hides the link's target.
        "{\\rtf1{\\stylesheet{\\*\\cs18 \\additive\\v hid;}}#{\\footnote A}"
        "{\\uldb Ouvrir}{\\cs18 HID_OPEN}.}",
        // Bitmaps, found and missing, in both spellings.
        "{\\rtf1 #{\\footnote A}a {bmc ab.bmp} b \\{bml abc.bmp\\} c}",
        // The Unicode half of a \upr, once.
        "{\\rtf1 #{\\footnote A}a {\\upr{x}{\\*\\ud{\\u233 e}}} b {\\uldb "
        "c{\\upr{y}{\\*\\ud{z}}}}{\\v A}}",
        // A group open across a page break is re-opened in the next body.
        "{\\rtf1 #{\\footnote A}{\\v a\\page #{\\footnote B}b\\v0 c} d}",
        // Fonts read under the code page in force where their table stood.
        "{\\rtf1\\ansi\\ansicpg1253{\\fonttbl{\\f0\\fcharset0 A;}}\\f0 #{\\footnote A}\\'e9}",
        "{\\rtf1\\mac{\\fonttbl{\\f0 A;}}\\f0 #{\\footnote A}\\'8e\\ansicpg1251\\page "
        "#{\\footnote B}\\'e9}",
        // The document's code page outlives the group that set it.
        "{\\rtf1{\\fonttbl{\\f0 A;}}#{\\footnote A}{\\ansicpg1253 a}\\page "
        "#{\\footnote B}\\f5\\'e9}",
        // A later font table adds fonts; the first definition of each stays.
        "{\\rtf1{\\fonttbl{\\f0 A;}}#{\\footnote A}\\f0\\'e9{\\fonttbl{\\f0\\fcharset2 S;}"
        "{\\f1\\fcharset2 S;}}\\f1\\'e9\\f0\\'e9}",
        // After \\*, a group is skipped only if a word the reader skips follows.
        "{\\rtf1 #{\\footnote A}a{\\*\\pntext 1.\\tab}b{\\*** c}d{\\*\\shppict{\\pict\\pngblip 00}}"
        "{\\nonshppict{\\pict\\pngblip 00}}e{\\*\\zz f}g}",
        // Text before the document is no topic's.
        "\xF2{\\rtf1 #{\\footnote A}a}",
        // Character words are characters, not formatting to re-open.
        "{\\rtf1 #{\\footnote A}{\\b a\\zwj\\ltrmark\\page #{\\footnote B}b} c}",
    };
    for (const std::string& in : inputs) {
        SCOPED_TRACE(testing::PrintToString(in));
        EXPECT_EQ(fuzz::TopicParserDisagreement(in), "");
    }
}

} // namespace
} // namespace tolvane::authoring
