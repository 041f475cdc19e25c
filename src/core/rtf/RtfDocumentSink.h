// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/rtf/RichDocument.h"
#include "core/rtf/RtfCodePages.h"
#include "core/rtf/RtfControlWords.h"
#include "core/rtf/RtfGroupState.h"

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace tolvane::rtf {

// Builds the document model from what the parser reads: paragraphs cut at
// each mark with the paragraph format in force there, segments of equal
// character format, pictures, and table rows. Tab stops and table cells
// copied into paragraphs and rows are budgeted against the input's size, so
// a short input repeating marks cannot make the model huge.
class RtfDocumentSink {
public:
    static constexpr bool kFull = true;
    static constexpr bool kPassWords = false;
    static constexpr bool kPassMarks = false;
    using State = RtfGroupState;

    explicit RtfDocumentSink(size_t inputSize);

    void text(const unsigned char* bytes, size_t size, const RtfCodePages::Table& table,
              const RtfGroupState& state);
    char16_t* space(size_t& room) {
        room = m_units.size();
        return m_units.data();
    }
    void wrote(size_t size, const RtfGroupState& state);
    void character(char16_t unit, const RtfGroupState& state);
    void mark(MarkKind kind, const RtfGroupState& state);
    void picture(Picture&& picture, const RtfGroupState& state);
    void layoutWord(Word word, int32_t parameter, const RtfGroupState& state);
    // Positions written so far.
    size_t length() const { return m_document.text.size(); }

    // Closes the last paragraph (when it holds anything) and hands over the
    // model.
    RichDocument finish(const RtfGroupState& state, std::vector<FontInfo> fonts,
                        std::vector<Color> colors, int32_t defaultFont);

    // Tables nested deeper than this are drawn at this level.
    static constexpr int32_t kMaxNesting = 8;

private:
    // The row being defined at one table level: cells so far, the cell
    // whose \cellx is still to come, the side a \brdrnone applies to.
    struct Definition {
        TableRow row;
        TableCell cell;
        int side = -1; // 0 left, 1 top, 2 right, 3 bottom; -1 none
    };
    // A row of one table level whose cells are being read.
    struct OpenRow {
        int32_t row = -1;
        int32_t cell = 0;
    };

    void extend(const CharFormat& format, size_t begin);
    void endParagraph(MarkKind kind, const RtfGroupState& state);
    void assignDefinition(int32_t row, int32_t level);
    static int32_t depthOf(const RtfGroupState& state);
    static CharFormat formatOf(const RtfGroupState& state);

    std::array<char16_t, 2048> m_units; // plain text on its way into the model
    RichDocument m_document;
    Paragraph m_paragraph;
    std::array<Definition, kMaxNesting> m_definitions;
    std::vector<OpenRow> m_open; // one per table level the text is in
    int32_t m_section = -1;      // the paragraph a \sect just ended
    size_t m_budget;             // tab stops and cells still allowed in copies
};

} // namespace tolvane::rtf
