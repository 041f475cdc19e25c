// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/authoring/BuildMessages.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::authoring {

// A hot spot of a topic: its anchor in the body's character numbering (both
// ends included), the target id as written (without window or file part) and
// whether it is a popup link (single underline) or a jump.
struct SourceLink {
    int32_t first = 0;
    int32_t last = 0;
    std::string target; // Windows-1252
    bool popup = false;
    int line = 0;
};

// One topic of a source file, its body already turned into a complete RTF
// document without footnotes and hidden link targets.
struct SourceTopic {
    std::string id; // the first `#` footnote, Windows-1252; empty when absent
    // Later `#` footnotes of the same topic (places inside it, which the
    // data source cannot address: they lead to the topic).
    std::vector<std::string> otherIds;
    std::string title;                 // the `$` footnote
    std::vector<std::string> keywords; // of the `K` footnotes, split and trimmed
    std::string file;
    int line = 0;
    // Where the topic lies in its file, in bytes: from the document's opening
    // brace (the first topic) or the end of the \page before it, to its own
    // \page or where reading ended. Reading the file up to either end shows
    // what came before the topic and then the topic itself.
    size_t sourceBegin = 0;
    size_t sourceEnd = 0;
    std::string body;
    int32_t length = 0; // number of positions of the body's displayed text
    std::vector<SourceLink> links;
    // The displayed characters of each link's anchor, kept only when the
    // parser is asked to (checks of the numbering): a build has no use for
    // them. Empty, or one per link.
    std::vector<std::u16string> hotTexts;
};

// Splits help-project RTF into topics. The file is read with a tokenizer of
// its own because the body must be copied almost byte for byte while the
// parts that belong to the help compiler are taken out:
//   - `\page` ends a topic;
//   - `{\footnote}` groups and the mark character before them go to the
//     topic's id (#), title ($), keywords (K, split at ';'); `+`, `!` and others are dropped;
//   - text formatted \uldb or \strike (a jump) or \ul (a popup), directly or
//     through a character style, followed by hidden text (\v) is a link whose
//     target is the hidden text; the hidden text is removed;
//   - `{bmc name}` and `\{bmc name\}` (bml, bmr, with an optional t) become a
//     picture given by the picture source, or a visible placeholder.
// Each body starts with the source's font and colour tables and re-opens
// the groups (with their formatting) that were open where the topic began.
// Positions are counted while writing, in the viewer's numbering: a
// character, a tab, a picture one; \par, \line, \sect, \row two; \cell one;
// hidden text nothing.
class TopicParser {
public:
    // The RTF of a picture group for a bitmap name, or false when there is
    // no such bitmap.
    using PictureSource = std::function<bool(const std::string& name, std::string& pictRtf)>;

    TopicParser(BuildMessages& messages, PictureSource pictures)
        : m_messages(messages), m_pictures(std::move(pictures)) {}

    // Appends the topics of one file to topics. file names the file in
    // messages.
    void parse(const std::string& file, std::string_view rtf, std::vector<SourceTopic>& topics);
    // Whether each link keeps its hot text (off by default).
    void setKeepHotText(bool keep) { m_keepHotText = keep; }

    // The keywords of a `K` footnote's text: split at ';', blanks around
    // each taken off, empty ones dropped.
    static std::vector<std::string> splitKeywords(std::string_view footnote);

    // Whether a bitmap reference ("bmc name", bml, bmr, with an optional t)
    // starts at s[i], just after its opening brace, and ends with `close`
    // ("}" or "\\}"): then its bitmap's name and the byte after it.
    static bool bitmapReference(std::string_view s, size_t i, std::string_view close,
                                std::string& name, size_t& end);

    // The colour (an index of the body's colour table) given to jump anchors
    // that have no colour of their own is green (0, 128, 0).
    static constexpr const char* kLinkColour = "\\red0\\green128\\blue0;";

private:
    BuildMessages& m_messages;
    PictureSource m_pictures;
    bool m_keepHotText = false;
};

} // namespace tolvane::authoring
