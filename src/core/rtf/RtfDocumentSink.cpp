#include "core/rtf/RtfDocumentSink.h"

#include <algorithm>

namespace tolvane::rtf {
namespace {

constexpr size_t kMaxCells = 64;

} // namespace

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
    extend(state.character, begin);
}

void RtfDocumentSink::wrote(size_t size, const RtfGroupState& state) {
    if (size == 0)
        return;
    const size_t begin = m_document.text.size();
    m_document.text.append(m_units.data(), size);
    extend(state.character, begin);
}

void RtfDocumentSink::character(char16_t unit, const RtfGroupState& state) {
    const size_t begin = m_document.text.size();
    m_document.text += unit;
    extend(state.character, begin);
}

void RtfDocumentSink::picture(Picture&& picture, const RtfGroupState& state) {
    Segment segment;
    segment.begin = static_cast<uint32_t>(m_document.text.size());
    segment.end = segment.begin + 1;
    segment.format = state.character;
    segment.picture = static_cast<int32_t>(m_document.pictures.size());
    m_document.pictures.push_back(std::move(picture));
    m_document.text += u'\uFFFC';
    m_paragraph.segments.push_back(segment);
}

void RtfDocumentSink::endParagraph(MarkKind kind, const RtfGroupState& state) {
    Paragraph& p = m_paragraph;
    p.end = static_cast<uint32_t>(m_document.text.size());
    p.mark = kind;
    p.format = state.paragraph;
    if (p.format.tabs.size() > m_budget)
        p.format.tabs.clear();
    m_budget -= p.format.tabs.size();

    const bool inTable = state.inTable || kind == MarkKind::Cell || kind == MarkKind::Row;
    if (inTable) {
        if (m_row < 0) {
            m_row = static_cast<int32_t>(m_document.rows.size());
            m_document.rows.push_back(TableRow{});
        }
        p.tableRow = m_row;
        p.cell = kind == MarkKind::Row ? -1 : m_cell;
        if (kind == MarkKind::Cell)
            ++m_cell;
    } else {
        m_row = -1;
        m_cell = 0;
    }
    // A row takes the last definition given before it ends (Word repeats it
    // after the cells).
    if (inTable && (kind == MarkKind::Row || m_document.rows[m_row].cells.empty())) {
        TableRow& row = m_document.rows[static_cast<size_t>(m_row)];
        const size_t cells = m_rowDefinition.cells.size();
        if (cells <= m_budget) {
            m_budget += row.cells.size();
            row = m_rowDefinition;
            m_budget -= cells;
        } else {
            row.leftTwips = m_rowDefinition.leftTwips;
            row.gapTwips = m_rowDefinition.gapTwips;
        }
    }
    if (kind == MarkKind::Row) {
        m_row = -1;
        m_cell = 0;
    }
    m_document.paragraphs.push_back(std::move(p));
    m_paragraph = Paragraph{};
}

void RtfDocumentSink::mark(MarkKind kind, const RtfGroupState& state) {
    endParagraph(kind, state);
    m_document.text += kind == MarkKind::Cell ? u"\t" : u"\r\n";
    m_paragraph.begin = static_cast<uint32_t>(m_document.text.size());
}

void RtfDocumentSink::tableWord(Word word, int32_t parameter) {
    switch (word) {
    case Word::RowDefault:
        m_rowDefinition = TableRow{};
        m_borders = TableCell{};
        break;
    case Word::CellRight:
        if (m_rowDefinition.cells.size() < kMaxCells) {
            m_borders.rightEdgeTwips = parameter;
            m_rowDefinition.cells.push_back(m_borders);
        }
        m_borders = TableCell{};
        break;
    case Word::RowLeft:
        m_rowDefinition.leftTwips = parameter;
        break;
    case Word::RowGap:
        m_rowDefinition.gapTwips = parameter;
        break;
    case Word::BorderLeft:
        m_borders.borderLeft = true;
        break;
    case Word::BorderTop:
        m_borders.borderTop = true;
        break;
    case Word::BorderRight:
        m_borders.borderRight = true;
        break;
    case Word::BorderBottom:
        m_borders.borderBottom = true;
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
