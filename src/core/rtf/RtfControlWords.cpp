// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/rtf/RtfControlWords.h"

#include <array>

namespace tolvane::rtf {
namespace {

struct Entry {
    const char* name;
    ControlWord word;
};

constexpr WordKind F = WordKind::Flag;
constexpr WordKind T = WordKind::Toggle;
constexpr WordKind V = WordKind::Value;
constexpr WordKind D = WordKind::Destination;
constexpr WordKind S = WordKind::Symbol;

// Destinations whose content is neither shown nor counted.
constexpr const char* kSkipped[] = {
    "stylesheet",   "info",         "header",      "headerl",
    "headerr",      "headerf",      "footer",      "footerl",
    "footerr",      "footerf",      "annotation",  "atnid",
    "atnauthor",    "atrfstart",    "atrfend",     "comment",
    "bkmkstart",    "bkmkend",      "pn",          "pnseclvl",
    "pntxta",       "pntxtb",       "revtbl",      "rsidtbl",
    "generator",    "xmlnstbl",     "themedata",   "colorschememapping",
    "latentstyles", "datastore",    "mmathPr",     "falt",
    "panose",       "template",     "private",     "userprops",
    "docvar",       "ftnsep",       "ftnsepc",     "aftnsep",
    "aftnsepc",     "ftncn",        "aftncn",      "pgdsctbl",
    "listpicture",  "txe",          "xe",          "tc",
    "tcn",          "objclass",     "objname",     "objtime",
    "objalias",     "objsect",      "picprop",     "blipuid",
    "fontemb",      "fontfile",     "filetbl",     "do",
    "shpinst",      "passwordhash", "protusertbl", "wgrffmtfilter",
    "mhtmltag",     "htmltag",      "formfield",   "datafield",
    "password",     "keycode",      "author",      "operator",
    "title",        "subject",      "keywords",    "doccomm",
    "hlinkbase",    "buptim",       "creatim",     "printim",
    "revtim",       "background",   "oldcprops",   "oldpprops",
    "oldsprops",    "oldtprops",    "fldtype",     "ebcstart",
    "ebcend",       "bkmkcolf",     "bkmkcoll"};

constexpr Entry kWords[] = {
    {"fonttbl", {D, Word::FontTable, 0}},
    {"colortbl", {D, Word::ColorTable, 0}},
    {"pict", {D, Word::Picture, 0}},
    {"field", {D, Word::Field, 0}},
    {"fldinst", {D, Word::FieldInstruction, 0}},
    {"fldrslt", {D, Word::FieldResult, 0}},
    {"object", {D, Word::Object, 0}},
    {"objdata", {D, Word::ObjectData, 0}},
    {"result", {D, Word::ObjectResult, 0}},
    {"shppict", {D, Word::ShapePicture, 0}},
    {"nonshppict", {D, Word::NonShapePicture, 0}},
    {"pntext", {D, Word::ListText, 0}},
    {"listtext", {D, Word::ListText, 0}},
    {"upr", {D, Word::UnicodePair, 0}},
    {"ud", {D, Word::UnicodeText, 0}},
    {"nesttableprops", {D, Word::NestedTableProperties, 0}},
    {"listtable", {D, Word::ListTable, 0}},
    {"footnote", {D, Word::Footnote, 0}},
    {"shpinst", {D, Word::ShapeInstructions, 0}},
    {"shp", {F, Word::Shape, 0}},
    {"sn", {F, Word::ShapePropertyName, 0}},
    {"chftn", {F, Word::NoteNumber, 0}},
    {"ftnalt", {F, Word::Endnote, 0}},
    {"listoverridetable", {D, Word::ListOverrideTable, 0}},
    {"list", {F, Word::List, 0}},
    {"listlevel", {F, Word::ListLevel, 0}},
    {"levelnfc", {V, Word::LevelNumbering, 0}},
    {"levelnfcn", {V, Word::LevelNumbering, 0}},
    {"listid", {V, Word::ListId, 0}},
    {"ls", {V, Word::ListOverride, 0}},
    {"ilvl", {V, Word::ListLevelIndex, 0}},
    {"nonesttables", {F, Word::NoNestedTables, 0}},

    {"ansi", {F, Word::Ansi, 0}},
    {"mac", {F, Word::Mac, 0}},
    {"pc", {F, Word::Pc, 0}},
    {"pca", {F, Word::Pca, 0}},
    {"ansicpg", {V, Word::AnsiCodePage, 1252}},
    {"deff", {V, Word::DefaultFont, 0}},
    {"deftab", {V, Word::DefaultTab, 720}},
    {"uc", {V, Word::UnicodeCount, 1}},
    {"u", {V, Word::Unicode, 0}},
    {"bin", {V, Word::Binary, 0}},

    {"f", {V, Word::Font, 0}},
    {"fcharset", {V, Word::FontCharset, 0}},
    {"cpg", {V, Word::FontCodePage, 0}},
    {"fnil", {F, Word::FamilyNil, 0}},
    {"froman", {F, Word::FamilyRoman, 0}},
    {"fswiss", {F, Word::FamilySwiss, 0}},
    {"fmodern", {F, Word::FamilyModern, 0}},
    {"fscript", {F, Word::FamilyScript, 0}},
    {"fdecor", {F, Word::FamilyDecor, 0}},
    {"ftech", {F, Word::FamilyTech, 0}},
    {"fbidi", {F, Word::FamilyBidi, 0}},
    {"red", {V, Word::Red, 0}},
    {"green", {V, Word::Green, 0}},
    {"blue", {V, Word::Blue, 0}},

    {"plain", {F, Word::Plain, 0}},
    {"fs", {V, Word::FontSize, 24}},
    {"b", {T, Word::Bold, 0}},
    {"i", {T, Word::Italic, 0}},
    {"ul", {T, Word::Underline, 0}},
    {"uldb", {T, Word::UnderlineDouble, 0}},
    {"uld", {T, Word::UnderlineDotted, 0}},
    {"uldash", {T, Word::UnderlineDashed, 0}},
    {"uldashd", {T, Word::UnderlineDashed, 0}},
    {"uldashdd", {T, Word::UnderlineDashed, 0}},
    {"ulldash", {T, Word::UnderlineDashed, 0}},
    {"ulwave", {T, Word::UnderlineWave, 0}},
    {"ulhwave", {T, Word::UnderlineWave, 0}},
    {"ululdbwave", {T, Word::UnderlineWave, 0}},
    {"ulth", {T, Word::UnderlineThick, 0}},
    {"ulthd", {T, Word::UnderlineThick, 0}},
    {"ulthdash", {T, Word::UnderlineThick, 0}},
    {"ulthdashd", {T, Word::UnderlineThick, 0}},
    {"ulthdashdd", {T, Word::UnderlineThick, 0}},
    {"ulthldash", {T, Word::UnderlineThick, 0}},
    {"ulw", {T, Word::UnderlineWord, 0}},
    {"ulnone", {F, Word::UnderlineNone, 0}},
    {"strike", {T, Word::Strike, 0}},
    {"striked", {T, Word::Strike, 0}},
    {"cf", {V, Word::Foreground, 0}},
    {"cb", {V, Word::Background, 0}},
    {"chcbpat", {V, Word::Background, 0}},
    {"highlight", {V, Word::Highlight, 0}},
    {"super", {F, Word::Superscript, 0}},
    {"sub", {F, Word::Subscript, 0}},
    {"nosupersub", {F, Word::NoSuperSub, 0}},
    {"up", {V, Word::Up, 6}},
    {"dn", {V, Word::Down, 6}},
    {"v", {T, Word::Hidden, 0}},
    {"caps", {T, Word::Caps, 0}},
    {"scaps", {T, Word::SmallCaps, 0}},
    {"expnd", {V, Word::Expand, 0}},
    {"expndtw", {V, Word::ExpandTwips, 0}},

    {"pard", {F, Word::ParagraphDefault, 0}},
    {"ql", {F, Word::AlignLeft, 0}},
    {"qc", {F, Word::AlignCenter, 0}},
    {"qr", {F, Word::AlignRight, 0}},
    {"qj", {F, Word::AlignJustify, 0}},
    {"li", {V, Word::LeftIndent, 0}},
    {"ri", {V, Word::RightIndent, 0}},
    {"fi", {V, Word::FirstIndent, 0}},
    {"sb", {V, Word::SpaceBefore, 0}},
    {"sa", {V, Word::SpaceAfter, 0}},
    {"sl", {V, Word::LineSpacing, 0}},
    {"slmult", {V, Word::LineMultiple, 0}},
    {"tx", {V, Word::TabPosition, 0}},
    {"tqr", {F, Word::TabRight, 0}},
    {"tqc", {F, Word::TabCenter, 0}},
    {"tqdec", {F, Word::TabDecimal, 0}},
    {"tb", {V, Word::TabBar, 0}},
    {"tldot", {F, Word::TabLeaderDots, 0}},
    {"tlmdot", {F, Word::TabLeaderDots, 0}},
    {"tlhyph", {F, Word::TabLeaderHyphens, 0}},
    {"tlul", {F, Word::TabLeaderUnderline, 0}},
    {"tlth", {F, Word::TabLeaderThick, 0}},
    {"tleq", {F, Word::TabLeaderEquals, 0}},
    {"intbl", {F, Word::InTable, 0}},
    {"itap", {V, Word::NestingLevel, 1}},
    {"sectd", {F, Word::SectionDefault, 0}},
    {"sbknone", {F, Word::SectionNoBreak, 0}},
    {"sbkpage", {F, Word::SectionBreak, 0}},
    {"sbkcol", {F, Word::SectionBreak, 0}},
    {"sbkeven", {F, Word::SectionBreak, 0}},
    {"sbkodd", {F, Word::SectionBreak, 0}},
    {"brdrt", {F, Word::ParagraphBorderTop, 0}},
    {"brdrb", {F, Word::ParagraphBorderBottom, 0}},
    {"brdrl", {F, Word::ParagraphBorderLeft, 0}},
    {"brdrr", {F, Word::ParagraphBorderRight, 0}},
    {"box", {F, Word::ParagraphBox, 0}},
    {"cbpat", {V, Word::ParagraphShading, 0}},
    {"brdrnone", {F, Word::BorderNone, 0}},
    {"brdrnil", {F, Word::BorderNone, 0}},
    {"brdrtbl", {F, Word::BorderNone, 0}},

    {"trowd", {F, Word::RowDefault, 0}},
    {"cellx", {V, Word::CellRight, 0}},
    {"trleft", {V, Word::RowLeft, 0}},
    {"trgaph", {V, Word::RowGap, 0}},
    {"clbrdrl", {F, Word::BorderLeft, 0}},
    {"clbrdrt", {F, Word::BorderTop, 0}},
    {"clbrdrr", {F, Word::BorderRight, 0}},
    {"clbrdrb", {F, Word::BorderBottom, 0}},
    {"clmgf", {F, Word::CellMergeFirst, 0}},
    {"clmrg", {F, Word::CellMerged, 0}},
    {"clvmgf", {F, Word::CellVerticalFirst, 0}},
    {"clvmrg", {F, Word::CellVerticalMerged, 0}},
    {"clcbpat", {V, Word::CellShading, 0}},

    {"par", {F, Word::Paragraph, 0}},
    {"sect", {F, Word::Section, 0}},
    {"page", {F, Word::Page, 0}},
    {"line", {F, Word::Line, 0}},
    {"row", {F, Word::Row, 0}},
    {"cell", {F, Word::Cell, 0}},
    {"nestcell", {F, Word::NestedCell, 0}},
    {"nestrow", {F, Word::NestedRow, 0}},
    {"tab", {F, Word::Tab, 0}},

    {"pngblip", {F, Word::PngBlip, 0}},
    {"jpegblip", {F, Word::JpegBlip, 0}},
    {"dibitmap", {V, Word::DeviceIndependentBitmap, 0}},
    {"wbitmap", {V, Word::WindowsBitmap, 0}},
    {"emfblip", {F, Word::EnhancedMetafile, 0}},
    {"wmetafile", {V, Word::Metafile, 1}},
    {"pmmetafile", {V, Word::Metafile, 0}},
    {"macpict", {F, Word::OtherPicture, 0}},
    {"picw", {V, Word::PictureWidth, 0}},
    {"pich", {V, Word::PictureHeight, 0}},
    {"picwgoal", {V, Word::GoalWidth, 0}},
    {"pichgoal", {V, Word::GoalHeight, 0}},
    {"picscalex", {V, Word::ScaleX, 100}},
    {"picscaley", {V, Word::ScaleY, 100}},
    {"wbmbitspixel", {V, Word::BitsPerPixel, 1}},
    {"wbmwidthbytes", {V, Word::WidthBytes, 0}},
    {"objw", {V, Word::ObjectWidth, 0}},
    {"objh", {V, Word::ObjectHeight, 0}},

    {"emdash", {S, Word::Character, 0x2014}},
    {"endash", {S, Word::Character, 0x2013}},
    {"bullet", {S, Word::Character, 0x2022}},
    {"lquote", {S, Word::Character, 0x2018}},
    {"rquote", {S, Word::Character, 0x2019}},
    {"ldblquote", {S, Word::Character, 0x201C}},
    {"rdblquote", {S, Word::Character, 0x201D}},
    {"emspace", {S, Word::Character, 0x2003}},
    {"enspace", {S, Word::Character, 0x2002}},
    {"qmspace", {S, Word::Character, 0x2005}},
    {"zwj", {S, Word::Character, 0x200D}},
    {"zwnj", {S, Word::Character, 0x200C}},
    {"ltrmark", {S, Word::Character, 0x200E}},
    {"rtlmark", {S, Word::Character, 0x200F}},
};

// Open addressing over a power-of-two table built by the compiler; the
// names sit in their slots, so a look-up reads one or two slots and nothing
// else.
constexpr size_t kSlots = 1024;
constexpr size_t kMaxName = 23;

constexpr uint32_t hashName(std::string_view name) {
    uint32_t h = kNameHashSeed;
    for (char c : name)
        h = nameHash(h, static_cast<unsigned char>(c));
    return h;
}

struct Slot {
    uint8_t length = 0; // 0: an empty slot
    char name[kMaxName] = {};
    ControlWord word{};
};

using Table = std::array<Slot, kSlots>;

constexpr void add(Table& table, std::string_view name, const ControlWord& word) {
    size_t slot = hashName(name) & (kSlots - 1);
    while (table[slot].length != 0)
        slot = (slot + 1) & (kSlots - 1);
    Slot& s = table[slot];
    s.length = static_cast<uint8_t>(name.size());
    for (size_t i = 0; i < name.size(); ++i)
        s.name[i] = name[i];
    s.word = word;
}

constexpr Table makeTable() {
    Table t{};
    for (const Entry& e : kWords)
        add(t, e.name, e.word);
    for (const char* name : kSkipped)
        add(t, name, ControlWord{D, Word::SkippedDestination, 0});
    return t;
}

constexpr Table kTable = makeTable();

constexpr bool fits() {
    size_t used = 0;
    for (const Entry& e : kWords)
        used += std::string_view(e.name).size() <= kMaxName ? 1 : kSlots;
    for (const char* name : kSkipped)
        used += std::string_view(name).size() <= kMaxName ? 1 : kSlots;
    return used <= kSlots / 2;
}
static_assert(fits(), "every name fits its slot and the table stays sparse");

constexpr ControlWord kUnknown{};

} // namespace

const ControlWord& LookUpControlWord(std::string_view name) {
    return LookUpControlWord(name, hashName(name));
}

const ControlWord& LookUpControlWord(std::string_view name, uint32_t hash) {
    const size_t length = name.size();
    if (length == 0 || length > kMaxName)
        return kUnknown;
    size_t slot = hash & (kSlots - 1);
    for (;;) {
        const Slot& s = kTable[slot];
        if (s.length == 0)
            return kUnknown;
        if (s.length == length) {
            size_t i = 0;
            while (i < length && s.name[i] == name[i])
                ++i;
            if (i == length)
                return s.word;
        }
        slot = (slot + 1) & (kSlots - 1);
    }
}

} // namespace tolvane::rtf
