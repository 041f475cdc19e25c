// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/view/RichTextBuilder.h"

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QImageReader>
#include <QLocale>
#include <QPainter>
#include <QTextDocument>
#include <QTextTable>
#include <QUrl>

#include <algorithm>

namespace tolvane {

namespace {

// Bounds that keep absurd declared sizes from costing memory or layout time.
constexpr int kMaxPicturePixels = 4096;
constexpr int kMaxPlaceholderPixels = 2048;
constexpr int kDefaultPicturePixels = 32;
constexpr int kMaxTableColumns = 64;
constexpr int32_t kMaxTableDepth = 8;
// Cell edges: beyond this, the table is wider than any paper and the
// columns past it share the view's width; closer than kSnapTwips, two edges
// of different rows are one column edge; a cell is at least kMinCellTwips
// wide when its edge is left of the one before.
constexpr int64_t kMaxTableTwips = 1 << 20;
constexpr qreal kMaxSaneTableTwips = 22 * 1440;
constexpr int64_t kSnapTwips = 30;
constexpr int64_t kMinCellTwips = 360;
constexpr qint64 kPlaceholderPixelBudget = 16 * 1024 * 1024;
// Cells a table may have per paragraph it holds, beyond a small table.
constexpr qint64 kCellsPerParagraph = 8;

// Characters QTextCursor::insertText would turn into blocks or frames; they
// become spaces so that every position of a segment stays one position.
// Concealed text keeps one character per position, each of no width.
QString segmentText(const std::u16string& text, uint32_t begin, uint32_t end,
                    bool concealed = false) {
    if (concealed) {
        return QString(int(end - begin), QChar(0x200B));
    }
    QString out(reinterpret_cast<const QChar*>(text.data() + begin), int(end - begin));
    QChar* data = out.data();
    for (int i = 0, n = int(out.size()); i < n; ++i) {
        const char16_t c = data[i].unicode();
        if ((c < 0x20 && c != u'\t') || c == 0x2029 || c == 0xFFFC || c == 0xFDD0 || c == 0xFDD1) {
            data[i] = QLatin1Char(' ');
        }
    }
    return out;
}

} // namespace

RichTextBuilder::RichTextBuilder(qreal dpi, qreal zoom, QColor readableOn)
    : m_dpi(dpi > 0 ? dpi : 96.0), m_zoom(zoom > 0 ? zoom : 1.0), m_readableOn(readableOn) {}

qreal RichTextBuilder::pixels(int32_t twips) const {
    return twipsToPixels(twips, m_dpi * m_zoom);
}

std::unique_ptr<QTextDocument> RichTextBuilder::build(const rtf::RichDocument& document,
                                                      PositionMap& map) {
    auto target = std::make_unique<QTextDocument>();
    target->setUndoRedoEnabled(false);
    QTextOption option = target->defaultTextOption();
    option.setTabStopDistance(std::clamp(pixels(document.defaultTabTwips), 1.0, 2000.0));
    target->setDefaultTextOption(option);
    m_source = &document;
    m_target = target.get();
    m_map = &map;
    m_map->clear();
    m_resources.clear();
    m_failedPictures.clear();
    m_placeholderPixels = 0;
    m_needBlock = false;
    m_continuesLine = false;
    m_nextNote = 0;
    m_nextField = 0;
    m_nextShape = 0;
    m_formats = std::make_unique<RichTextFormats>(document, m_dpi, m_zoom, m_readableOn);

    m_cursor = QTextCursor(m_target);
    m_cursor.beginEditBlock();
    const auto& paragraphs = document.paragraphs;
    size_t i = 0;
    while (i < paragraphs.size()) {
        if (paragraphs[i].tableRow >= 0) {
            i = buildTable(i, 1);
        } else {
            buildParagraph(paragraphs[i]);
            ++i;
        }
    }
    addAnchor(document.length());
    insertNotes();
    m_cursor.endEditBlock();
    m_cursor = QTextCursor();
    m_formats.reset();
    m_source = nullptr;
    m_target = nullptr;
    m_map = nullptr;
    return target;
}

void RichTextBuilder::addAnchor(uint32_t numbering) {
    m_map->add(int32_t(std::min<uint32_t>(numbering, INT32_MAX)), m_cursor.position());
}

void RichTextBuilder::addMarkAnchors(const rtf::Paragraph& paragraph) {
    addAnchor(paragraph.end);
    // Both positions of a two-position mark land on the one widget position
    // that stands for it.
    if (paragraph.mark != rtf::MarkKind::None && paragraph.mark != rtf::MarkKind::Cell) {
        addAnchor(paragraph.end + 1);
    }
}

void RichTextBuilder::addPlacelessAnchors(const rtf::Paragraph& paragraph) {
    // On the last position written, so that the text written next keeps its
    // own position when it is hit.
    const int at = m_needBlock ? m_cursor.position() : std::max(0, m_cursor.position() - 1);
    const uint32_t last = paragraph.mark == rtf::MarkKind::None   ? paragraph.end
                          : paragraph.mark == rtf::MarkKind::Cell ? paragraph.end
                                                                  : paragraph.end + 1;
    for (uint32_t p = paragraph.begin; p <= std::min(last, paragraph.begin + 2u); ++p) {
        m_map->add(int32_t(std::min<uint32_t>(p, INT32_MAX)), at);
    }
}

void RichTextBuilder::buildParagraph(const rtf::Paragraph& paragraph) {
    if (paragraph.collapsed && paragraph.begin == paragraph.end) {
        addPlacelessAnchors(paragraph);
        return;
    }
    if (m_needBlock) {
        m_cursor.insertBlock(m_formats->blockFormat(paragraph.format));
        m_needBlock = false;
    } else if (!m_continuesLine) {
        m_cursor.setBlockFormat(m_formats->blockFormat(paragraph.format));
    }
    m_continuesLine = false;
    addAnchor(paragraph.begin);
    insertSegments(paragraph);
    if (!paragraph.segments.empty() || paragraph.begin < paragraph.end) {
        insertNoteMarks(paragraph.end, paragraph.segments.empty()
                                           ? rtf::CharFormat()
                                           : paragraph.segments.back().format);
    }
    addMarkAnchors(paragraph);
    switch (paragraph.mark) {
    case rtf::MarkKind::Line:
        m_cursor.insertText(QString(QChar(QChar::LineSeparator)));
        m_continuesLine = true;
        break;
    case rtf::MarkKind::Paragraph:
    case rtf::MarkKind::Page:
    case rtf::MarkKind::Row:
    case rtf::MarkKind::Cell:
        m_needBlock = true;
        break;
    case rtf::MarkKind::None:
        break;
    }
}

void RichTextBuilder::insertSegments(const rtf::Paragraph& paragraph) {
    const std::u16string& text = m_source->text;
    const uint32_t length = uint32_t(text.size());
    for (const rtf::Segment& segment : paragraph.segments) {
        const uint32_t end = std::min(segment.end, length);
        if (segment.begin >= end) {
            continue;
        }
        insertNoteMarks(segment.begin, segment.format);
        addAnchor(segment.begin);
        if (segment.picture >= 0) {
            insertPicture(segment);
            continue;
        }
        // Note marks cut the text where they stand.
        for (uint32_t begin = segment.begin; begin < end;) {
            uint32_t stop = end;
            if (m_nextNote < m_source->notes.size()) {
                stop = std::clamp(m_source->notes[m_nextNote].position, begin + 1, stop);
            }
            if (m_nextField < m_source->fields.size()) {
                stop = std::clamp(m_source->fields[m_nextField].position, begin + 1, stop);
            }
            if (m_nextShape < m_source->shapes.size()) {
                stop = std::clamp(m_source->shapes[m_nextShape].position, begin + 1, stop);
            }
            if (segment.format.underline == rtf::UnderlineStyle::Word) {
                insertWordsUnderlined(segmentText(text, begin, stop), segment.format);
            } else {
                m_cursor.insertText(segmentText(text, begin, stop, segment.format.concealed),
                                    m_formats->charFormat(segment.format));
            }
            begin = stop;
            if (begin < end) {
                insertNoteMarks(begin, segment.format);
                addAnchor(begin);
            }
        }
    }
}

QString RichTextBuilder::fieldText(const rtf::ComputedField& field) const {
    const QLocale french(QLocale::French, QLocale::France);
    const QString format = QString::fromStdString(field.format);
    switch (field.kind) {
    case rtf::ComputedField::Kind::Date:
        return format.isEmpty() ? french.toString(m_now.date(), QStringLiteral("dd/MM/yyyy"))
                                : french.toString(m_now.date(), format);
    case rtf::ComputedField::Kind::Time:
        return format.isEmpty() ? french.toString(m_now.time(), QStringLiteral("HH:mm"))
                                : french.toString(m_now.time(), format);
    case rtf::ComputedField::Kind::Title:
        return m_title;
    case rtf::ComputedField::Kind::Page:
    case rtf::ComputedField::Kind::PageCount:
        // A view has no pages.
        break;
    }
    return QString();
}

void RichTextBuilder::insertNoteMarks(uint32_t position, const rtf::CharFormat& format) {
    const auto& shapes = m_source->shapes;
    for (; m_nextShape < shapes.size() && shapes[m_nextShape].position <= position; ++m_nextShape) {
        // The picture of a drawing object has no position either.
        rtf::Segment picture;
        picture.begin = position;
        picture.end = position + 1;
        picture.format = format;
        picture.picture = shapes[m_nextShape].picture;
        addAnchor(position);
        insertPicture(picture);
        addAnchor(position);
    }
    const auto& fields = m_source->fields;
    for (; m_nextField < fields.size() && fields[m_nextField].position <= position; ++m_nextField) {
        const QString text = fieldText(fields[m_nextField]);
        if (!text.isEmpty()) {
            // What the field computes has no position either.
            addAnchor(position);
            m_cursor.insertText(text, m_formats->charFormat(format));
            addAnchor(position);
        }
    }
    const auto& notes = m_source->notes;
    for (; m_nextNote < notes.size() && notes[m_nextNote].position <= position; ++m_nextNote) {
        const rtf::Note& note = notes[m_nextNote];
        if (note.mark.empty()) {
            continue;
        }
        // The mark has no position: the character after it keeps its own.
        addAnchor(position);
        QTextCharFormat mark = m_formats->charFormat(format);
        mark.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
        mark.setProperty(kNoteProperty, int(m_nextNote) + 1);
        m_cursor.insertText(QString::fromStdU16String(note.mark), mark);
        addAnchor(position);
    }
}

void RichTextBuilder::insertNotes() {
    const auto& notes = m_source->notes;
    if (notes.empty()) {
        return;
    }
    // After the text, under a rule: each note, footnotes first.
    QTextBlockFormat rule;
    rule.setTopMargin(pixels(240));
    rule.setProperty(kBorderSidesProperty, int(rtf::kBorderTop));
    bool first = true;
    for (const bool endnotes : {false, true}) {
        for (const rtf::Note& note : notes) {
            if (note.endnote != endnotes) {
                continue;
            }
            QTextBlockFormat block = first ? rule : QTextBlockFormat();
            first = false;
            m_cursor.insertBlock(block, QTextCharFormat());
            QString text = QString::fromStdU16String(note.text).trimmed();
            text.replace(QLatin1Char('\n'), QChar(QChar::LineSeparator));
            m_cursor.insertText(text);
        }
    }
}

void RichTextBuilder::insertWordsUnderlined(const QString& text, const rtf::CharFormat& format) {
    rtf::CharFormat plain = format;
    plain.underline = rtf::UnderlineStyle::None;
    const QTextCharFormat& words = m_formats->charFormat(format);
    const QTextCharFormat& spaces = m_formats->charFormat(plain);
    int begin = 0;
    const int size = int(text.size());
    while (begin < size) {
        const bool space = text.at(begin).isSpace();
        int end = begin + 1;
        while (end < size && text.at(end).isSpace() == space) {
            ++end;
        }
        m_cursor.insertText(text.mid(begin, end - begin), space ? spaces : words);
        begin = end;
    }
}

QString RichTextBuilder::placeholderResource(int width, int height) {
    const QString name = QStringLiteral("tolvane-box:%1x%2").arg(width).arg(height);
    if (m_resources.contains(name)) {
        return name;
    }
    // Past the budget, boxes are drawn small and stretched to their size.
    int boxWidth = width;
    int boxHeight = height;
    if (m_placeholderPixels + qint64(width) * height > kPlaceholderPixelBudget) {
        boxWidth = std::min(width, kDefaultPicturePixels);
        boxHeight = std::min(height, kDefaultPicturePixels);
    }
    m_placeholderPixels += qint64(boxWidth) * boxHeight;
    QImage image(boxWidth, boxHeight, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setPen(QColor(128, 128, 128));
    painter.drawRect(0, 0, boxWidth - 1, boxHeight - 1);
    painter.end();
    m_target->addResource(QTextDocument::ImageResource, QUrl(name), QVariant(image));
    m_resources.insert(name);
    return name;
}

QString RichTextBuilder::pictureResource(size_t index, const rtf::Picture& picture) {
    if (picture.kind == rtf::Picture::Kind::Placeholder) {
        return QString();
    }
    const QString name = QStringLiteral("tolvane-picture:%1").arg(index);
    if (m_resources.contains(name)) {
        return name;
    }
    if (m_failedPictures.count(index)) {
        return QString();
    }
    QByteArray data = QByteArray::fromRawData(picture.data.data(), qsizetype(picture.data.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    const char* format = picture.kind == rtf::Picture::Kind::Png    ? "PNG"
                         : picture.kind == rtf::Picture::Kind::Jpeg ? "JPEG"
                                                                    : "BMP";
    QImageReader reader(&buffer, format);
    // A picture is never decoded larger than it can be shown.
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > kMaxPicturePixels || size.height() > kMaxPicturePixels)) {
        reader.setScaledSize(
            size.scaled(kMaxPicturePixels, kMaxPicturePixels, Qt::KeepAspectRatio));
    }
    const QImage image = reader.read();
    if (image.isNull()) {
        m_failedPictures.insert(index);
        return QString();
    }
    m_target->addResource(QTextDocument::ImageResource, QUrl(name), QVariant(image));
    m_resources.insert(name);
    return name;
}

void RichTextBuilder::insertPicture(const rtf::Segment& segment) {
    const auto index = size_t(segment.picture);
    if (index >= m_source->pictures.size()) {
        m_cursor.insertText(QStringLiteral(" "), m_formats->charFormat(segment.format));
        return;
    }
    const rtf::Picture& picture = m_source->pictures[index];
    int width = int(std::clamp(pixels(picture.widthTwips), 0.0, qreal(kMaxPicturePixels)));
    int height = int(std::clamp(pixels(picture.heightTwips), 0.0, qreal(kMaxPicturePixels)));
    QString name = pictureResource(index, picture);
    if (name.isEmpty()) {
        // A framed box of the declared size stands for pictures that cannot
        // be shown.
        width = std::clamp(width > 0 ? width : kDefaultPicturePixels, 2, kMaxPlaceholderPixels);
        height = std::clamp(height > 0 ? height : kDefaultPicturePixels, 2, kMaxPlaceholderPixels);
        name = placeholderResource(width, height);
    }
    QTextImageFormat format;
    format.merge(m_formats->charFormat(segment.format));
    format.setName(name);
    if (width > 0) {
        format.setWidth(width);
    }
    if (height > 0) {
        format.setHeight(height);
    }
    m_cursor.insertImage(format);
}

int32_t RichTextBuilder::rowDepth(int32_t row) const {
    if (row < 0 || size_t(row) >= m_source->rows.size()) {
        return 1;
    }
    return std::clamp(m_source->rows[size_t(row)].depth, 1, kMaxTableDepth);
}

int32_t RichTextBuilder::ancestorRow(int32_t row, int32_t depth) const {
    // Parents are of lower depth; a model that says otherwise stops the walk.
    for (int steps = 0; steps < kMaxTableDepth && rowDepth(row) > depth; ++steps) {
        const int32_t parent = m_source->rows[size_t(row)].parent;
        if (parent < 0 || size_t(parent) >= m_source->rows.size() ||
            rowDepth(parent) >= rowDepth(row)) {
            return row;
        }
        row = parent;
    }
    return row;
}

// The place of a table in the text: one row of the model for each row shown,
// each cell of a model row at a range of columns of one grid shared by all
// rows (the union of their cell edges), merged cells covered by the first.
struct RichTextBuilder::TableLayout {
    struct Place {
        int row = 0;
        int column = 0;
        int rowSpan = 1;
        int columnSpan = 1;
        int32_t cell = -1; // the model cell whose format the grid cell takes
    };
    std::vector<int32_t> modelRows;       // per table row
    std::vector<std::vector<int>> places; // per table row, per model cell: index into cells
    std::vector<Place> cells;             // grid cells, first cells of merges
    std::vector<qreal> boundaries;        // the grid's edges in twips, when it has one
    int columns = 1;
};

RichTextBuilder::TableLayout
RichTextBuilder::layoutTable(const std::vector<int32_t>& modelRows,
                             const std::vector<int>& usedCells,
                             const std::set<std::pair<int, int>>& cellsWithText) {
    TableLayout layout;
    layout.modelRows = modelRows;
    const auto& rows = m_source->rows;
    auto model = [&rows](int32_t row) -> const rtf::TableRow* {
        return row >= 0 && size_t(row) < rows.size() ? &rows[size_t(row)] : nullptr;
    };

    // Each row's edges, left to right, made to grow: a cell edge left of the
    // one before it (or of the row's left) gives a narrow cell.
    std::vector<std::vector<int64_t>> edges(modelRows.size());
    std::vector<int64_t> all;
    for (size_t r = 0; r < modelRows.size(); ++r) {
        const rtf::TableRow* row = model(modelRows[r]);
        if (!row || row->cells.empty()) {
            continue;
        }
        int64_t previous = std::clamp<int64_t>(row->leftTwips, -kMaxTableTwips, kMaxTableTwips);
        edges[r].push_back(previous);
        for (const rtf::TableCell& cell : row->cells) {
            const int64_t edge = std::max<int64_t>(
                std::clamp<int64_t>(cell.rightEdgeTwips, -kMaxTableTwips, kMaxTableTwips),
                previous + kMinCellTwips);
            edges[r].push_back(edge);
            previous = edge;
        }
        all.insert(all.end(), edges[r].begin(), edges[r].end());
    }
    std::sort(all.begin(), all.end());
    std::vector<int64_t> grid;
    for (int64_t edge : all) {
        if (grid.empty() || edge > grid.back() + kSnapTwips) {
            grid.push_back(edge);
        }
    }
    const bool gridded = grid.size() >= 2 && grid.size() <= size_t(kMaxTableColumns) + 1;
    const auto column = [&grid](int64_t edge) {
        const auto it = std::lower_bound(grid.begin(), grid.end(), edge - kSnapTwips);
        return int(std::min<ptrdiff_t>(it - grid.begin(), ptrdiff_t(grid.size()) - 1));
    };
    if (gridded) {
        layout.columns = int(grid.size()) - 1;
        for (int64_t edge : grid) {
            layout.boundaries.push_back(qreal(edge));
        }
    }

    // Cells to columns; cells beyond a row's definition go on to the right.
    std::vector<std::vector<std::pair<int, int>>> spans(modelRows.size());
    int columns = layout.columns;
    for (size_t r = 0; r < modelRows.size(); ++r) {
        const rtf::TableRow* row = model(modelRows[r]);
        const int defined = row ? int(std::min<size_t>(row->cells.size(), kMaxTableColumns)) : 0;
        const int used = std::clamp(usedCells[r], 1, kMaxTableColumns);
        const int count = std::max(defined, used);
        int next = 0;
        for (int c = 0; c < count; ++c) {
            int first = next;
            int last = next + 1;
            if (gridded && !edges[r].empty() && size_t(c) + 1 < edges[r].size()) {
                first = column(edges[r][size_t(c)]);
                last = std::max(column(edges[r][size_t(c) + 1]), first + 1);
            } else if (!gridded) {
                first = c;
                last = c + 1;
            }
            first = std::min(first, kMaxTableColumns - 1);
            last = std::clamp(last, first + 1, kMaxTableColumns);
            spans[r].emplace_back(first, last);
            next = last;
            columns = std::max(columns, last);
        }
    }
    layout.columns = std::max(1, columns);

    // Merges: a cell merged with the one to its left widens it; one merged
    // with the one above lengthens the first cell of that column.
    std::vector<std::vector<int>> owner(modelRows.size(), std::vector<int>(layout.columns, -1));
    layout.places.resize(modelRows.size());
    for (size_t r = 0; r < modelRows.size(); ++r) {
        const rtf::TableRow* row = model(modelRows[r]);
        for (size_t c = 0; c < spans[r].size(); ++c) {
            const auto [first, last] = spans[r][c];
            const rtf::TableCell* cell =
                row && c < row->cells.size() && c < size_t(kMaxTableColumns) ? &row->cells[c]
                                                                             : nullptr;
            int index = -1;
            if (cell && cell->horizontal == rtf::CellMerge::Merged && c > 0) {
                index = layout.places[r][c - 1];
                TableLayout::Place& place = layout.cells[size_t(index)];
                if (place.row == int(r)) {
                    place.columnSpan = std::max(place.columnSpan, last - place.column);
                }
            } else if (cell && cell->vertical == rtf::CellMerge::Merged && r > 0 &&
                       owner[r - 1][size_t(first)] >= 0 && !cellsWithText.count({int(r), int(c)})) {
                // Only a cell of the same columns, and with no text: the text
                // of a row is laid down after that of the rows above it.
                const int above = owner[r - 1][size_t(first)];
                TableLayout::Place& place = layout.cells[size_t(above)];
                if (place.column == first && place.columnSpan == last - first) {
                    index = above;
                    place.rowSpan = int(r) - place.row + 1;
                }
            }
            if (index < 0) {
                index = int(layout.cells.size());
                layout.cells.push_back(
                    TableLayout::Place{int(r), first, 1, last - first, cell ? int32_t(c) : -1});
            }
            layout.places[r].push_back(index);
            for (int k = first; k < last; ++k) {
                owner[r][size_t(k)] = index;
            }
        }
    }
    return layout;
}

void RichTextBuilder::formatTable(QTextTable* table, const TableLayout& layout) {
    const auto& rows = m_source->rows;
    const auto& colors = m_source->colors;
    for (const TableLayout::Place& place : layout.cells) {
        if (place.rowSpan > 1 || place.columnSpan > 1) {
            table->mergeCells(place.row, place.column, place.rowSpan, place.columnSpan);
        }
        const int32_t modelRow = layout.modelRows[size_t(place.row)];
        if (place.cell < 0 || modelRow < 0 || size_t(modelRow) >= rows.size() ||
            size_t(place.cell) >= rows[size_t(modelRow)].cells.size()) {
            continue;
        }
        const rtf::TableCell& cell = rows[size_t(modelRow)].cells[size_t(place.cell)];
        const bool shaded = cell.shading >= 0 && size_t(cell.shading) < colors.size();
        if (!cell.borderLeft && !cell.borderTop && !cell.borderRight && !cell.borderBottom &&
            !shaded) {
            continue;
        }
        QTextTableCellFormat format;
        format.setLeftBorder(cell.borderLeft ? 1 : 0);
        format.setTopBorder(cell.borderTop ? 1 : 0);
        format.setRightBorder(cell.borderRight ? 1 : 0);
        format.setBottomBorder(cell.borderBottom ? 1 : 0);
        format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        format.setBorderBrush(QColor(0, 0, 0));
        if (shaded) {
            const rtf::Color& c = colors[size_t(cell.shading)];
            format.setBackground(QColor(c.red, c.green, c.blue));
        }
        table->cellAt(place.row, place.column).setFormat(format);
    }
}

size_t RichTextBuilder::buildTable(size_t first, int32_t depth) {
    const auto& paragraphs = m_source->paragraphs;
    // The table's paragraphs: those at its level or deeper, in the same
    // outer cell; its rows: the rows of its level they belong to.
    const auto ownRow = [this, depth](const rtf::Paragraph& p) {
        return ancestorRow(p.tableRow, depth);
    };
    const auto outer = [this](int32_t row) {
        if (row < 0 || size_t(row) >= m_source->rows.size() || rowDepth(row) <= 1) {
            return std::pair<int32_t, int32_t>(-1, -1);
        }
        const rtf::TableRow& r = m_source->rows[size_t(row)];
        return std::pair<int32_t, int32_t>(r.parent, r.parentCell);
    };
    const auto place = outer(ownRow(paragraphs[first]));
    std::vector<int32_t> modelRows;
    std::vector<int> usedCells;
    std::vector<int> rowOf;  // per paragraph from first: its table row
    std::vector<int> cellOf; // per paragraph from first: the model cell holding it
    std::set<std::pair<int, int>> cellsWithText;
    int cellMarks = 0; // cell marks of this level in the current row
    size_t last = first;
    for (int32_t previous = INT32_MIN; last < paragraphs.size(); ++last) {
        const rtf::Paragraph& p = paragraphs[last];
        if (depth > 1 && p.collapsed && p.begin == p.end && p.tableRow == place.first &&
            !rowOf.empty()) {
            // What stands for a nested row where nested tables are not
            // read: it takes no room, the table goes on.
            rowOf.push_back(rowOf.back());
            cellOf.push_back(cellOf.back());
            continue;
        }
        if (p.tableRow < 0 || rowDepth(p.tableRow) < depth) {
            break;
        }
        const int32_t row = ownRow(p);
        if (depth > 1 && outer(row) != place) {
            break;
        }
        if (row != previous || (last > first && paragraphs[last - 1].mark == rtf::MarkKind::Row &&
                                rowDepth(paragraphs[last - 1].tableRow) == depth)) {
            modelRows.push_back(row);
            usedCells.push_back(1);
            previous = row;
            cellMarks = 0;
        }
        int cell = 0;
        if (rowDepth(p.tableRow) == depth) {
            // A row mark's text is that of the cell after the last cell mark.
            cell = p.cell >= 0 ? p.cell : cellMarks;
            if (p.mark == rtf::MarkKind::Cell) {
                ++cellMarks;
            }
        } else {
            const int32_t child = ancestorRow(p.tableRow, depth + 1);
            cell = child >= 0 && size_t(child) < m_source->rows.size()
                       ? m_source->rows[size_t(child)].parentCell
                       : 0;
        }
        cell = std::clamp(cell, 0, kMaxTableColumns - 1);
        // An empty cell past the row's definition (LibreOffice ends its rows
        // with one) adds no column.
        const size_t defined = row >= 0 && size_t(row) < m_source->rows.size()
                                   ? m_source->rows[size_t(row)].cells.size()
                                   : 0;
        if (p.begin < p.end || rowDepth(p.tableRow) > depth ||
            (p.mark != rtf::MarkKind::Row && (size_t(cell) < defined || defined == 0))) {
            usedCells.back() = std::max(usedCells.back(), cell + 1);
        }
        if (p.begin < p.end || rowDepth(p.tableRow) > depth) {
            cellsWithText.insert({int(modelRows.size()) - 1, cell});
        }
        rowOf.push_back(int(modelRows.size()) - 1);
        cellOf.push_back(cell);
    }
    // Paragraphs that stand for nested rows after the table's last one
    // belong to the cell that holds it.
    while (last > first + 1 && paragraphs[last - 1].collapsed &&
           rowDepth(paragraphs[last - 1].tableRow) < depth) {
        --last;
        rowOf.pop_back();
        cellOf.pop_back();
    }
    TableLayout layout = layoutTable(modelRows, usedCells, cellsWithText);
    const int rowCount = int(modelRows.size());
    // Rows that declare many cells but fill few must not make a table of
    // empty cells far larger than its text.
    const qint64 cellBudget = kCellsPerParagraph * qint64(last - first) + kMaxTableColumns;
    if (qint64(rowCount) * layout.columns > cellBudget) {
        layout.columns = int(std::max<qint64>(1, cellBudget / rowCount));
        layout.boundaries.clear();
        for (auto& cell : layout.cells) {
            cell.column = std::min(cell.column, layout.columns - 1);
            cell.columnSpan = std::clamp(cell.columnSpan, 1, layout.columns - cell.column);
            cell.rowSpan = 1;
        }
    }

    const rtf::TableRow* model = nullptr;
    if (!modelRows.empty() && modelRows[0] >= 0 && size_t(modelRows[0]) < m_source->rows.size()) {
        model = &m_source->rows[size_t(modelRows[0])];
    }
    QTextTableFormat tableFormat;
    tableFormat.setCellSpacing(0);
    tableFormat.setBorder(0);
    tableFormat.setBorderCollapse(true);
    tableFormat.setAlignment(Qt::AlignLeft);
    if (model) {
        tableFormat.setCellPadding(std::clamp(pixels(model->gapTwips), 0.0, 50.0));
        if (model->leftTwips > 0) {
            tableFormat.setLeftMargin(std::min(pixels(model->leftTwips), 2000.0));
        }
    }
    if (size_t(layout.columns) + 1 == layout.boundaries.size()) {
        // Columns that reach past any paper share what the view has left.
        QList<QTextLength> widths;
        bool fitted = false;
        for (int c = 0; c < layout.columns; ++c) {
            const qreal right = layout.boundaries[size_t(c) + 1];
            if (right > kMaxSaneTableTwips) {
                widths.append(QTextLength());
                fitted = true;
            } else {
                const qreal width = pixels(int32_t(right - layout.boundaries[size_t(c)]));
                widths.append(
                    QTextLength(QTextLength::FixedLength, std::clamp(width, 1.0, 4000.0)));
            }
        }
        tableFormat.setColumnWidthConstraints(widths);
        if (fitted) {
            tableFormat.setWidth(QTextLength(QTextLength::PercentageLength, 100));
        }
    }

    m_continuesLine = false;
    QTextTable* table = m_cursor.insertTable(std::max(rowCount, 1), layout.columns, tableFormat);
    formatTable(table, layout);
    int currentCell = -1;
    for (size_t i = first; i < last;) {
        const rtf::Paragraph& p = paragraphs[i];
        const int row = rowOf[i - first];
        const bool deeper = rowDepth(p.tableRow) > depth;
        const int modelCell = cellOf[i - first];
        if (!deeper && p.mark == rtf::MarkKind::Row && p.begin == p.end && currentCell >= 0) {
            // The row mark closes the last cell: nothing of its own to show.
            addAnchor(p.begin);
            addMarkAnchors(p);
            ++i;
            continue;
        }
        const auto& places = layout.places[size_t(row)];
        int wanted = currentCell;
        if (size_t(modelCell) < places.size()) {
            wanted = places[size_t(modelCell)];
        } else if (!places.empty()) {
            wanted = places.back();
        }
        if (wanted < 0 || size_t(wanted) >= layout.cells.size()) {
            wanted = 0;
        }
        const TableLayout::Place& target = layout.cells[size_t(wanted)];
        if (!deeper && (target.row < row || (target.cell != modelCell && p.begin == p.end))) {
            // A cell covered by a merged one, with no text: no line of its
            // own.
            addPlacelessAnchors(p);
            ++i;
            continue;
        }
        if (wanted != currentCell) {
            currentCell = wanted;
            const TableLayout::Place& target = layout.cells[size_t(wanted)];
            const QTextTableCell cell =
                table->cellAt(std::min(target.row, table->rows() - 1),
                              std::min(target.column, table->columns() - 1));
            // A cell already holding text (merged cells) goes on after it.
            m_cursor.setPosition(cell.lastPosition());
            m_needBlock = cell.lastPosition() > cell.firstPosition();
            m_continuesLine = false;
        }
        if (deeper) {
            if (m_needBlock) {
                m_cursor.insertBlock();
                m_needBlock = false;
            }
            i = buildTable(i, depth + 1);
            continue;
        }
        buildParagraph(p);
        ++i;
    }
    m_cursor.setPosition(table->lastPosition() + 1);
    m_needBlock = false;
    m_continuesLine = false;
    return last;
}

} // namespace tolvane
