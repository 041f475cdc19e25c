#pragma once

#include "RichDocument.h"
#include "RtfCodePages.h"
#include "RtfControlWords.h"
#include "RtfGroupState.h"

#include <string>

namespace tolvane::rtf {

// Collects only the displayed text, in the character numbering.
struct RtfTextSink {
    static constexpr bool kFull = false;

    std::u16string out;

    void text(const unsigned char* bytes, size_t size, const RtfCodePages::Table& table,
              const RtfGroupState&) {
        const size_t old = out.size();
        out.resize(old + size);
        char16_t* d = &out[old];
        for (size_t i = 0; i < size; ++i)
            d[i] = table[bytes[i]];
    }
    void units(const char16_t* units, size_t size, const RtfGroupState&) {
        out.append(units, size);
    }
    void character(char16_t unit, const RtfGroupState&) { out += unit; }
    void mark(MarkKind kind, const RtfGroupState&) {
        if (kind == MarkKind::Cell)
            out += u'\t';
        else
            out += u"\r\n";
    }
    void picture(Picture&&, const RtfGroupState&) { out += u'\uFFFC'; }
    void tableWord(Word, int32_t) {}
};

} // namespace tolvane::rtf
