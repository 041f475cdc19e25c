// SPDX-License-Identifier: GPL-3.0-or-later
#include "TopicParserCheck.h"
#include "core/authoring/TopicParser.h"
#include "core/common/InputFile.h"
#include "core/rtf/RtfReader.h"

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
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    if (!tolvane::fuzz::TopicParserDisagreement(input).empty())
        std::abort();
    return 0;
}
