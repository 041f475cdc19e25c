#include "core/rtf/RtfReader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

// Reads any input both ways; the fast text must be the model's text.
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
    return 0;
}
