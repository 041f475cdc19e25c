// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/rtf/RtfDocumentSink.h"

#include <algorithm>

namespace tolvane::rtf {
namespace {

constexpr size_t kMaxCells = 64;

} // namespace

CharFormat RtfDocumentSink::formatOf(const RtfGroupState& state) {
    if (!state.concealed)
        return state.character;
    CharFormat format = state.character;
    format.concealed = true;
    return format;
}

RtfDocumentSink::RtfDocumentSink(size_t inputSize) : m_budget(inputSize / 4 + 4096) {}

void RtfDocumentSink::extend(const CharFormat& format, size_t begin) {
    const auto end = static_cast<uint32_t>(m_document.text.size());
    std::vector<Segment>& segments = m_paragraph.segments;
    if (!segments.empty() && segments.back().picture < 0 && segments.back().format == format) {
        segments.back().end = end;
        return;
    }
    Segment segment;
    segment.begin = static_cast<uint32_t>(begin);
    segment.end = end;
    segment.format = format;
    segments.push_back(segment);
}

void RtfDocumentSink::text(const unsigned char* bytes, size_t size,
                           const RtfCodePages::Table& table, const RtfGroupState& state) {
    std::u16string& out = m_document.text;
    const size_t begin = out.size();
    out.resize(begin + size);
    char16_t* d = &out[begin];
    for (size_t i = 0; i < size; ++i)
        d[i] = table[bytes[i]];
    extend(formatOf(state), begin);
}

void RtfDocumentSink::wrote(size_t size, const RtfGroupState& state) {
    if (size == 0)
        return;
    const size_t begin = m_document.text.size();
    m_document.text.append(m_units.data(), size);
    extend(formatOf(state), begin);
}

void RtfDocumentSink::character(char16_t unit, const RtfGroupState& state) {
    const size_t begin = m_document.text.size();
    m_document.text += unit;
    extend(formatOf(state), begin);
}

void RtfDocumentSink::picture(Picture&& picture, const RtfGroupState& state) {
    Segment segment;
    segment.begin = static_cast<uint32_t>(m_document.text.size());
    segment.end = segment.begin + 1;
    segment.format = formatOf(state);
    segment.picture = static_cast<int32_t>(m_document.pictures.size());
    m_document.pictures.push_back(std::move(picture));
    m_document.text += u'\uFFFC';
    m_paragraph.segments.push_back(segment);
}

int32_t RtfDocumentSink::depthOf(const RtfGroupState& state) {
    const int32_t level = state.inTable ? std::max(state.nesting, 1) : state.nesting;
    return level >= 2 || state.inTable ? std::min(level, kMaxNesting) : 0;
}

void RtfDocumentSink::assignDefinition(int32_t index, int32_t level) {
    TableRow& row = m_document.rows[static_cast<size_t>(index)];
    const TableRow& definition = m_definitions[static_cast<size_t>(level - 1)].row;
    const size_t cells = definition.cells.size();
    if (cells <= m_budget + row.cells.size()) {
        m_budget += row.cells.size();
        row.cells = definition.cells;
        m_budget -= cells;
    }
    row.leftTwips = definition.leftTwips;
    row.gapTwips = definition.gapTwips;
}

void RtfDocumentSink::endParagraph(MarkKind kind, const RtfGroupState& state) {
    Paragraph& p = m_paragraph;
    p.end = static_cast<uint32_t>(m_document.text.size());
    p.mark = kind;
    p.format = state.paragraph;
    if (p.format.tabs.size() > m_budget)
        p.format.tabs.clear();
    m_budget -= p.format.tabs.size();

    int32_t depth = depthOf(state);
    if (depth == 0 && (kind == MarkKind::Cell || kind == MarkKind::Row))
        depth = 1;
    if (state.fallback) {
        // In place of a nested row, after it: the row has ended (even when
        // its \nestrow was lost) and the paragraph is of the level below.
        depth = std::min(depth - 1, static_cast<int32_t>(m_open.size()));
        p.collapsed = p.begin == p.end && kind == MarkKind::Paragraph;
    }
    // Rows of deeper levels that were never closed end here.
    if (m_open.size() > static_cast<size_t>(depth))
        m_open.resize(static_cast<size_t>(depth));
    while (m_open.size() < static_cast<size_t>(depth)) {
        TableRow row;
        row.depth = static_cast<int32_t>(m_open.size()) + 1;
        if (!m_open.empty()) {
            row.parent = m_open.back().row;
            row.parentCell = m_open.back().cell;
        }
        m_open.push_back(OpenRow{static_cast<int32_t>(m_document.rows.size()), 0});
        m_document.rows.push_back(std::move(row));
    }
    if (depth > 0) {
        OpenRow& open = m_open.back();
        p.tableRow = open.row;
        p.cell = kind == MarkKind::Row ? -1 : open.cell;
        if (kind == MarkKind::Cell)
            ++open.cell;
        // A row takes the last definition given before it ends (Word
        // repeats it after the cells).
        if (kind == MarkKind::Row || m_document.rows[static_cast<size_t>(open.row)].cells.empty())
            assignDefinition(open.row, depth);
        if (kind == MarkKind::Row)
            m_open.pop_back();
    }
    m_section = -1;
    m_document.paragraphs.push_back(std::move(p));
    m_paragraph = Paragraph{};
}

void RtfDocumentSink::mark(MarkKind kind, const RtfGroupState& state) {
    endParagraph(kind, state);
    m_document.text += kind == MarkKind::Cell ? u"\t" : u"\r\n";
    m_paragraph.begin = static_cast<uint32_t>(m_document.text.size());
}

void RtfDocumentSink::layoutWord(Word word, int32_t parameter, const RtfGroupState& state) {
    // Definitions inside \nesttableprops are those of a nested level; the
    // others, wherever they stand, of the outermost one.
    const int32_t level = state.destination == Destination::TableProps
                              ? std::clamp(depthOf(state), 2, kMaxNesting)
                              : 1;
    Definition& d = m_definitions[static_cast<size_t>(level - 1)];
    auto side = [&d](int index) {
        d.side = index;
        bool* sides[] = {&d.cell.borderLeft, &d.cell.borderTop, &d.cell.borderRight,
                         &d.cell.borderBottom};
        *sides[index] = true;
    };
    switch (word) {
    case Word::RowDefault:
        d = Definition{};
        break;
    case Word::CellRight:
        if (d.row.cells.size() < kMaxCells) {
            d.cell.rightEdgeTwips = parameter;
            d.row.cells.push_back(d.cell);
        }
        d.cell = TableCell{};
        d.side = -1;
        break;
    case Word::RowLeft:
        d.row.leftTwips = parameter;
        break;
    case Word::RowGap:
        d.row.gapTwips = parameter;
        break;
    case Word::BorderLeft:
        side(0);
        break;
    case Word::BorderTop:
        side(1);
        break;
    case Word::BorderRight:
        side(2);
        break;
    case Word::BorderBottom:
        side(3);
        break;
    case Word::BorderNone: {
        bool* sides[] = {&d.cell.borderLeft, &d.cell.borderTop, &d.cell.borderRight,
                         &d.cell.borderBottom};
        if (d.side >= 0)
            *sides[d.side] = false;
        break;
    }
    case Word::CellMergeFirst:
        d.cell.horizontal = CellMerge::First;
        break;
    case Word::CellMerged:
        d.cell.horizontal = CellMerge::Merged;
        break;
    case Word::CellVerticalFirst:
        d.cell.vertical = CellMerge::First;
        break;
    case Word::CellVerticalMerged:
        d.cell.vertical = CellMerge::Merged;
        break;
    case Word::CellShading:
        d.cell.shading = parameter;
        break;
    case Word::NestedRow:
        // The end of a nested row's definition, after its cells: the row
        // takes it and ends.
        if (m_open.size() >= 2) {
            assignDefinition(m_open.back().row, level);
            m_open.pop_back();
        }
        break;
    case Word::Section:
        m_section = static_cast<int32_t>(m_document.paragraphs.size()) - 1;
        break;
    case Word::SectionNoBreak:
        if (m_section >= 0 && m_paragraph.segments.empty()) {
            Paragraph& ended = m_document.paragraphs[static_cast<size_t>(m_section)];
            ended.collapsed = ended.begin == ended.end && ended.tableRow < 0;
        }
        break;
    case Word::DefaultTab:
        if (parameter > 0)
            m_document.defaultTabTwips = std::min(parameter, 31680);
        break;
    default:
        break;
    }
}

RichDocument RtfDocumentSink::finish(const RtfGroupState& state, std::vector<FontInfo> fonts,
                                     std::vector<Color> colors, int32_t defaultFont) {
    if (m_paragraph.begin < m_document.text.size() || m_document.paragraphs.empty())
        endParagraph(MarkKind::None, state);
    m_document.fonts = std::move(fonts);
    m_document.colors = std::move(colors);
    m_document.defaultFont = defaultFont;
    return std::move(m_document);
}

} // namespace tolvane::rtf
