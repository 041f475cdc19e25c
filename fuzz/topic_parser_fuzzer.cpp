#include "authoring/TopicParser.h"
#include "common/InputFile.h"
#include "display/RtfReader.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

void WriteSeed(const std::string& dir, const std::string& bytes) {
    static int count = 0;
    const std::string path = dir + "/seed-" + std::to_string(++count) + ".rtf";
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
}

// Seeds made from the bundled guide: each source file whole, each of its
// topics alone after the file's header, and the body the parser writes for
// every topic.
void WriteSeeds(const std::string& dir) {
    using namespace tolvane::authoring;
    for (const char* name : {"navigation.rtf", "glossaire.rtf"}) {
        std::string rtf;
        if (!tolvane::InputFile::readAll(std::string(TOLVANE_SOURCE_DIR "/samples/guide/") + name,
                                         rtf))
            continue;
        WriteSeed(dir, rtf);
        const size_t headEnd = rtf.find("#{\\footnote");
        const std::string head = rtf.substr(0, headEnd);
        size_t from = headEnd;
        while (from != std::string::npos && from < rtf.size()) {
            const size_t page = rtf.find("\\page", from);
            const size_t end = page == std::string::npos ? rtf.size() : page;
            WriteSeed(dir, head + rtf.substr(from, end - from) + "}");
            from = page == std::string::npos ? page : page + 5;
        }
        BuildMessages messages;
        std::vector<SourceTopic> topics;
        TopicParser(messages, nullptr).parse(name, rtf, topics);
        for (const SourceTopic& t : topics)
            WriteSeed(dir, t.body);
    }
}

} // namespace

// With TOLVANE_FUZZ_SEED_DIR set, writes the seeds there and stops.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (const char* dir = std::getenv("TOLVANE_FUZZ_SEED_DIR")) {
        WriteSeeds(dir);
        std::exit(0);
    }
    return 0;
}

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
    parser.setKeepHotText(true);
    parser.parse("fuzz.rtf", input, topics);
    for (const SourceTopic& t : topics) {
        const std::u16string text = tolvane::rtf::RtfReader::displayedText(t.body);
        if (text.size() != static_cast<size_t>(t.length))
            std::abort();
        if (t.hotTexts.size() != t.links.size())
            std::abort();
        for (size_t n = 0; n < t.links.size(); ++n) {
            const SourceLink& l = t.links[n];
            const std::u16string& hot = t.hotTexts[n];
            if (l.first < 0 || l.first > l.last || l.last >= t.length ||
                hot.size() != static_cast<size_t>(l.last - l.first + 1))
                std::abort();
            // Bytes of symbol fonts map through the font to characters of
            // their own; where both sides are ASCII, they must match.
            for (size_t k = 0; k < hot.size(); ++k)
                if (hot[k] < 0x80 && text[l.first + k] < 0x80 && text[l.first + k] != hot[k])
                    std::abort();
        }
    }
    return 0;
}
