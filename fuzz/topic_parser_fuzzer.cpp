#include "authoring/TopicParser.h"
#include "display/RtfReader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

// Splits any input into topics; every body must number as counted, and
// every anchor must lie inside its body's text.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tolvane::authoring;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    BuildMessages messages;
    TopicParser parser(messages, [](const std::string& name, std::string& pict) {
        if (name.size() % 2)
            return false;
        pict = "{\\pict\\pngblip 00}";
        return true;
    });
    std::vector<SourceTopic> topics;
    parser.parse("fuzz.rtf", input, topics);
    for (const SourceTopic& t : topics) {
        const std::u16string text = tolvane::rtf::RtfReader::displayedText(t.body);
        if (text.size() != static_cast<size_t>(t.length))
            std::abort();
        for (const SourceLink& l : t.links) {
            if (l.first < 0 || l.first > l.last || l.last >= t.length ||
                l.hotText.size() != static_cast<size_t>(l.last - l.first + 1))
                std::abort();
            // Bytes of symbol fonts map through the font; ASCII must match.
            for (size_t k = 0; k < l.hotText.size(); ++k)
                if (l.hotText[k] < 0x80 && text[l.first + k] != l.hotText[k])
                    std::abort();
        }
    }
    return 0;
}
