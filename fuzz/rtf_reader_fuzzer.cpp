// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/rtf/RtfReader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

// Reads any input every way; the fast text, whole or streamed, must be the
// model's text, the streamed marks must fall where its paragraphs end, and
// the model must hold together.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const tolvane::rtf::RichDocument document = tolvane::rtf::RtfReader::read(input);
    if (tolvane::rtf::RtfReader::displayedText(input) != document.text)
        std::abort();
    uint32_t previous = 0;
    for (const tolvane::rtf::Paragraph& p : document.paragraphs) {
        if (p.begin < previous || p.end < p.begin || p.end > document.length())
            std::abort();
        for (const tolvane::rtf::Segment& s : p.segments)
            if (s.begin < p.begin || s.end > p.end || s.begin > s.end)
                std::abort();
        if (p.tableRow >= 0 && static_cast<size_t>(p.tableRow) >= document.rows.size())
            std::abort();
        previous = p.end;
    }
    std::u16string streamed;
    const auto append = [&streamed](std::u16string_view block) { streamed += block; };
    if (tolvane::rtf::RtfReader::streamDisplayedText(input, append) != document.text.size() ||
        streamed != document.text)
        std::abort();
    streamed.clear();
    size_t marks = 0;
    const size_t length = tolvane::rtf::RtfReader::streamDisplayedText(
        input, append, [&](tolvane::rtf::MarkKind kind, size_t position) {
            if (marks >= document.paragraphs.size() || position != streamed.size() ||
                position != document.paragraphs[marks].end ||
                kind != document.paragraphs[marks].mark)
                std::abort();
            ++marks;
            streamed += kind == tolvane::rtf::MarkKind::Cell ? u"\t" : u"\r\n";
        });
    if (length != document.text.size() || streamed != document.text)
        std::abort();
    // Notes and fields stand in the text, in order.
    uint32_t at = 0;
    for (const tolvane::rtf::Note& n : document.notes) {
        if (n.position < at || n.position > document.length())
            std::abort();
        at = n.position;
    }
    at = 0;
    for (const tolvane::rtf::ComputedField& f : document.fields) {
        if (f.position < at || f.position > document.length())
            std::abort();
        at = f.position;
    }
    // Nested rows hang from a row of the level below, listed before them.
    for (size_t i = 0; i < document.rows.size(); ++i) {
        const tolvane::rtf::TableRow& row = document.rows[i];
        if (row.cells.size() > 64 || row.depth < 1 || row.depth > 8)
            std::abort();
        if (row.depth == 1
                ? row.parent != -1
                : row.parent < 0 || static_cast<size_t>(row.parent) >= i ||
                      document.rows[static_cast<size_t>(row.parent)].depth != row.depth - 1)
            std::abort();
    }
    return 0;
}
