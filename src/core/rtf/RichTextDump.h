#pragma once

#include "core/rtf/RichDocument.h"

#include <string>
#include <string_view>

namespace tolvane::rtf {

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
};

} // namespace tolvane::rtf
