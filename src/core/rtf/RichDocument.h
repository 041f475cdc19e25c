// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tolvane::rtf {

// The document model an article body turns into: everything the article view
// and the popup need to show it, and the text the search and the history
// count positions in.
//
// Character numbering. `text` holds the displayed text in the numbering that
// link anchors (.PGL) use, one UTF-16 code unit per position:
//   - every displayed character counts one position (a \uN one, whatever its
//     fallback), a tab one ('\t'), a picture or embedded object one (U+FFFC);
//   - each paragraph mark (\par, \sect, \page, \line, \row) counts two
//     positions, stored as "\r\n";
//   - each cell mark (\cell) counts one, stored as '\t';
//   - hidden text (\v) is neither shown nor counted, except the marks that
//     end a paragraph, a cell or a row (\par, \cell, \row and the nested
//     ones), which end it and count as they do in shown text.
// Paragraphs, segments and tables refer to `text` by positions.

enum class Alignment : uint8_t { Left, Center, Right, Justify };
enum class TabAlignment : uint8_t { Left, Center, Right, Decimal };
enum class UnderlineStyle : uint8_t { None, Single, Double, Dotted, Dashed, Wave, Thick, Word };
enum class VerticalAlign : uint8_t { Baseline, Superscript, Subscript };
enum class FontFamily : uint8_t { Nil, Roman, Swiss, Modern, Script, Decor, Tech, Bidi };

struct Color {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    bool operator==(const Color& o) const {
        return red == o.red && green == o.green && blue == o.blue;
    }
};

struct FontInfo {
    std::string name; // UTF-8, without the trailing ';'
    FontFamily family = FontFamily::Nil;
    int charset = 0;     // \fcharset
    int codePage = 1252; // the code page \'hh bytes of this font are read in
};

struct CharFormat {
    int32_t font = -1;            // index into RichDocument::fonts; -1: default font
    int32_t sizeHalfPoints = 24;  // \fs
    int32_t foreground = -1;      // index into RichDocument::colors; -1: automatic
    int32_t background = -1;      // \highlight or \cb; -1: none
    int32_t offsetHalfPoints = 0; // \up (positive) or \dn (negative)
    VerticalAlign vertical = VerticalAlign::Baseline;
    UnderlineStyle underline = UnderlineStyle::None;
    int32_t spacingTwips = 0; // \expndtw (or \expnd in quarter points): between letters
    bool bold = false;
    bool italic = false;
    bool strike = false;
    bool caps = false;      // \caps
    bool smallCaps = false; // \scaps
    // Counted but drawn as nothing: the number text of a list level that has
    // no number (\levelnfc255).
    bool concealed = false;
    bool operator==(const CharFormat& o) const {
        return font == o.font && sizeHalfPoints == o.sizeHalfPoints && foreground == o.foreground &&
               background == o.background && offsetHalfPoints == o.offsetHalfPoints &&
               vertical == o.vertical && underline == o.underline && bold == o.bold &&
               italic == o.italic && strike == o.strike && caps == o.caps &&
               smallCaps == o.smallCaps && spacingTwips == o.spacingTwips &&
               concealed == o.concealed;
    }
    bool operator!=(const CharFormat& o) const { return !(*this == o); }
};

enum class TabLeader : uint8_t { None, Dots, Hyphens, Underline, Thick, Equals };

struct TabStop {
    int32_t positionTwips = 0;
    TabAlignment alignment = TabAlignment::Left;
    TabLeader leader = TabLeader::None;
};

// Which sides of a paragraph (or a run of paragraphs with the same sides)
// have a border line.
enum BorderSide : uint8_t { kBorderTop = 1, kBorderBottom = 2, kBorderLeft = 4, kBorderRight = 8 };

struct ParaFormat {
    Alignment alignment = Alignment::Left;
    int32_t leftIndentTwips = 0;      // \li
    int32_t rightIndentTwips = 0;     // \ri
    int32_t firstIndentTwips = 0;     // \fi (relative to \li, may be negative)
    int32_t spaceBeforeTwips = 0;     // \sb
    int32_t spaceAfterTwips = 0;      // \sa
    int32_t lineSpacingTwips = 0;     // \sl: 0 auto, > 0 at least, < 0 exactly
    bool lineSpacingMultiple = false; // \slmult1: \sl is a multiple of 240ths of a line
    uint8_t borders = 0;              // BorderSide bits: \brdrt, \brdrb, \brdrl, \brdrr, \box
    int32_t shading = -1;             // \cbpat: index into RichDocument::colors; -1: none
    std::vector<TabStop> tabs;
};

