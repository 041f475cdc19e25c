#include "display/RichTextBuilder.h"

#include <QBuffer>
#include <QColor>
#include <QFont>
#include <QFontDatabase>
#include <QHash>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QTextDocument>
#include <QTextTable>
#include <QUrl>

#include <algorithm>

namespace tolvane {

namespace {

constexpr qreal kTwipsPerInch = 1440.0;
// Bounds that keep absurd declared sizes from costing memory or layout time.
constexpr int kMaxPicturePixels = 4096;
constexpr int kMaxPlaceholderPixels = 2048;
constexpr int kDefaultPicturePixels = 32;
constexpr qreal kMaxPointSize = 1000.0;
constexpr int kMaxTableColumns = 64;
constexpr qint64 kPlaceholderPixelBudget = 16 * 1024 * 1024;
// Cells a table may have per paragraph it holds, beyond a small table.
constexpr qint64 kCellsPerParagraph = 8;

// Metric-compatible faces of the common Windows fonts, as fontconfig
// aliases them; used when the named face itself is not installed.
const char* const kMetricAliases[][2] = {
    {"arial", "Liberation Sans"},
    {"helvetica", "Liberation Sans"},
    {"arial narrow", "Liberation Sans Narrow"},
    {"times new roman", "Liberation Serif"},
    {"times", "Liberation Serif"},
    {"courier new", "Liberation Mono"},
    {"courier", "Liberation Mono"},
};

QString installedFamily(const QString& name) {
    static QHash<QString, QString> cache;
    const QString key = name.toLower();
    auto found = cache.constFind(key);
    if (found != cache.constEnd()) {
        return *found;
    }
    QString family;
    if (!name.isEmpty() && QFontDatabase::hasFamily(name)) {
        family = name;
    } else {
        for (const auto& alias : kMetricAliases) {
            if (key == QLatin1String(alias[0]) &&
                QFontDatabase::hasFamily(QLatin1String(alias[1]))) {
                family = QLatin1String(alias[1]);
                break;
            }
        }
    }
    cache.insert(key, family);
    return family;
}

QString genericFamily(rtf::FontFamily family, QFont::StyleHint* hint) {
    switch (family) {
    case rtf::FontFamily::Roman:
        *hint = QFont::Serif;
        return QStringLiteral("serif");
    case rtf::FontFamily::Swiss:
        *hint = QFont::SansSerif;
        return QStringLiteral("sans-serif");
    case rtf::FontFamily::Modern:
        *hint = QFont::Monospace;
        return QStringLiteral("monospace");
    case rtf::FontFamily::Script:
        *hint = QFont::Cursive;
        return QStringLiteral("cursive");
    case rtf::FontFamily::Decor:
        *hint = QFont::Fantasy;
        return QStringLiteral("fantasy");
    default:
        *hint = QFont::AnyStyle;
        return QString();
    }
}

QColor toQColor(const rtf::Color& color) {
    return QColor(color.red, color.green, color.blue);
}

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

bool sameParaFormat(const rtf::ParaFormat& a, const rtf::ParaFormat& b) {
    if (a.alignment != b.alignment || a.leftIndentTwips != b.leftIndentTwips ||
        a.rightIndentTwips != b.rightIndentTwips || a.firstIndentTwips != b.firstIndentTwips ||
        a.spaceBeforeTwips != b.spaceBeforeTwips || a.spaceAfterTwips != b.spaceAfterTwips ||
        a.lineSpacingTwips != b.lineSpacingTwips ||
        a.lineSpacingMultiple != b.lineSpacingMultiple || a.tabs.size() != b.tabs.size()) {
        return false;
    }
    for (size_t i = 0; i < a.tabs.size(); ++i) {
        if (a.tabs[i].positionTwips != b.tabs[i].positionTwips ||
            a.tabs[i].alignment != b.tabs[i].alignment) {
            return false;
        }
    }
    return true;
}

} // namespace

size_t RichTextBuilder::FormatHash::operator()(const rtf::CharFormat& f) const {
    size_t h = size_t(uint32_t(f.font)) * 1000003u;
    h ^= size_t(uint32_t(f.sizeHalfPoints)) * 7919u;
    h ^= size_t(uint32_t(f.foreground)) << 8;
    h ^= size_t(uint32_t(f.background)) << 16;
    h ^= size_t(uint32_t(f.offsetHalfPoints)) * 31u;
    h ^= (size_t(f.vertical) << 1) ^ (size_t(f.underline) << 3) ^ (size_t(f.bold) << 7) ^
         (size_t(f.italic) << 9) ^ (size_t(f.strike) << 11);
    return h;
}

RichTextBuilder::RichTextBuilder(qreal dpi) : m_dpi(dpi > 0 ? dpi : 96.0) {}

qreal RichTextBuilder::pixels(int32_t twips) const {
    return qreal(twips) * m_dpi / kTwipsPerInch;
}

std::unique_ptr<QTextDocument> RichTextBuilder::build(const rtf::RichDocument& document,
                                                      PositionMap& map) {
    auto target = std::make_unique<QTextDocument>();
    target->setUndoRedoEnabled(false);
    m_source = &document;
    m_target = target.get();
    m_map = &map;
    m_map->clear();
    m_charFormats.clear();
    m_resources.clear();
    m_failedPictures.clear();
    m_placeholderPixels = 0;
    m_needBlock = false;
    m_continuesLine = false;
    m_hasLastBlock = false;
    resolveFonts();

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
        m_cursor.insertBlock(blockFormat(paragraph.format));
        m_needBlock = false;
    } else if (!m_continuesLine) {
        m_cursor.setBlockFormat(blockFormat(paragraph.format));
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
            m_cursor.insertText(segmentText(text, segment.begin, end), charFormat(segment.format));
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
        m_cursor.insertText(QStringLiteral(" "), charFormat(segment.format));
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
    format.merge(charFormat(segment.format));
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
            columns = std::max(columns, int(m_source->rows[size_t(p.tableRow)].cells.size()));
        }
        columns = std::max(columns, p.cell + 1);
    }
    columns = std::min(columns, kMaxTableColumns);
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

