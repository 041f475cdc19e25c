// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string_view>

namespace tolvane::rtf {

// What the reader does with a control word it recognises.
enum class WordKind : uint8_t {
    Flag,        // a switch without meaningful parameter (\pard, \qc)
    Toggle,      // on without parameter or with a non-zero one, off with 0 (\b, \b0)
    Value,       // carries a number (\fs24, \li360)
    Destination, // opens a destination for the rest of its group (\fonttbl, \pict)
    Symbol,      // stands for one character (\emdash)
};

// Every control word the reader acts on; the rest are ignored.
enum class Word : uint16_t {
    Unknown,
    // destinations
    FontTable,
    ColorTable,
    Picture,
    Field,
    FieldInstruction,
    FieldResult,
    Object,
    ObjectData,
    ObjectResult,
    ShapePicture,
    NonShapePicture,
    ListText,
    UnicodePair, // \upr: text in two forms, the second (\ud) in Unicode
    UnicodeText, // \ud
    NestedTableProperties,
    ListTable,
    ListOverrideTable,
    Footnote,
    ShapeInstructions,
    SkippedDestination,
    // document
    Ansi,
    Mac,
    Pc,
    Pca,
    AnsiCodePage,
    DefaultFont,
    DefaultTab,
    UnicodeCount,
    Unicode,
    Binary,
    // font and colour tables
    Font,
    FontCharset,
    FontCodePage,
    FamilyNil,
    FamilyRoman,
    FamilySwiss,
    FamilyModern,
    FamilyScript,
    FamilyDecor,
    FamilyTech,
    FamilyBidi,
    Red,
    Green,
    Blue,
    // character formatting
    Plain,
    FontSize,
    Bold,
    Italic,
    Underline,
    UnderlineDouble,
    UnderlineDotted,
    UnderlineDashed,
    UnderlineWave,
    UnderlineThick,
    UnderlineWord,
    UnderlineNone,
    Strike,
    Foreground,
    Background,
    Highlight,
    Superscript,
    Subscript,
    NoSuperSub,
    Up,
    Down,
    Hidden,
    Caps,
    SmallCaps,
    Expand,
    ExpandTwips,
    // paragraph formatting
    ParagraphDefault,
    AlignLeft,
    AlignCenter,
    AlignRight,
    AlignJustify,
    LeftIndent,
    RightIndent,
    FirstIndent,
    SpaceBefore,
    SpaceAfter,
    LineSpacing,
    LineMultiple,
    TabPosition,
    TabRight,
    TabCenter,
    TabDecimal,
    TabBar,
    TabLeaderDots,
    TabLeaderHyphens,
    TabLeaderUnderline,
    TabLeaderThick,
    TabLeaderEquals,
    InTable,
    NestingLevel,
    SectionDefault,
    SectionNoBreak,
    SectionBreak,
    ParagraphBorderTop,
    ParagraphBorderBottom,
    ParagraphBorderLeft,
    ParagraphBorderRight,
    ParagraphBox,
    ParagraphShading,
    BorderNone,
    NoNestedTables,
    NoteNumber,
    Shape,
    ShapePropertyName,
    Endnote,
    // lists
    List,
    ListLevel,
    LevelNumbering,
    ListId,
    ListOverride,
    ListLevelIndex,
    // tables
    RowDefault,
    CellRight,
    RowLeft,
    RowGap,
    BorderLeft,
    BorderTop,
    BorderRight,
    BorderBottom,
    CellMergeFirst,
    CellMerged,
    CellVerticalFirst,
    CellVerticalMerged,
    CellShading,
    // marks
    Paragraph,
    Section,
    Page,
    Line,
    Row,
    Cell,
    NestedCell,
    NestedRow,
    Tab,
    // pictures and objects
    PngBlip,
    JpegBlip,
    DeviceIndependentBitmap,
    WindowsBitmap,
    EnhancedMetafile,
    Metafile,
    OtherPicture,
    PictureWidth,
    PictureHeight,
    GoalWidth,
    GoalHeight,
    ScaleX,
    ScaleY,
    BitsPerPixel,
    WidthBytes,
    ObjectWidth,
    ObjectHeight,
    // characters
    Character,
};

struct ControlWord {
    WordKind kind = WordKind::Flag;
    Word word = Word::Unknown;
    int32_t value = 0; // the character of a Symbol; the default parameter of a Value
};

// What a word does to the displayed text when it comes in shown text with no
// \uN fallback pending and nothing but text wanted: Stop for the words that
// change what follows (the parser reads those), Nothing for formatting.
enum class TextEffect : uint8_t { Stop, Nothing, Unit, Break };

constexpr TextEffect textEffect(const ControlWord& word) {
    if (word.kind == WordKind::Destination)
        return TextEffect::Stop;
    switch (word.word) {
    case Word::Binary:
    case Word::Unicode:
    case Word::UnicodeCount:
    case Word::Ansi:
    case Word::Pc:
    case Word::Pca:
    case Word::Mac:
    case Word::AnsiCodePage:
    case Word::DefaultFont:
    case Word::Font:
    case Word::Plain:
    case Word::Hidden:
        return TextEffect::Stop;
    case Word::Character:
    case Word::Tab:
    case Word::Cell:
    case Word::NestedCell:
        return TextEffect::Unit; // the character, or a tab
    case Word::Paragraph:
    case Word::Section:
    case Word::Page:
    case Word::Line:
    case Word::Row:
    case Word::NestedRow:
        return TextEffect::Break; // CR LF
    default:
        return TextEffect::Nothing;
    }
}

// Looks a control word up by name (letters only, case-sensitive); an unknown
// word gives Word::Unknown.
const ControlWord& LookUpControlWord(std::string_view name);

// The hash the look-up uses, built one letter at a time from kNameHashSeed,
// so that a reader can compute it while it scans the name.
constexpr uint32_t kNameHashSeed = 2166136261u;
constexpr uint32_t nameHash(uint32_t hash, unsigned char letter) {
    return (hash ^ letter) * 16777619u;
}
// The same look-up, `hash` being the name's.
const ControlWord& LookUpControlWord(std::string_view name, uint32_t hash);

} // namespace tolvane::rtf