struct Picture {
    enum class Kind : uint8_t { Png, Jpeg, Bmp, Placeholder };
    Kind kind = Kind::Placeholder;
    std::string data;       // PNG or JPEG bytes; for Bmp a complete BMP file
    int32_t widthTwips = 0; // the size to show, after scaling (\picwgoal * \picscalex / 100)
    int32_t heightTwips = 0;
};

// A stretch of one paragraph with one character format. A picture or
// embedded object is a segment of exactly one position (U+FFFC in `text`).
struct Segment {
    uint32_t begin = 0; // positions in RichDocument::text
    uint32_t end = 0;
    CharFormat format;
    int32_t picture = -1; // index into RichDocument::pictures, or -1 for text
};

enum class MarkKind : uint8_t {
    None,      // the document ended without a mark: nothing counted
    Paragraph, // \par or \sect: two positions
    Page,      // \page: two positions
    Line,      // \line: two positions
    Cell,      // \cell: one position
    Row,       // \row: two positions (ends the last cell's paragraph of a row)
};

// How a cell takes part in a merge: the first cell of a merged range, or a
// cell covered by the one before it (left for \clmgf/\clmrg, above for
// \clvmgf/\clvmrg).
enum class CellMerge : uint8_t { None, First, Merged };

struct TableCell {
    int32_t rightEdgeTwips = 0; // \cellx, as given (any order, any sign)
    // Sides drawn: a side declared with \brdrnone (or no line) is not.
    bool borderLeft = false, borderTop = false, borderRight = false, borderBottom = false;
    CellMerge horizontal = CellMerge::None;
    CellMerge vertical = CellMerge::None;
    int32_t shading = -1; // \clcbpat: index into RichDocument::colors; -1: none
};

struct TableRow {
    int32_t leftTwips = 0; // \trleft
    int32_t gapTwips = 0;  // \trgaph
    std::vector<TableCell> cells;
    // 1 for a table in the text; 2 and more for a table inside a cell of a
    // row of the level below (\itap), that row being `parent`.
    int32_t depth = 1;
    int32_t parent = -1;     // index into RichDocument::rows
    int32_t parentCell = -1; // the cell of `parent` holding this row
};

struct Paragraph {
    uint32_t begin = 0; // first position of the paragraph's text
    uint32_t end = 0;   // position of its mark (one past its last character)
    MarkKind mark = MarkKind::None;
    ParaFormat format;
    std::vector<Segment> segments; // in order, covering [begin, end) without gaps
    int32_t tableRow = -1;         // index into RichDocument::rows when in a table
    int32_t cell = -1;             // cell index within that row
    // Keeps its positions but draws no line: an empty paragraph ended by a
    // \sect after which the next section goes on without a break
    // (\sbknone), or one that stands in for a nested table (\nonesttables).
    bool collapsed = false;
};

// A footnote or endnote. Neither its mark nor its text has a position: the
// mark is drawn before the character at `position` (when the text has no
// mark of its own there, as for an automatic number), the text on demand
// and after the article's text.
struct Note {
    uint32_t position = 0; // where its mark stands in RichDocument::text
    std::u16string mark;   // the automatic number (\chftn), or empty
    std::u16string text;   // paragraphs separated by '\n'
    bool endnote = false;  // \ftnalt
};

// A field whose result the document does not hold (an empty \fldrslt):
// what it computes is drawn at `position` without taking a position.
struct ComputedField {
    enum class Kind : uint8_t { Page, PageCount, Date, Time, Title };
    uint32_t position = 0;
    Kind kind = Kind::Page;
    std::string format; // the \@ picture of a date or time, as written
};

// The picture of a drawing object (\shp) whose result shows none: drawn at
// `position` without taking a position.
struct ShapePicture {
    uint32_t position = 0;
    int32_t picture = -1; // index into RichDocument::pictures
};

struct RichDocument {
    std::u16string text;
    std::vector<Paragraph> paragraphs;
    std::vector<FontInfo> fonts;
    std::vector<Color> colors;
    std::vector<Picture> pictures;
    std::vector<TableRow> rows;
    std::vector<Note> notes;           // in order of position
    std::vector<ComputedField> fields; // in order of position
    std::vector<ShapePicture> shapes;  // in order of position
    int32_t defaultFont = -1;          // \deff, as an index into fonts
    int32_t defaultTabTwips = 720;     // \deftab

    // Total number of positions.
    uint32_t length() const { return static_cast<uint32_t>(text.size()); }
};

} // namespace tolvane::rtf
