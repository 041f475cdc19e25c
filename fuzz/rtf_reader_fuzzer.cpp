#include "core/rtf/RtfReader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

// Reads any input every way; the fast text, whole or streamed, must be the
// model's text, and the streamed marks must fall where its paragraphs end.
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
    return 0;
}