QTextBlockFormat RichTextBuilder::blockFormat(const rtf::ParaFormat& format) {
    // Neighbouring paragraphs mostly share their format.
    if (m_hasLastBlock && sameParaFormat(format, m_lastParaFormat)) {
        return m_lastBlockFormat;
    }
    auto clampPixels = [this](int32_t twips) {
        return std::clamp(pixels(twips), -10000.0, 10000.0);
    };
    QTextBlockFormat block;
    switch (format.alignment) {
    case rtf::Alignment::Left:
        block.setAlignment(Qt::AlignLeft | Qt::AlignAbsolute);
        break;
    case rtf::Alignment::Center:
        block.setAlignment(Qt::AlignHCenter);
        break;
    case rtf::Alignment::Right:
        block.setAlignment(Qt::AlignRight | Qt::AlignAbsolute);
        break;
    case rtf::Alignment::Justify:
        block.setAlignment(Qt::AlignJustify);
        break;
    }
    block.setLeftMargin(std::max(0.0, clampPixels(format.leftIndentTwips)));
    block.setRightMargin(std::max(0.0, clampPixels(format.rightIndentTwips)));
    block.setTextIndent(clampPixels(format.firstIndentTwips));
    block.setTopMargin(std::max(0.0, clampPixels(format.spaceBeforeTwips)));
    block.setBottomMargin(std::max(0.0, clampPixels(format.spaceAfterTwips)));
    const int32_t spacing = format.lineSpacingTwips;
    if (spacing != 0 && spacing != INT32_MIN) {
        if (format.lineSpacingMultiple) {
            // 240 stands for one line.
            block.setLineHeight(std::clamp(qreal(std::abs(spacing)) * 100.0 / 240.0, 10.0, 1000.0),
                                QTextBlockFormat::ProportionalHeight);
        } else if (spacing > 0) {
            block.setLineHeight(std::min(pixels(spacing), 2000.0), QTextBlockFormat::MinimumHeight);
        } else {
            block.setLineHeight(std::min(pixels(-spacing), 2000.0), QTextBlockFormat::FixedHeight);
        }
    }
    if (!format.tabs.empty()) {
        QList<QTextOption::Tab> tabs;
        tabs.reserve(qsizetype(format.tabs.size()));
        for (const rtf::TabStop& stop : format.tabs) {
            QTextOption::Tab tab;
            tab.position = std::clamp(pixels(stop.positionTwips), 0.0, 20000.0);
            switch (stop.alignment) {
            case rtf::TabAlignment::Left:
                tab.type = QTextOption::LeftTab;
                break;
            case rtf::TabAlignment::Center:
                tab.type = QTextOption::CenterTab;
                break;
            case rtf::TabAlignment::Right:
                tab.type = QTextOption::RightTab;
                break;
            case rtf::TabAlignment::Decimal:
                tab.type = QTextOption::DelimiterTab;
                tab.delimiter = QLatin1Char(',');
                break;
            }
            tabs.append(tab);
        }
        // Stops are looked for in order of position, whatever order the
        // article gave them in.
        std::stable_sort(tabs.begin(), tabs.end(),
                         [](const QTextOption::Tab& a, const QTextOption::Tab& b) {
                             return a.position < b.position;
                         });
        block.setTabPositions(tabs);
    }
    m_lastParaFormat = format;
    m_lastBlockFormat = block;
    m_hasLastBlock = true;
    return block;
}

