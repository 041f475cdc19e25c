#include "ui/view/RichTextBuilder.h"

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QImageReader>
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
constexpr qint64 kPlaceholderPixelBudget = 16 * 1024 * 1024;
// Cells a table may have per paragraph it holds, beyond a small table.
constexpr qint64 kCellsPerParagraph = 8;

// Characters QTextCursor::insertText would turn into blocks or frames; they
// become spaces so that every position of a segment stays one position.
QString segmentText(const std::u16string& text, uint32_t begin, uint32_t end) {
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
    m_source = &document;
    m_target = target.get();
    m_map = &map;
    m_map->clear();
    m_resources.clear();
    m_failedPictures.clear();
    m_placeholderPixels = 0;
    m_needBlock = false;
    m_continuesLine = false;
    m_formats = std::make_unique<RichTextFormats>(document, m_dpi, m_zoom, m_readableOn);

    m_cursor = QTextCursor(m_target);
    m_cursor.beginEditBlock();
    const auto& paragraphs = document.paragraphs;
    size_t i = 0;
    while (i < paragraphs.size()) {
        if (paragraphs[i].tableRow >= 0) {
            i = buildTable(i);
        } else {
            buildParagraph(paragraphs[i]);
            ++i;
        }
    }
    addAnchor(document.length());
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

void RichTextBuilder::buildParagraph(const rtf::Paragraph& paragraph) {
    if (m_needBlock) {
        m_cursor.insertBlock(m_formats->blockFormat(paragraph.format));
        m_needBlock = false;
    } else if (!m_continuesLine) {
        m_cursor.setBlockFormat(m_formats->blockFormat(paragraph.format));
    }
    m_continuesLine = false;
    addAnchor(paragraph.begin);
    insertSegments(paragraph);
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
        addAnchor(segment.begin);
        if (segment.picture >= 0) {
            insertPicture(segment);
        } else {
            m_cursor.insertText(segmentText(text, segment.begin, end),
                                m_formats->charFormat(segment.format));
        }
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

size_t RichTextBuilder::buildTable(size_t first) {
    const auto& paragraphs = m_source->paragraphs;
    size_t last = first;
    int rowCount = 0;
    int columns = 1;
    for (int32_t previous = -1; last < paragraphs.size() && paragraphs[last].tableRow >= 0;
         ++last) {
        const rtf::Paragraph& p = paragraphs[last];
        if (p.tableRow != previous ||
            (last > first && paragraphs[last - 1].mark == rtf::MarkKind::Row)) {
            ++rowCount;
        }
        previous = p.tableRow;
        if (size_t(p.tableRow) < m_source->rows.size()) {
            const size_t declared = m_source->rows[size_t(p.tableRow)].cells.size();
            columns = std::max(columns, int(std::min<size_t>(declared, kMaxTableColumns)));
        }
        columns = std::max(columns, std::clamp(p.cell, 0, kMaxTableColumns - 1) + 1);
    }
    // Rows that declare many cells but fill few must not make a table of
    // empty cells far larger than its text.
    const qint64 cellBudget = kCellsPerParagraph * qint64(last - first) + kMaxTableColumns;
    if (qint64(rowCount) * columns > cellBudget) {
        columns = int(std::max<qint64>(1, cellBudget / rowCount));
    }

    // Column widths and the table's place come from the widest row.
    const rtf::TableRow* model = nullptr;
    for (size_t i = first; i < last; ++i) {
        const auto row = size_t(paragraphs[i].tableRow);
        if (row < m_source->rows.size() &&
            (!model || m_source->rows[row].cells.size() > model->cells.size())) {
            model = &m_source->rows[row];
        }
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
        QList<QTextLength> widths;
        int32_t left = model->leftTwips;
        for (int c = 0; c < columns; ++c) {
            qreal width = 0;
            if (size_t(c) < model->cells.size()) {
                width = pixels(model->cells[size_t(c)].rightEdgeTwips - left);
                left = model->cells[size_t(c)].rightEdgeTwips;
            }
            widths.append(width > 0 ? QTextLength(QTextLength::FixedLength, std::min(width, 4000.0))
                                    : QTextLength());
        }
        tableFormat.setColumnWidthConstraints(widths);
    }

    m_continuesLine = false;
    QTextTable* table = m_cursor.insertTable(rowCount, columns, tableFormat);
    int row = -1;
    int cell = -1;
    int32_t previous = -1;
    for (size_t i = first; i < last; ++i) {
        const rtf::Paragraph& p = paragraphs[i];
        const bool afterCell = i > first && paragraphs[i - 1].mark == rtf::MarkKind::Cell;
        if (p.tableRow != previous || (i > first && paragraphs[i - 1].mark == rtf::MarkKind::Row)) {
            ++row;
            cell = -1;
            previous = p.tableRow;
        }
        if (p.mark == rtf::MarkKind::Row && p.begin == p.end && cell >= 0) {
            // The row mark closes the last cell: nothing of its own to show.
            addAnchor(p.begin);
            addMarkAnchors(p);
            continue;
        }
        // Cells are filled in order; a paragraph that names an earlier cell
        // (or none) goes on in the current one or the one after a cell mark.
        int wanted = cell;
        if (cell < 0) {
            wanted = std::clamp(p.cell, 0, columns - 1);
        } else if (p.cell > cell) {
            wanted = std::min(p.cell, columns - 1);
        } else if (afterCell) {
            wanted = std::min(cell + 1, columns - 1);
        }
        if (wanted != cell) {
            cell = wanted;
            m_cursor.setPosition(table->cellAt(row, cell).firstPosition());
            m_needBlock = false;
            m_continuesLine = false;
            applyCellBorders(table, row, cell, p.tableRow);
        }
        buildParagraph(p);
    }
    m_cursor.setPosition(table->lastPosition() + 1);
    m_needBlock = false;
    m_continuesLine = false;
    return last;
}

void RichTextBuilder::applyCellBorders(QTextTable* table, int row, int column, int32_t modelRow) {
    if (modelRow < 0 || size_t(modelRow) >= m_source->rows.size()) {
        return;
    }
    const auto& cells = m_source->rows[size_t(modelRow)].cells;
    if (size_t(column) >= cells.size()) {
        return;
    }
    const rtf::TableCell& borders = cells[size_t(column)];
    if (!borders.borderLeft && !borders.borderTop && !borders.borderRight &&
        !borders.borderBottom) {
        return;
    }
    QTextTableCellFormat format;
    format.setLeftBorder(borders.borderLeft ? 1 : 0);
    format.setTopBorder(borders.borderTop ? 1 : 0);
    format.setRightBorder(borders.borderRight ? 1 : 0);
    format.setBottomBorder(borders.borderBottom ? 1 : 0);
    format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    format.setBorderBrush(QColor(0, 0, 0));
    table->cellAt(row, column).setFormat(format);
}

} // namespace tolvane
