// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/rtf/RtfReader.h"

#include "../../../fuzz/RtfTableSeeds.h"

#include <gtest/gtest.h>
#include <string>

namespace tolvane::rtf {
namespace {

// Every document is read both ways, the fast text and the model, and both
// must give the text the rich-edit rules give. Bad input must end and keep
// the model small; none of it may crash (the sanitizer build checks the
// reads).
TEST(RtfReaderTest, Text_FollowsTheRichEditRulesBothWays) {
    const std::string deep = std::string(1000000, '{') + "x" + std::string(1000000, '}');
    std::string fonts = "{\\rtf1{\\fonttbl";
    for (int i = 0; i < 1000000; ++i)
        fonts += "{\\f" + std::to_string(i) + " F;}";
    fonts += "}\\f999999 a}";
    std::string colors = "{\\rtf1{\\colortbl";
    for (int i = 0; i < 1000000; ++i)
        colors += "\\red1;";
    colors += "}\\cf999999 b}";
    const struct {
        const char* name;
        std::string rtf;
        std::u16string text;
    } cases[] = {
        {"paragraph marks count two", "{\\rtf1 ab\\par cd\\line e\\page f\\sect g}",
         u"ab\r\ncd\r\ne\r\nf\r\ng"},
        {"tab and cell count one", "{\\rtf1 a\\tab b\\cell c}", u"a\tb\tc"},
        {"row counts two", "{\\rtf1\\trowd\\cellx100\\cellx200\\intbl a\\cell b\\cell\\row x}",
         u"a\tb\t\r\nx"},
        {"picture counts one", "{\\rtf1 a{\\pict\\pngblip 89504e47}b}", u"a\uFFFCb"},
        {"object without result counts one", "{\\rtf1 a{\\object\\objemb{\\*\\objdata 0102}}b}",
         u"a\uFFFCb"},
        {"object result shown", "{\\rtf1 a{\\object{\\*\\objdata 01}{\\result r}}b}", u"arb"},
        {"unicode skips one fallback byte", "{\\rtf1 \\u8364?x}", u"\u20ACx"},
        {"unicode with hex fallback", "{\\rtf1 \\u8364\\'80x}", u"\u20ACx"},
        {"uc2 skips two", "{\\rtf1\\uc2 \\u26085\\'93\\'fAx}", u"\u65E5x"},
        {"uc0 skips nothing", "{\\rtf1\\uc0 \\u233 x}", u"\u00E9x"},
        {"negative unicode", "{\\rtf1 \\u-3913 ?}", u"\uF0B7"},
        {"fallback ends at group", "{\\rtf1\\uc3 {\\u233 a}bc}", u"\u00E9bc"},
        {"fallback control symbol", "{\\rtf1 \\u233\\~x}", u"\u00E9x"},
        {"hidden text not counted", "{\\rtf1 a{\\v HID_OPEN}b\\v c\\v0 d}", u"abd"},
        {"hidden cell ends its cell", "{\\rtf1\\intbl {\\uldb a}{\\v HID_A\\cell }b\\cell}",
         u"a\tb\t"},
        {"hidden row and par count two", "{\\rtf1\\intbl a\\cell{\\v x\\row}b{\\v\\par}c}",
         u"a\t\r\nb\r\nc"},
        {"hidden nested marks count", "{\\rtf1 a{\\v\\nestcell\\nestrow}b}", u"a\t\r\nb"},
        {"hidden source line break counts two", "{\\rtf1 a{\\v\\\n}b}", u"a\r\nb"},
        {"hidden line, page, sect, tab count nothing", "{\\rtf1 a{\\v\\line\\page\\sect\\tab}b}",
         u"ab"},
        {"nested row definition counts nothing",
         "{\\rtf1\\intbl\\itap2 n\\nestcell{\\*\\nesttableprops\\trowd\\cellx9\\nestrow}"
         "{\\nonesttables\\par}x}",
         u"n\t\r\nx"},
        {"continuous section still two", "{\\rtf1 a\\par\\sect\\sectd\\sbknone b}", u"a\r\n\r\nb"},
        {"plain ends hidden", "{\\rtf1 \\v a\\plain b}", u"b"},
        {"cp1252 hex and raw byte", "{\\rtf1\\ansi caf\\'e9 \x80}", u"caf\u00E9 \u20AC"},
        {"ansicpg1251", "{\\rtf1\\ansi\\ansicpg1251 \\'c0\\'e1}", u"\u0410\u0431"},
        {"font charset 238",
         "{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset238 Arial CE;}}\\f1 \\'b9\\f0 \\'b9}",
         u"\u0105\u00B9"},
        {"font charset 161 greek", "{\\rtf1{\\fonttbl{\\f3\\fcharset161 Arial Greek;}}\\f3 \\'e1}",
         u"\u03B1"},
        {"cpg overrides charset", "{\\rtf1{\\fonttbl{\\f1\\fcharset0\\cpg1251 X;}}\\f1 \\'c0}",
         u"\u0410"},
        {"symbol font", "{\\rtf1{\\fonttbl{\\f1\\ftech\\fcharset2 Symbol;}}{\\f1 a\\'b7\\'de}x}",
         u"\u03B1\u2022\u21D2x"},
        {"symbol font unicode pua", "{\\rtf1{\\fonttbl{\\f1\\fcharset2 Symbol;}}\\f1\\u-3913 ?}",
         u"\u2022"},
        {"other symbol font goes to private use",
         "{\\rtf1{\\fonttbl{\\f1\\fcharset2 Wingdings;}}\\f1 J}", u"\uF04A"},
        {"mac roman", "{\\rtf1\\mac \\'8e}", u"\u00E9"},
        {"shift-jis pair", "{\\rtf1{\\fonttbl{\\f1\\fcharset128 MS Mincho;}}\\f1 \\'93\\'fa}",
         u"\u65E5"},
        {"big5 raw bytes", "{\\rtf1{\\fonttbl{\\f1\\fcharset136 MingLiU;}}\\f1 \xA4\xA4}",
         u"\u4E2D"},
        {"field instruction hidden, result shown",
         "{\\rtf1 {\\field{\\*\\fldinst HYPERLINK \"http://x\"}{\\fldrslt lien}} fin}",
         u"lien fin"},
        {"field instruction without star", "{\\rtf1{\\field{\\fldinst PAGE}{\\fldrslt 3}}}", u"3"},
        {"ignorable destination", "{\\rtf1 a{\\*\\unknownthing secret}b}", u"ab"},
        {"unknown word shows its group", "{\\rtf1 a{\\unknownword shown}b}", u"ashownb"},
        {"nested ignorable", "{\\rtf1 a{\\*\\x{b{c}}d}e}", u"ae"},
        {"tables not shown",
         "{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red255\\green0\\blue0;}"
         "{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}}x}",
         u"x"},
        {"footnote and header not shown", "{\\rtf1{\\header H}#{\\footnote # note}a{\\footer F}}",
         u"#a"},
        {"pntext shown", "{\\rtf1{\\pntext\\'b7\\tab}{\\*\\pn\\pnlvlblt{\\pntxtb x}}item}",
         u"\u00B7\titem"},
        {"listtext shown", "{\\rtf1{\\listtext 1.\\tab}a}", u"1.\ta"},
        {"upr shows its Unicode half once",
         "{\\rtf1 a{\\upr{\\'e9t\\'e9}{\\*\\ud{\\u233 e\\u8364 E}}}b{\\*\\ud x}{\\f0\\upr{c}}d}",
         u"a\u00E9\u20ACbd"},
        {"shppict read, nonshppict skipped",
         "{\\rtf1{\\*\\shppict{\\pict\\pngblip 00}}{\\nonshppict{\\pict\\wmetafile8 00}}}",
         u"\uFFFC"},
        {"special characters",
         "{\\rtf1\\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote\\rdblquote\\emspace\\enspace"
         "\\qmspace\\~\\-\\_}",
         u"\u2014\u2013\u2022\u2018\u2019\u201C\u201D\u2003\u2002\u2005\u00A0\u2011"},
        {"escaped braces and backslash", "{\\rtf1 \\{bmc x.bmp\\} \\\\}", u"{bmc x.bmp} \\"},
        {"bin skipped", "{\\rtf1 a\\bin3 }{\\b}", u"ab"},
        {"bin in picture", "{\\rtf1{\\pict\\pngblip\\bin2 {}x}}", u"\uFFFC"},
        {"cr lf dropped, escaped newline is a paragraph", "{\\rtf1 a\r\nb\\\nc}", u"ab\r\nc"},
        {"literal tab", "{\\rtf1 a\tb}", u"a\tb"},
        {"delimiter space eaten once", "{\\rtf1\\b  x}", u" x"},
        {"nestcell as cell", "{\\rtf1 a\\nestcell b}", u"a\tb"},
        {"hidden picture", "{\\rtf1{\\v{\\pict 00}}}", u""},
        {"text after the document ignored", "{\\rtf1 a}b", u"a"},
        // Only the group state that decides what is shown is copied on '{' for the
        // text: the code page, hidden text and \uc must still come back at '}'.
        {"font code page",
         "{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset161 Greek;}}\\f0 {\\f1 \\'e1}\\'e1}",
         u"\u03B1\u00E1"},
        {"symbol font", "{\\rtf1{\\fonttbl{\\f1\\fcharset2 Symbol;}}{\\f1 a}a}", u"\u03B1a"},
        {"double-byte font", "{\\rtf1{\\fonttbl{\\f1\\fcharset128 Mincho;}}{\\f1 \\'93\\'fa}\\'e9}",
         u"\u65E5\u00E9"},
        {"hidden", "{\\rtf1 a{\\v b{\\v0 c}d}e}", u"ace"},
        {"plain inside a group", "{\\rtf1\\v {\\plain a}b}", u"a"},
        {"unicode skip", "{\\rtf1\\uc1 {\\uc3 \\u233 abcd}\\u233 xy}", u"\u00E9d\u00E9y"},
        {"document code page outside fonts", "{\\rtf1\\ansicpg1251 {\\'c0}\\'c0}", u"\u0410\u0410"},
        {"deep nesting", "{\\rtf1 {{{{{{{{\\v x}}}}}}}}y}", u"y"},
        // Control words are found by exact name only: prefixes, longer names and
        // case variants of known words are unknown words and show nothing, and the
        // longest skipped destinations are still recognised.
        {"prefix of par", "{\\rtf1 a\\pa b}", u"ab"},
        {"par with a letter more", "{\\rtf1 a\\parx b}", u"ab"},
        {"upper case", "{\\rtf1 a\\PAR b}", u"ab"},
        {"one-letter word", "{\\rtf1 a\\v b\\v0 c}", u"ac"},
        {"longest skipped name", "{\\rtf1 a{\\colorschememapping x}b}", u"ab"},
        {"long skipped name", "{\\rtf1 a{\\listoverridetable x}b}", u"ab"},
        {"symbol word", "{\\rtf1 \\emdash\\ldblquote}", u"\u2014\u201C"},
        {"over 32 letters", "{\\rtf1 a\\parparparparparparparparparparparpar b}", u"ab"},
        {"control space", "{\\rtf1 a\\ b}", u"ab"},
        {"parameter clamped", "{\\rtf1 \\uc99999999999999 \\u65 bc}", u"A"},
        // Inside shown text, words that change nothing there, marks, characters
        // and groups holding only those are gone over without leaving the text
        // loop; what stops it must then be read in the group it belongs to.
        {"group before any other ends the document", "a{b}c", u"ab"},
        {"nested format groups", "{\\rtf1 a{\\b b{\\i c}d}e}", u"abcde"},
        {"hidden group two levels in", "{\\rtf1 a{\\b b{\\v c}d}e}", u"abde"},
        {"\\uc inside passed groups", "{\\rtf1 a{{\\uc0\\u233 x}}y}", u"a\u00E9xy"},
        {"\\uc restored after them", "{\\rtf1 {{\\uc0}}\\u233 xy}", u"\u00E9y"},
        {"font inside passed groups",
         "{\\rtf1{\\fonttbl{\\f1\\fcharset161 G;}}a{{\\f1\\'e1}}\\'e1}", u"a\u03B1\u00E1"},
        {"closing past the document", "{\\rtf1 {a}}b", u"a"},
        {"parameters", "{\\rtf1 a\\sb-60 b\\b- c\\li360x d\\b0\\i0 e}", u"ab- cx de"},
        {"marks and characters",
         "{\\rtf1 a\\tab b\\line c\\page d\\sect e\\cell f\\nestcell g\\row h\\nestrow "
         "i\\emdash\\bullet j}",
         u"a\tb\r\nc\r\nd\r\ne\tf\tg\r\nh\r\ni\u2014\u2022j"},
        {"destination in a passed group", "{\\rtf1 a{\\b{\\*\\foo x}b}c}", u"abc"},
        {"word as the \\u fallback", "{\\rtf1 \\u233\\b ab}", u"\u00E9ab"},
        // Bad input.
        {"unbalanced open", "{\\rtf1 a{\\b b", u"ab"},
        {"unbalanced close", "}}{\\rtf1 a}}}", u"a"},
        {"truncated control word", "{\\rtf1 a\\pa", u"a"},
        {"truncated hex", "{\\rtf1 a\\'e", u"a"},
        {"lone backslash", "{\\rtf1 a\\", u"a"},
        {"invalid hex", "{\\rtf1 a\\'zzb\\'4", u"azzb"},
        {"truncated picture", "{\\rtf1 a{\\pict\\pngblip 8950", u"a\uFFFC"},
        {"bin beyond the data", "{\\rtf1 a\\bin2000000000 xyz}", u"a"},
        {"negative bin", "{\\rtf1 a\\bin-5 b}", u"ab"},
        {"absurd numbers",
         "{\\rtf1\\fs99999999999999999999 \\u99999999999 ?\\li-99999999999999 a\\ansicpg-3 b}",
         u"\uFFFFab"},
        {"absurd unicode skip", "{\\rtf1\\uc2147483647 \\u65 bcd}", u"A"},
        {"long control word", "{\\rtf1 \\" + std::string(100000, 'a') + " x}", u"x"},
        {"a million nested groups", deep, u"x"},
        {"a million fonts", fonts, u"a"},
        {"a million colours", colors, u"b"},
        {"not rtf at all", "hello", u"hello"},
        {"empty", "", u""},
        {"nul bytes", std::string("{\\rtf1 a\0b}", 11), u"ab"},
        {"dbcs lead at group end", "{\\rtf1{\\fonttbl{\\f1\\fcharset128 M;}}{\\f1 \\'93}x}", u"x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const RichDocument d = RtfReader::read(c.rtf);
        EXPECT_EQ(d.text, c.text);
        EXPECT_EQ(RtfReader::displayedText(c.rtf), c.text);
        EXPECT_LE(d.fonts.size(), 16384u);
        EXPECT_LE(d.colors.size(), 16384u);
    }
    // Cut inside a word or its parameter, and a DBCS lead byte waiting
    // across a paragraph mark in a single-byte font.
    for (const char* rtf :
         {"{\\rtf1 a\\b", "{\\rtf1 a\\sb-", "{\\rtf1 a\\sb60", "{\\rtf1 {a\\par",
          "{\\rtf1{\\fonttbl{\\f0 A;}{\\f1\\fcharset128 M;}}\\f1\\'93\\f0 a\\par\\f1\\'fa}",
          "{\\rtf1{\\fonttbl{\\f0 A;}{\\f1\\fcharset128 M;}}\\f1\\'93\\f0 a{\\b}\\f1\\'fa}"}) {
        SCOPED_TRACE(rtf);
        EXPECT_EQ(RtfReader::displayedText(rtf), RtfReader::read(rtf).text);
    }
}

TEST(RtfReaderTest, Paragraphs_CutAtMarksWithTheirFormat) {
    const RichDocument d = RtfReader::read(
        "{\\rtf1\\pard\\qc\\li720\\fi-360\\sb120\\sa60\\sl-240\\tqr\\tx4000\\tx5000 a\\par"
        "\\pard b\\line c}");
    ASSERT_EQ(d.paragraphs.size(), 3u);
    const Paragraph& first = d.paragraphs[0];
    EXPECT_EQ(first.begin, 0u);
    EXPECT_EQ(first.end, 1u);
    EXPECT_EQ(first.mark, MarkKind::Paragraph);
    EXPECT_EQ(first.format.alignment, Alignment::Center);
    EXPECT_EQ(first.format.leftIndentTwips, 720);
    EXPECT_EQ(first.format.firstIndentTwips, -360);
    EXPECT_EQ(first.format.spaceBeforeTwips, 120);
    EXPECT_EQ(first.format.spaceAfterTwips, 60);
    EXPECT_EQ(first.format.lineSpacingTwips, -240);
    ASSERT_EQ(first.format.tabs.size(), 2u);
    EXPECT_EQ(first.format.tabs[0].alignment, TabAlignment::Right);
    EXPECT_EQ(first.format.tabs[1].alignment, TabAlignment::Left);
    EXPECT_EQ(d.paragraphs[1].begin, 3u);
    EXPECT_EQ(d.paragraphs[1].mark, MarkKind::Line);
    EXPECT_EQ(d.paragraphs[1].format.alignment, Alignment::Left);
    EXPECT_EQ(d.paragraphs[2].begin, 6u);
    EXPECT_EQ(d.paragraphs[2].mark, MarkKind::None);
}

TEST(RtfReaderTest, Segments_CarryGroupScopedCharacterFormats) {
    const RichDocument d = RtfReader::read(
        "{\\rtf1{\\fonttbl{\\f0\\froman Times New Roman;}{\\f1\\fswiss Arial;}}"
        "{\\colortbl;\\red255\\green0\\blue0;}\\f0\\fs20 a{\\b\\i\\f1\\cf1\\uldb b}{\\super c}"
        "{\\strike\\up6 d}{\\ulwave e\\ulnone f}g}");
    ASSERT_EQ(d.fonts.size(), 2u);
    EXPECT_EQ(d.fonts[1].name, "Arial");
    EXPECT_EQ(d.fonts[1].family, FontFamily::Swiss);
    ASSERT_EQ(d.colors.size(), 2u);
    EXPECT_EQ(d.colors[1], (Color{255, 0, 0}));
    ASSERT_EQ(d.paragraphs.size(), 1u);
    const std::vector<Segment>& s = d.paragraphs[0].segments;
    ASSERT_EQ(s.size(), 6u);
    EXPECT_EQ(s[0].format.font, 0);
    EXPECT_EQ(s[0].format.sizeHalfPoints, 20);
    EXPECT_FALSE(s[0].format.bold);
    EXPECT_TRUE(s[1].format.bold);
    EXPECT_TRUE(s[1].format.italic);
    EXPECT_EQ(s[1].format.font, 1);
    EXPECT_EQ(s[1].format.foreground, 1);
    EXPECT_EQ(s[1].format.underline, UnderlineStyle::Double);
    EXPECT_EQ(s[2].format.vertical, VerticalAlign::Superscript);
    EXPECT_TRUE(s[3].format.strike);
    EXPECT_EQ(s[3].format.offsetHalfPoints, 6);
    EXPECT_EQ(s[4].format.underline, UnderlineStyle::Wave);
    // f and g share the format of a: one segment.
    EXPECT_EQ(s[5].begin, 5u);
    EXPECT_EQ(s[5].end, 7u);
    EXPECT_EQ(s[5].format, s[0].format);
}

TEST(RtfReaderTest, Pictures_KeepDataAndDeclaredSize) {
    const RichDocument d = RtfReader::read(
        "{\\rtf1{\\pict\\pngblip\\picw10\\pich20\\picwgoal300\\pichgoal600\\picscalex50 "
        "89504E47}{\\pict\\wmetafile8\\picw2540\\pich1270 0100}"
        "{\\pict\\dibitmap0\\picw1\\pich1 28000000010000000100000001001800000000000400000000000000"
        "0000000000000000000000000000FF00}}");
    ASSERT_EQ(d.pictures.size(), 3u);
    EXPECT_EQ(d.pictures[0].kind, Picture::Kind::Png);
    EXPECT_EQ(d.pictures[0].data, std::string("\x89PNG"));
    EXPECT_EQ(d.pictures[0].widthTwips, 150);
    EXPECT_EQ(d.pictures[0].heightTwips, 600);
    EXPECT_EQ(d.pictures[1].kind, Picture::Kind::Placeholder);
    EXPECT_EQ(d.pictures[1].widthTwips, 1440);
    EXPECT_EQ(d.pictures[1].heightTwips, 720);
    EXPECT_EQ(d.pictures[2].kind, Picture::Kind::Bmp);
    EXPECT_EQ(d.pictures[2].data.substr(0, 2), "BM");
    EXPECT_EQ(d.pictures[2].data.size(), 14u + 44u);
    EXPECT_EQ(static_cast<unsigned char>(d.pictures[2].data[10]), 54); // pixels after the headers
    EXPECT_EQ(d.pictures[2].widthTwips, 15);
    ASSERT_EQ(d.paragraphs[0].segments.size(), 3u);
    EXPECT_EQ(d.paragraphs[0].segments[2].picture, 2);
}

TEST(RtfReaderTest, Tables_RowsCellsAndBorders) {
    const RichDocument d = RtfReader::read(
        "{\\rtf1\\trowd\\trleft-108\\trgaph108\\clbrdrl\\brdrs\\clbrdrb\\brdrs\\cellx2000"
        "\\cellx4000\\pard\\intbl a\\cell b\\par c\\cell\\row\\pard after}");
    ASSERT_EQ(d.rows.size(), 1u);
    EXPECT_EQ(d.rows[0].leftTwips, -108);
    EXPECT_EQ(d.rows[0].gapTwips, 108);
    ASSERT_EQ(d.rows[0].cells.size(), 2u);
    EXPECT_EQ(d.rows[0].cells[0].rightEdgeTwips, 2000);
    EXPECT_TRUE(d.rows[0].cells[0].borderLeft);
    EXPECT_TRUE(d.rows[0].cells[0].borderBottom);
    EXPECT_FALSE(d.rows[0].cells[0].borderTop);
    EXPECT_FALSE(d.rows[0].cells[1].borderLeft);
    EXPECT_EQ(d.text, u"a\tb\r\nc\t\r\nafter");
    ASSERT_EQ(d.paragraphs.size(), 5u);
    EXPECT_EQ(d.paragraphs[0].cell, 0);
    EXPECT_EQ(d.paragraphs[1].cell, 1); // b\par: a paragraph of the second cell
    EXPECT_EQ(d.paragraphs[2].cell, 1);
    EXPECT_EQ(d.paragraphs[3].mark, MarkKind::Row);
    EXPECT_EQ(d.paragraphs[3].tableRow, 0);
    EXPECT_EQ(d.paragraphs[4].tableRow, -1);
}

// Tables built to cost: the model stays within its bounds and the fast text
// agrees with it.
TEST(RtfReaderTest, CostlyTables_StayBounded) {
    for (const auto& [name, rtf] : fuzz::RtfTableSeeds()) {
        SCOPED_TRACE(name);
        const RichDocument d = RtfReader::read(rtf);
        EXPECT_EQ(d.text, RtfReader::displayedText(rtf));
        EXPECT_LE(d.rows.size(), d.paragraphs.size() * 8 + 1);
        for (const Note& n : d.notes)
            EXPECT_LE(n.position, d.length());
        for (size_t i = 0; i < d.rows.size(); ++i) {
            const TableRow& row = d.rows[i];
            EXPECT_LE(row.cells.size(), 64u);
            ASSERT_GE(row.depth, 1);
            ASSERT_LE(row.depth, 8);
            if (row.depth > 1) {
                ASSERT_LT(static_cast<size_t>(row.parent), i);
                EXPECT_EQ(d.rows[static_cast<size_t>(row.parent)].depth, row.depth - 1);
            }
        }
    }
}

TEST(RtfReaderTest, RepeatedMarks_KeepTheModelBounded) {
    std::string rtf = "{\\rtf1\\trowd";
    for (int i = 0; i < 200; ++i)
        rtf += "\\cellx" + std::to_string(100 * (i + 1));
    for (int i = 0; i < 100; ++i)
        rtf += "\\tx" + std::to_string(100 * (i + 1));
    for (int i = 0; i < 200000; ++i)
        rtf += "\\intbl\\row";
    rtf += "}";
    const RichDocument d = RtfReader::read(rtf);
    size_t cells = 0;
    size_t tabs = 0;
    for (const TableRow& r : d.rows)
        cells += r.cells.size();
    for (const Paragraph& p : d.paragraphs)
        tabs += p.format.tabs.size();
    EXPECT_EQ(d.paragraphs.size(), 200000u);
    EXPECT_LE(cells + tabs, rtf.size() / 4 + 4096);
}

} // namespace
} // namespace tolvane::rtf
