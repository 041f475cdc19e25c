// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/authoring/TopicParser.h"

#include "core/common/Cp1252.h"
#include "core/rtf/RtfReader.h"

#include <gtest/gtest.h>

namespace tolvane::authoring {
namespace {

const char* const kHead =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}"
    "{\\stylesheet{\\*\\cs18 \\additive \\v Link;}{\\*\\cs19 \\additive \\uldb Jump;}}\n";

std::string Doc(const std::string& topics) {
    return kHead + topics + "}";
}

std::string Narrow(const std::u16string& text) {
    std::string out;
    for (char16_t c : text)
        out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

struct Parsed {
    std::vector<SourceTopic> topics;
    BuildMessages messages;
};

void Parse(const std::string& rtf, Parsed& p, TopicParser::PictureSource pictures = nullptr) {
    TopicParser parser(p.messages, std::move(pictures));
    parser.parse("t.rtf", rtf, p.topics);
}

// Each hot-spot form of the help-authoring convention gives one link whose
// anchor covers exactly the hot-spot text in the viewer's numbering.
TEST(TopicParser, HotSpotFormsGiveLinksOnTheirText) {
    struct Case {
        const char* name;
        const char* body;
        const char* hot;
        const char* target;
        bool popup;
    };
    const Case cases[] = {
        {"double underline", "Voir {\\uldb la suite}{\\v SUITE} ici.", "la suite", "SUITE", false},
        {"strike", "Voir {\\strike la suite}{\\v SUITE} ici.", "la suite", "SUITE", false},
        {"single underline is a popup", "Un {\\ul mot}{\\v DEF_MOT}.", "mot", "DEF_MOT", true},
        {"target nested in the hot spot", "Menu {\\uldb File{\\v MENU_FILE}} ok", "File",
         "MENU_FILE", false},
        {"character styles", "A {\\cs19\\uldb Ouvrir}{\\cs18\\v HID_OPEN} b", "Ouvrir", "HID_OPEN",
         false},
        {"style only", "A {\\cs19 Ouvrir}{\\cs18 HID_OPEN} b", "Ouvrir", "HID_OPEN", false},
        {"window part", "{\\uldb X}{\\v ID_X>second}", "X", "ID_X", false},
        {"file part", "{\\uldb X}{\\v ID_X@autre.hlp}", "X", "ID_X", false},
        {"accents and unicode", "\\'e9t\\'e9 {\\uldb caf\\'e9 \\u8364?}{\\v C} fin", "caf? ?", "C",
         false},
        {"after a tab and a paragraph", "a\\tab b\\par {\\uldb c}{\\v C}", "c", "C", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Parsed p;
        Parse(Doc(std::string("#{\\footnote # T1}${\\footnote $ Titre}") + c.body + "\\par"), p);
        ASSERT_EQ(p.topics.size(), 1u);
        const SourceTopic& t = p.topics[0];
        EXPECT_EQ(t.id, "T1");
        EXPECT_EQ(t.title, "Titre");
        ASSERT_EQ(t.links.size(), 1u);
        const SourceLink& l = t.links[0];
        EXPECT_EQ(l.target, c.target);
        EXPECT_EQ(l.popup, c.popup);
        const rtf::RichDocument doc = rtf::RtfReader::read(t.body);
        EXPECT_EQ(doc.text.size(), static_cast<size_t>(t.length));
        EXPECT_EQ(Narrow(doc.text.substr(l.first, l.last - l.first + 1)), c.hot);
        // No hidden target and no footnote reaches the displayed text.
        EXPECT_EQ(Narrow(doc.text).find(c.target), std::string::npos);
        EXPECT_EQ(Narrow(doc.text).find("Titre"), std::string::npos);
        EXPECT_EQ(t.body.find("footnote"), std::string::npos);
    }
}

// Only \\uldb, \\strike and \\ul mark hot spots: the other underlines and
// the double strike-through, though the reader knows them as the same kind
// of formatting, leave text followed by hidden text as plain text.
TEST(TopicParser, OtherUnderlinesAndStrikesMakeNoLink) {
    for (const char* body :
         {"Voir {\\striked1 la suite}{\\v SUITE} ici.", "Voir {\\uld la suite}{\\v SUITE} ici.",
          "Voir {\\ulw la suite}{\\v SUITE} ici.", "Voir {\\ulwave la suite}{\\v SUITE} ici."}) {
        SCOPED_TRACE(body);
        Parsed p;
        Parse(Doc(std::string("#{\\footnote # T1}") + body + "\\par"), p);
        ASSERT_EQ(p.topics.size(), 1u);
        EXPECT_TRUE(p.topics[0].links.empty());
        const std::u16string text = rtf::RtfReader::displayedText(p.topics[0].body);
        EXPECT_EQ(Narrow(text), "Voir la suite ici.\r\n");
        EXPECT_EQ(text.size(), static_cast<size_t>(p.topics[0].length));
    }
}

TEST(TopicParser, AnchorsGetAVisibleLinkLook) {
    Parsed p;
    Parse(Doc("#{\\footnote T}{\\uldb saut}{\\v A} {\\ul note}{\\v B}\\par"), p);
    ASSERT_EQ(p.topics.size(), 1u);
    const rtf::RichDocument doc = rtf::RtfReader::read(p.topics[0].body);
    ASSERT_EQ(p.topics[0].links.size(), 2u);
    auto formatAt = [&](int32_t pos) {
        for (const rtf::Paragraph& para : doc.paragraphs)
            for (const rtf::Segment& s : para.segments)
                if (s.begin <= static_cast<uint32_t>(pos) && static_cast<uint32_t>(pos) < s.end)
                    return s.format;
        return rtf::CharFormat{};
    };
    const rtf::CharFormat jump = formatAt(p.topics[0].links[0].first);
    EXPECT_EQ(jump.underline, rtf::UnderlineStyle::Single);
    EXPECT_FALSE(jump.strike);
    ASSERT_GE(jump.foreground, 0);
    EXPECT_EQ(doc.colors.at(jump.foreground), (rtf::Color{0, 128, 0}));
    EXPECT_EQ(formatAt(p.topics[0].links[1].first).underline, rtf::UnderlineStyle::Dotted);
    EXPECT_EQ(formatAt(p.topics[0].links[1].last + 1).underline, rtf::UnderlineStyle::None);
}

TEST(TopicParser, TopicsSplitAtPageWithTheirFootnotesAndOpenGroups) {
    Parsed p;
    Parse(Doc("{\\b #{\\footnote # UN}${\\footnote $ Premier}K{\\footnote K mot}Un\\par\\page "
              "#{\\footnote DEUX}#{\\footnote AUSSI}Deux}\\par\\page\\par "),
          p);
    ASSERT_EQ(p.topics.size(), 2u);
    EXPECT_EQ(p.topics[0].id, "UN");
    EXPECT_EQ(p.topics[0].keywords, std::vector<std::string>{"mot"});
    EXPECT_EQ(p.topics[1].id, "DEUX");
    EXPECT_EQ(p.topics[1].otherIds, std::vector<std::string>{"AUSSI"});
    EXPECT_EQ(p.topics[1].title, "");
    // The second topic began inside the bold group: it is re-opened bold.
    const rtf::RichDocument second = rtf::RtfReader::read(p.topics[1].body);
    EXPECT_EQ(Narrow(second.text), "Deux\r\n");
    ASSERT_FALSE(second.paragraphs.empty());
    EXPECT_TRUE(second.paragraphs[0].segments.at(0).format.bold);
    EXPECT_EQ(p.messages.list().size(), 0u);
}

// The mark before a footnote leaves the article, with the footnote, even
// when the source breaks the line between them (as CDex's topics do).
TEST(TopicParser, FootnoteMarksLeaveTheArticleAcrossLineBreaks) {
    // Every source gives the keyword "k".
    struct Case {
        const char* source;
        std::u16string text;
        const char* title;
    };
    const Case cases[] = {
        {"#{\\footnote A}${\\footnote $ T}K{\\footnote K k}Corps.", u"Corps.", "T"},
        {"#{\\footnote A}$\n{\\footnote T}K\r\n{\\footnote K k}Corps.", u"Corps.", "T"},
        {"#{\\footnote A}K\r\n\r\n{\\footnote k}\nCorps.", u"Corps.", ""},
        {"#{\\footnote A}{\\b x K\n{\\footnote K k}}", u"x ", ""},
        // A mark behind a group is no mark: the footnote's own letter says.
        {"#{\\footnote A}{K}{\\footnote K k}y", u"Ky", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        Parsed p;
        Parse(Doc(c.source), p);
        ASSERT_EQ(p.topics.size(), 1u);
        EXPECT_EQ(p.topics[0].id, "A");
        EXPECT_EQ(p.topics[0].title, c.title);
        EXPECT_EQ(p.topics[0].keywords, std::vector<std::string>{"k"});
        EXPECT_EQ(rtf::RtfReader::displayedText(p.topics[0].body), c.text);
    }
}

// The builder reads control words as the reader does: the same names, the
// same parameters, the same destinations; what the reader shows of a group
// the builder keeps (an object, the Unicode half of a \upr) is counted once.
TEST(TopicParser, WordsReadAsTheReaderReadsThem) {
    const std::string longWord(45, 'q');
    struct Case {
        std::string body;
        const char* text;
    };
    const Case cases[] = {
        {"a \\" + longWord + " b", "a b"},
        {"a \\" + longWord + "12 b", "a b"},
        {"\\uc3000000000 \\u233 xyz!", "?"},
        {"\\u99999999999 x!", "?!"},
        {"a {\\upr{ansi}{\\*\\ud{\\u233 e}}} b", "a ? b"},
        {"a {\\upr{\\b ansi}{\\*\\ud{uni}}}{\\v {\\upr{x}{\\*\\ud{y}}}} b", "a uni b"},
        {"a {\\object\\objw10{\\*\\objdata 01}{\\result r\\'e9sultat}} b", "a r?sultat b"},
        {"a {\\object\\objw10{\\*\\objdata 01}} b", "a ? b"},
        {"a\\zwj\\ltrmark b\\emspace{\\uldb c\\zwnj}{\\v C}", "a??b?c?"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        Parsed p;
        Parse(Doc("#{\\footnote A}" + c.body), p);
        ASSERT_EQ(p.topics.size(), 1u);
        const std::u16string shown = rtf::RtfReader::displayedText(p.topics[0].body);
        EXPECT_EQ(Narrow(shown), c.text);
        EXPECT_EQ(static_cast<size_t>(p.topics[0].length), shown.size());
    }
}

// A group that spans three topics keeps its formatting in each of them,
// including what the middle topic added to it.
TEST(TopicParser, GroupsSpanningSeveralTopicsKeepTheirFormatting) {
    Parsed p;
    Parse(Doc("{\\i #{\\footnote A}a\\page #{\\footnote B}\\b b\\page #{\\footnote C}c}\\par"), p);
    ASSERT_EQ(p.topics.size(), 3u);
    const rtf::CharFormat b =
        rtf::RtfReader::read(p.topics[1].body).paragraphs.at(0).segments.at(0).format;
    EXPECT_TRUE(b.italic);
    EXPECT_TRUE(b.bold);
    const rtf::CharFormat c =
        rtf::RtfReader::read(p.topics[2].body).paragraphs.at(0).segments.at(0).format;
    EXPECT_TRUE(c.italic);
    EXPECT_TRUE(c.bold);
}

TEST(TopicParser, ErrorsAndWarningsNameFileAndLine) {
    struct Case {
        const char* name;
        std::string rtf;
        BuildMessage::Severity severity;
        int line;
        const char* fragment;
    };
    const Case cases[] = {
        {"topic without id", Doc("#{\\footnote A}a\\page\n\nsans id\\par"),
         BuildMessage::Severity::Error, 4, "sans identifiant"},
        {"unclosed group", "{\\rtf1 #{\\footnote A}{\\b a\n\\par", BuildMessage::Severity::Error, 2,
         "non ferm"},
        {"extra brace", Doc("#{\\footnote A}a}\n}"), BuildMessage::Severity::Error, 3,
         "texte après la fin"},
        {"macro in a link", Doc("#{\\footnote A}\n{\\uldb x}{\\v !Exec(1)}"),
         BuildMessage::Severity::Warning, 3, "macro"},
        {"missing bitmap", Doc("#{\\footnote A}\n\n\\{bmc absent.bmp\\}"),
         BuildMessage::Severity::Warning, 4, "absent.bmp"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Parsed p;
        Parse(c.rtf, p);
        ASSERT_EQ(p.messages.list().size(), 1u);
        const BuildMessage& m = p.messages.list()[0];
        EXPECT_EQ(m.severity, c.severity);
        EXPECT_EQ(m.file, "t.rtf");
        EXPECT_EQ(m.line, c.line) << c.name;
        EXPECT_NE(m.text.find(c.fragment), std::string::npos) << m.text;
    }
}

TEST(TopicParser, BitmapsBecomePicturesOrVisiblePlaceholders) {
    for (const char* ref : {"{bmc logo.bmp}", "\\{bmct Logo.BMP\\}", "{bml logo.bmp}"}) {
        SCOPED_TRACE(ref);
        Parsed p;
        std::string asked;
        Parse(Doc(std::string("#{\\footnote A}a {\\uldb ") + ref + "}{\\v B} b"), p,
              [&](const std::string& name, std::string& pict) {
                  asked = name;
                  pict = "{\\pict\\pngblip\\picw1\\pich1 00}";
                  return true;
              });
        ASSERT_EQ(p.topics.size(), 1u);
        EXPECT_EQ(cp1252::toUpper(asked), "LOGO.BMP");
        const rtf::RichDocument doc = rtf::RtfReader::read(p.topics[0].body);
        EXPECT_EQ(doc.text, u"a \uFFFC b");
        ASSERT_EQ(p.topics[0].links.size(), 1u);
        EXPECT_EQ(p.topics[0].links[0].first, 2);
        EXPECT_EQ(p.topics[0].links[0].last, 2);
    }
    Parsed p;
    Parse(Doc("#{\\footnote A}\\{bmc x.bmp\\}"), p);
    EXPECT_EQ(Narrow(rtf::RtfReader::read(p.topics.at(0).body).text), "[image absente : x.bmp]");
}

// Many page breaks inside deep nesting: groups past the depth limit are
// left out with one error, and the work stays linear.
TEST(TopicParser, DeepNestingIsCutOff) {
    std::string rtf = "{\\rtf1 ";
    for (int k = 0; k < 100000; ++k)
        rtf += "{\\b ";
    for (int k = 0; k < 20000; ++k)
        rtf += "#{\\footnote A" + std::to_string(k) + "}x\\page ";
    Parsed p;
    Parse(rtf, p);
    EXPECT_EQ(p.messages.errorCount(), 2u); // too deep, then never closed
    EXPECT_TRUE(p.topics.empty());
    Parsed q;
    Parse("{\\rtf1 {{{#{\\footnote A}a\\page #{\\footnote B}b}}}}", q);
    EXPECT_EQ(q.topics.size(), 2u);
    EXPECT_EQ(q.messages.errorCount(), 0u);
}

TEST(TopicParser, BadInputNeverCrashes) {
    const std::string inputs[] = {"",
                                  "{",
                                  "}",
                                  "{\\rtf1 \\page\\page}",
                                  "{\\rtf1 #{\\footnote",
                                  "{\\rtf1 {\\uldb x}{\\v",
                                  "{\\rtf1 \\bin999999 ab}",
                                  std::string(5000, '{') + "#{\\footnote A}x",
                                  "{\\rtf1 \\u-3 \\uc99 \\'zz\\'4"};
    for (const std::string& in : inputs) {
        Parsed p;
        Parse(in, p);
        for (const SourceTopic& t : p.topics)
            EXPECT_EQ(rtf::RtfReader::read(t.body).text.size(), static_cast<size_t>(t.length));
    }
}

} // namespace
} // namespace tolvane::authoring