void RichTextBuilder::resolveFonts() {
    m_fontFamilies.clear();
    m_fontHints.clear();
    for (const rtf::FontInfo& font : m_source->fonts) {
        QFont::StyleHint hint = QFont::AnyStyle;
        const QString generic = genericFamily(font.family, &hint);
        const QString installed = installedFamily(QString::fromUtf8(font.name));
        QStringList families;
        if (!installed.isEmpty()) {
            families.append(installed);
        } else if (!generic.isEmpty()) {
            families.append(generic);
        }
        m_fontFamilies.push_back(families);
        m_fontHints.push_back(hint);
    }
}

const QTextCharFormat& RichTextBuilder::charFormat(const rtf::CharFormat& format) {
    auto found = m_charFormats.find(format);
    if (found == m_charFormats.end()) {
        found = m_charFormats.emplace(format, makeCharFormat(format)).first;
    }
    return found->second;
}

QTextCharFormat RichTextBuilder::makeCharFormat(const rtf::CharFormat& format) const {
    QTextCharFormat out;
    const int32_t font = format.font >= 0 ? format.font : m_source->defaultFont;
    if (font >= 0 && size_t(font) < m_fontFamilies.size()) {
        if (!m_fontFamilies[size_t(font)].isEmpty()) {
            out.setFontFamilies(m_fontFamilies[size_t(font)]);
        }
        out.setFontStyleHint(QFont::StyleHint(m_fontHints[size_t(font)]));
    }
    const qreal points = std::clamp(qreal(format.sizeHalfPoints) / 2.0, 1.0, kMaxPointSize);
    out.setFontPointSize(points);
    if (format.bold) {
        out.setFontWeight(QFont::Bold);
    }
    if (format.italic) {
        out.setFontItalic(true);
    }
    switch (format.underline) {
    case rtf::UnderlineStyle::None:
        break;
    case rtf::UnderlineStyle::Single:
    case rtf::UnderlineStyle::Double:
    case rtf::UnderlineStyle::Thick:
    case rtf::UnderlineStyle::Word:
        out.setUnderlineStyle(QTextCharFormat::SingleUnderline);
        break;
    case rtf::UnderlineStyle::Dotted:
        out.setUnderlineStyle(QTextCharFormat::DotLine);
        break;
    case rtf::UnderlineStyle::Dashed:
        out.setUnderlineStyle(QTextCharFormat::DashUnderline);
        break;
    case rtf::UnderlineStyle::Wave:
        out.setUnderlineStyle(QTextCharFormat::WaveUnderline);
        break;
    }
    if (format.strike) {
        out.setFontStrikeOut(true);
    }
    const auto& colors = m_source->colors;
    if (format.foreground >= 0 && size_t(format.foreground) < colors.size()) {
        out.setForeground(toQColor(colors[size_t(format.foreground)]));
    }
    if (format.background >= 0 && size_t(format.background) < colors.size()) {
        out.setBackground(toQColor(colors[size_t(format.background)]));
    }
    if (format.vertical == rtf::VerticalAlign::Superscript) {
        out.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    } else if (format.vertical == rtf::VerticalAlign::Subscript) {
        out.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    }
    if (format.offsetHalfPoints != 0 && format.sizeHalfPoints > 0) {
        // The offset is given in half points; Qt wants a share of the height.
        const qreal percent = qreal(format.offsetHalfPoints) * 100.0 / qreal(format.sizeHalfPoints);
        out.setBaselineOffset(std::clamp(percent, -200.0, 200.0));
    }
    return out;
}

} // namespace tolvane
