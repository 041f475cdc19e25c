// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/rtf/RichDocument.h"

#include <iosfwd>
#include <string>
#include <string_view>

namespace tolvane::rtf {

// UTF-16 given in pieces to UTF-8, a block of units at a time: a CR or the
// first half of a pair that ends a piece waits for the next one, so the
// pieces convert as their whole would.
class Utf8Converter {
public:
    // The bytes `convert` may need for a piece of that many units.
    static constexpr size_t room(size_t units) { return 3 * units + 4; }
    // Converts into `out`, which has room(units.size()) bytes; returns the
    // end of what it wrote.
    char* convert(std::u16string_view units, char* out);
    void append(std::u16string_view units, std::string& out);
    // Converts a unit still waiting (a lone CR, or U+FFFD for a lone half).
    void finish(std::string& out);

private:
    char16_t m_held = 0;
};

// Plain-text views of an RTF document's displayed text, in UTF-8, for the
// companion tool and the golden files of the tests:
//   Text:       the text, a newline for each paragraph mark, a tab for each
//               tab and cell mark, U+FFFC for each picture or object;
//   Paragraphs: one line per paragraph, its first position in the character
//               numbering, a tab, then its text as above;
//   Count:      the total number of positions, on one line;
//   Model:      the paragraphs with what of their formats differs from the
//               defaults, their segments, then the table rows (model()).
class RichTextDump {
public:
    enum class Mode { Text, Paragraphs, Count, Model };

    static std::string dump(std::string_view rtf, Mode mode);
    // The same dump written to `out` as the document is read, a block at a
    // time, without ever holding the whole text.
    static void write(std::string_view rtf, Mode mode, std::ostream& out);
    // The document model, one item a line:
    //   "deftab N" when \deftab is not 720;
    //   "P begin-end mark [row R cell C] [collapsed] [format]" per paragraph,
    //   then "  S begin-end [picture N] [format] |text|" per segment;
    //   "F position kind [|picture|]" per field without result;
    //   "D position picture N" per picture of a drawing object;
    //   "N position [mark M] |text|" per footnote ("E" for an endnote);
    //   "R index depth D [parent P/C] [left L gap G]" per table row, then
    //   "  C edge [borders ltrb] [h first|merged] [v first|merged] [shade N]"
    //   per cell. Formats list only what differs from the defaults.
    static std::string model(const RichDocument& document);
    // UTF-16 to UTF-8, CR LF pairs as one newline; lone surrogates give U+FFFD.
    static std::string toUtf8(std::u16string_view text);
    // The same conversion appended to `out`, a block of units at a time.
    static void appendUtf8(std::string& out, std::u16string_view text);
};

} // namespace tolvane::rtf
