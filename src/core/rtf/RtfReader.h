// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/rtf/RichDocument.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace tolvane::rtf {

// Turns the bytes of an RTF document (an article body) into the document
// model, numbering its characters as RichDocument.h describes. Any input is
// accepted: unbalanced braces, truncation, absurd parameters and deep nesting
// give whatever text is readable, with memory bounded by a small multiple of
// the input's size and no recursion on the input's nesting.
class RtfReader {
public:
    // The whole model: text, paragraphs, formats, tables, pictures.
    static RichDocument read(std::string_view rtf);

    // Only the displayed text in the same numbering (identical to
    // read(rtf).text), without building formats: the fast path of search.
    static std::u16string displayedText(std::string_view rtf);

    // The displayed text handed to `consume` in blocks, in order, as it is
    // read (never the whole text at once); returns its length.
    static size_t streamDisplayedText(std::string_view rtf,
                                      const std::function<void(std::u16string_view)>& consume);
    // The same with each mark handed to `onMark` (its kind and position)
    // instead of going into the blocks; the positions count the marks.
    static size_t streamDisplayedText(std::string_view rtf,
                                      const std::function<void(std::u16string_view)>& consume,
                                      const std::function<void(MarkKind, size_t)>& onMark);
};

struct RtfFontTableCache;

// Reads the displayed text of one document after another, as
// RtfReader::displayedText does, keeping from one document to the next the
// fonts of a font table that the next one repeats byte for byte. One reader
// per thread.
class RtfTextReader {
public:
    RtfTextReader();
    ~RtfTextReader();
    RtfTextReader(const RtfTextReader&) = delete;
    RtfTextReader& operator=(const RtfTextReader&) = delete;

    std::u16string displayedText(std::string_view rtf);

private:
    std::unique_ptr<RtfFontTableCache> m_fonts;
};

} // namespace tolvane::rtf
