#pragma once

#include <string>
#include <string_view>

namespace tolvane::rtf {

// Plain-text views of an RTF document's displayed text, in UTF-8, for the
// companion tool and the golden files of the tests:
//   Text:       the text, a newline for each paragraph mark, a tab for each
//               tab and cell mark, U+FFFC for each picture or object;
//   Paragraphs: one line per paragraph, its first position in the character
//               numbering, a tab, then its text as above;
//   Count:      the total number of positions, on one line.
class RichTextDump {
public:
    enum class Mode { Text, Paragraphs, Count };

    static std::string dump(std::string_view rtf, Mode mode);
    // UTF-16 to UTF-8, CR LF pairs as one newline; lone surrogates give U+FFFD.
    static std::string toUtf8(std::u16string_view text);
    // The same conversion appended to `out`, a block of units at a time.
    static void appendUtf8(std::string& out, std::u16string_view text);
};

} // namespace tolvane::rtf
