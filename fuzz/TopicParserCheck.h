#pragma once

#include "core/authoring/TopicParser.h"
#include "core/rtf/RtfReader.h"

#include <string>
#include <string_view>
#include <vector>

namespace tolvane::fuzz {

// What the topic parser fuzzer checks on every input, and the test that
// keeps the inputs it found: each body numbers as the parser counted it,
// and each anchor lies on its hot text in the reader's own numbering.
// Returns what disagrees, or nothing.
inline std::string TopicParserDisagreement(std::string_view rtf) {
    using namespace tolvane::authoring;
    BuildMessages messages;
    TopicParser parser(messages, [](const std::string& name, std::string& pict) {
        if (name.size() % 2)
            return false;
        pict = "{\\pict\\pngblip 00}";
        return true;
    });
    std::vector<SourceTopic> topics;
    parser.setKeepHotText(true);
    parser.parse("fuzz.rtf", rtf, topics);
    for (const SourceTopic& t : topics) {
        const std::string topic = "topic " + std::to_string(&t - topics.data()) + ": ";
        const std::u16string text = rtf::RtfReader::displayedText(t.body);
        if (text.size() != static_cast<size_t>(t.length))
            return topic + "the reader shows " + std::to_string(text.size()) +
                   " positions, the parser counted " + std::to_string(t.length);
        if (t.hotTexts.size() != t.links.size())
            return topic + "hot texts and links differ in number";
        for (size_t n = 0; n < t.links.size(); ++n) {
            const SourceLink& l = t.links[n];
            const std::u16string& hot = t.hotTexts[n];
            const std::string link = topic + "link " + std::to_string(n) + ": ";
            if (l.first < 0 || l.first > l.last || l.last >= t.length ||
                hot.size() != static_cast<size_t>(l.last - l.first + 1))
                return link + "anchor outside the text or unlike its hot text";
            // A symbol font's letters are shown as its own characters: only
            // where both sides are ASCII must they be the same.
            for (size_t k = 0; k < hot.size(); ++k)
                if (hot[k] < 0x80 && text[l.first + k] < 0x80 && text[l.first + k] != hot[k])
                    return link + "character " + std::to_string(k) + " differs";
        }
    }
    return {};
}

} // namespace tolvane::fuzz
