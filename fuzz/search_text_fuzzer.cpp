// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/common/Cp1252.h"
#include "core/rtf/RtfReader.h"
#include "core/rtf/TextFinder.h"
#include "core/search/ArticleMatcher.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

// The text test of the search on any body (RTF or not, cut short, with \bin
// runs or deep nesting): it agrees with a find in the text the article view
// shows, and a piece of that text is always found.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    // The first byte chooses the options and the piece of text searched for.
    const unsigned options = data[0];
    const std::string_view body(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::u16string shown = tolvane::rtf::RtfReader::read(body).text;

    std::u16string piece;
    if (!shown.empty()) {
        const size_t from = (options * 131u) % shown.size();
        piece = shown.substr(from, 1 + (options >> 5));
    }
    bool lossless = true;
    std::string text = tolvane::cp1252::fromUtf16(piece, &lossless);
    if (text.empty())
        text = "a";
    const bool matchCase = options & 1;
    const bool wholeWord = options & 2;
    if (options & 4)
        tolvane::cp1252::toUpperInPlace(text);

    const tolvane::SearchRequest request{text, matchCase, wholeWord, false, true};
    tolvane::ArticleMatcher matcher(request);
    const bool matched = matcher.textMatches(body);
    const tolvane::rtf::TextFinder finder(tolvane::cp1252::toUtf16(text),
                                          tolvane::rtf::FindOptions{matchCase, wholeWord});
    if (matched != (finder.find(shown) >= 0))
        std::abort();
    if (!piece.empty() && lossless && !wholeWord && !(options & 4) && !matched)
        std::abort();
    return 0;
}
