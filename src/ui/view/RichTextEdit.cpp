// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/view/RichTextEdit.h"

#include "core/rtf/RtfReader.h"
#include "core/rtf/TextFinder.h"
#include "ui/view/RichTextBuilder.h"
#include "ui/view/RichTextFormats.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QCoreApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextTable>
#include <QToolTip>
#include <QWheelEvent>
#include <QtMath>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <memory>
#include <optional>

namespace tolvane {

namespace {

// The document coordinates of a block's layout origin; lines are placed
// relative to it. Asking for it also lays the document out that far.
QPointF layoutOrigin(const QTextDocument* document, const QTextBlock& block) {
    return document->documentLayout()->blockBoundingRect(block).topLeft();
}

// The line of a block that holds a vertical coordinate relative to the
// block's layout: the first whose bottom lies below it, else the last.
QTextLine lineAtY(const QTextLayout* layout, qreal y) {
    const int count = layout->lineCount();
    for (int i = 0; i < count; ++i) {
        const QTextLine line = layout->lineAt(i);
        if (y < line.y() + line.height()) {
            return line;
        }
    }
    return count > 0 ? layout->lineAt(count - 1) : QTextLine();
}

// The line of a block that holds a position relative to the block.
QTextLine lineAtPosition(const QTextLayout* layout, int relative) {
    QTextLine line = layout->lineForTextPosition(relative);
    if (!line.isValid() && layout->lineCount() > 0) {
        line = layout->lineAt(relative <= 0 ? 0 : layout->lineCount() - 1);
    }
    return line;
}

// The text sizes Ctrl + wheel steps through, in percent.
constexpr int kZoomSteps[] = {50, 67, 75, 80, 90, 100, 110, 125, 150, 175, 200, 250, 300};
// One notch of an ordinary mouse wheel.
constexpr int kWheelNotch = 120;

// Relative luminance of a colour (sRGB), 0 for black to 1 for white.
double luminance(const QColor& colour) {
    const auto channel = [](double c) {
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) +
           0.0722 * channel(colour.blueF());
}

bool hasVisibleText(const std::u16string& text, uint32_t begin, uint32_t end) {
    for (uint32_t i = begin; i < end && i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c != u' ' && c != u'\t' && c != u'\r' && c != u'\n' && c != 0xA0)
            return true;
    }
    return false;
}

} // namespace

// The article of edit as a document at a text size, with its position map.
static std::unique_ptr<QTextDocument> makeDocument(const RichTextEdit& edit, int zoomPercent,
                                                   PositionMap& positions,
                                                   QColor readableOn = QColor()) {
    const qreal zoom =
        qreal(std::clamp(zoomPercent, RichTextEdit::kMinZoom, RichTextEdit::kMaxZoom)) / 100.0;
    RichTextBuilder builder(edit.logicalDpiY(), zoom, readableOn);
    builder.setFieldValues(edit.articleTitle(), edit.now());
    std::unique_ptr<QTextDocument> built = builder.build(edit.richDocument(), positions);
    QFont base = edit.font();
    if (base.pointSizeF() > 0)
        base.setPointSizeF(base.pointSizeF() * zoom);
    built->setDefaultFont(base);
    return built;
}

RichTextEdit::RichTextEdit(QWidget* parent) : QTextEdit(parent) {
    setUndoRedoEnabled(false);
}

void RichTextEdit::loadRtf(const std::string& rtfBytes) {
    loadDocument(rtf::RtfReader::read(rtfBytes));
}

void RichTextEdit::loadDocument(rtf::RichDocument document) {
    m_document = std::move(document);
    // The marks were for the text being replaced.
    m_hits.clear();
    // The page first: the colours are built for it.
    updatePage();
    rebuild();
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
}

QColor RichTextEdit::readableOn() const {
    if (m_lightPage)
        return QColor();
    const QColor base = palette().color(QPalette::Base);
    return luminance(base) < luminance(palette().color(QPalette::Text)) ? base : QColor();
}

std::unique_ptr<QTextDocument> RichTextEdit::buildDocument(int zoomPercent) const {
    PositionMap positions;
    return makeDocument(*this, zoomPercent, positions);
}

void RichTextEdit::rebuild() {
    m_builtOn = readableOn();
    std::unique_ptr<QTextDocument> built = makeDocument(*this, m_zoom, m_positions, m_builtOn);
    // An empty page size keeps the new document from being laid out when the
    // widget attaches its layout; the widget then lays it out once, at its
    // own width.
    built->setPageSize(QSizeF(0, 0));
    built->setParent(this);
    // Documents of earlier loads are ours to delete; the widget deletes its
    // first one itself when it is replaced.
    QTextDocument* previous = this->document();
    const bool ours = previous && previous->parent() == this;
    // The marks go first, while the document their cursors point into is
    // still there: replacing them measures the old ones.
    setExtraSelections({});
    setDocument(built.release());
    if (ours) {
        delete previous;
    }
    applyHits();
}

int RichTextEdit::zoomStep(int percent, int steps) {
    int zoom = std::clamp(percent, kMinZoom, kMaxZoom);
    for (; steps > 0; --steps) {
        const int* next = std::upper_bound(std::begin(kZoomSteps), std::end(kZoomSteps), zoom);
        zoom = next != std::end(kZoomSteps) ? *next : kMaxZoom;
    }
    for (; steps < 0; ++steps) {
        const int* next = std::lower_bound(std::begin(kZoomSteps), std::end(kZoomSteps), zoom);
        zoom = next != std::begin(kZoomSteps) ? *(next - 1) : kMinZoom;
    }
    return zoom;
}

void RichTextEdit::setZoomPercent(int percent) {
    percent = std::clamp(percent, kMinZoom, kMaxZoom);
    if (percent == m_zoom)
        return;
    const int top = m_document.length() > 0 ? lineIndex(firstVisibleLine()) : 0;
    const auto [first, last] = selection();
    m_zoom = percent;
    rebuild();
    // The selection first: setting it scrolls to it.
    if (first != last)
        setSelection(first, last);
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    if (top > 0)
        lineScroll(lineFromChar(top));
    emit zoomChanged(m_zoom);
}

namespace {

QColor textColour(const QTextCharFormat& format, const QPalette& palette) {
    const QBrush brush = format.foreground();
    return brush.style() != Qt::NoBrush ? brush.color() : palette.color(QPalette::Text);
}

// The second line under the double-underlined fragments of a block: one
// line width below Qt's own, as thick.
void paintDoubleUnderlines(QPainter& painter, const QTextBlock& block, const QPointF& origin,
                           const QPalette& palette) {
    const QTextLayout* layout = block.layout();
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const QTextCharFormat format = fragment.charFormat();
        if (!fragment.isValid() || !format.boolProperty(kDoubleUnderlineProperty)) {
            continue;
        }
        const QFontMetricsF metrics(format.font());
        const qreal width = std::max<qreal>(1.0, metrics.lineWidth());
        const int start = fragment.position() - block.position();
        const int end = start + fragment.length();
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            const int from = std::max(start, line.textStart());
            const int to = std::min(end, line.textStart() + line.textLength());
            if (from >= to) {
                continue;
            }
            const qreal y = origin.y() + line.y() + line.ascent() + metrics.underlinePos() +
                            2 * width + width / 2;
            const qreal x1 = origin.x() + line.cursorToX(from);
            const qreal x2 = origin.x() + line.cursorToX(to);
            painter.setPen(QPen(textColour(format, palette), width));
            painter.drawLine(QPointF(x1, y), QPointF(x2, y));
        }
    }
}

// Leaders fill the space a tab leaves before a stop that has one.
void paintTabLeaders(QPainter& painter, const QTextBlock& block, const QPointF& origin,
                     const QPalette& palette) {
    const QList<QVariant> leaders = block.blockFormat().property(kTabLeadersProperty).toList();
    const QList<QTextOption::Tab> stops = block.blockFormat().tabPositions();
    const QTextLayout* layout = block.layout();
    const QString text = block.text();
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i) != QLatin1Char('\t')) {
            continue;
        }
        const QTextLine line = layout->lineForTextPosition(i);
        if (!line.isValid()) {
            continue;
        }
        const qreal x1 = line.cursorToX(i);
        const qreal x2 = line.cursorToX(i + 1);
        if (x2 - x1 < 2) {
            continue;
        }
        // The stop the tab went to: the first one past where it began.
        const qreal from = x1 - layout->lineAt(0).x();
        qreal stop = -1;
        for (const QTextOption::Tab& tab : stops) {
            if (tab.position > from + 0.5) {
                stop = tab.position;
                break;
            }
        }
        int leader = 0;
        for (const QVariant& entry : leaders) {
            const QPointF value = entry.toPointF();
            if (std::abs(value.x() - stop) < 0.5) {
                leader = int(value.y());
            }
        }
        if (leader == int(rtf::TabLeader::None)) {
            continue;
        }
        const QTextCharFormat format = block.charFormat();
        QPen pen(textColour(format, palette), 1);
        qreal y = origin.y() + line.y() + line.ascent();
        switch (rtf::TabLeader(leader)) {
        case rtf::TabLeader::Dots:
            pen.setStyle(Qt::DotLine);
            pen.setDashPattern({1.0, 3.0});
            break;
        case rtf::TabLeader::Hyphens:
            pen.setStyle(Qt::CustomDashLine);
            pen.setDashPattern({3.0, 2.0});
            y -= line.ascent() / 3;
            break;
        case rtf::TabLeader::Thick:
            pen.setWidthF(2);
            y += 1;
            break;
        case rtf::TabLeader::Equals:
            painter.setPen(pen);
            painter.drawLine(QPointF(origin.x() + x1, y - 4), QPointF(origin.x() + x2, y - 4));
            y -= 1;
            break;
        default:
            y += 1;
            break;
        }
        painter.setPen(pen);
        painter.drawLine(QPointF(origin.x() + x1 + 1, y), QPointF(origin.x() + x2 - 2, y));
    }
}

// The borders of a paragraph; neighbouring paragraphs with the same sides
// make one box.
void paintBorders(QPainter& painter, const QTextDocument& document, const QTextBlock& block,
                  int sides, const QPalette& palette) {
    const QAbstractTextDocumentLayout* layout = document.documentLayout();
    const QRectF rect = layout->blockBoundingRect(block);
    const QTextBlockFormat format = block.blockFormat();
    const qreal left = rect.left() + format.leftMargin() - 3;
    const qreal right = rect.right() - format.rightMargin() + 3;
    const bool first = block.previous().blockFormat().intProperty(kBorderSidesProperty) != sides;
    const bool last = block.next().blockFormat().intProperty(kBorderSidesProperty) != sides;
    const qreal top = rect.top() + (first ? format.topMargin() : 0);
    const qreal bottom = rect.bottom() - (last ? format.bottomMargin() : 0);
    painter.setPen(QPen(palette.color(QPalette::Text), 1));
    if ((sides & rtf::kBorderTop) && first) {
        painter.drawLine(QPointF(left, top), QPointF(right, top));
    }
    if ((sides & rtf::kBorderBottom) && last) {
        painter.drawLine(QPointF(left, bottom), QPointF(right, bottom));
    }
    if (sides & rtf::kBorderLeft) {
        painter.drawLine(QPointF(left, top), QPointF(left, bottom));
    }
    if (sides & rtf::kBorderRight) {
        painter.drawLine(QPointF(right, top), QPointF(right, bottom));
    }
}

bool inTable(const QTextBlock& block) {
    return QTextCursor(block).currentTable() != nullptr;
}

} // namespace

void RichTextEdit::paintDecorations(QPainter& painter, const QTextDocument& document,
                                    const QRectF& area, const QPalette& palette) {
    const QAbstractTextDocumentLayout* layout = document.documentLayout();
    const int hit = std::max(layout->hitTest(area.topLeft(), Qt::FuzzyHit), 0);
    QTextBlock block = document.findBlock(hit);
    // Back to the first block that may reach into the area: cells of a
    // table row are in the text one after the other, not one below the
    // other.
    for (int steps = 0; steps < 4096 && block.isValid() && block.previous().isValid(); ++steps) {
        const QTextBlock previous = block.previous();
        if (layout->blockBoundingRect(previous).bottom() < area.top() && !inTable(previous)) {
            break;
        }
        block = previous;
    }
    if (!block.isValid()) {
        block = document.begin();
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    // Past the area, cells of the rows shown may still follow, for a while.
    int below = 0;
    for (; block.isValid(); block = block.next()) {
        const QRectF rect = layout->blockBoundingRect(block);
        if (rect.top() > area.bottom()) {
            if (!inTable(block) || ++below > 4096) {
                break;
            }
            continue;
        }
        if (rect.bottom() < area.top() || !block.layout()) {
            continue;
        }
        const QPointF origin = rect.topLeft();
        const QTextBlockFormat format = block.blockFormat();
        const int sides = format.intProperty(kBorderSidesProperty);
        if (sides != 0) {
            paintBorders(painter, document, block, sides, palette);
        }
        if (format.hasProperty(kTabLeadersProperty)) {
            paintTabLeaders(painter, block, origin, palette);
        }
        paintDoubleUnderlines(painter, block, origin, palette);
    }
    painter.restore();
}

QString RichTextEdit::noteAt(const QPoint& viewportPoint) const {
    if (m_document.notes.empty()) {
        return QString();
    }
    const QPointF point = QPointF(viewportPoint) + scrollOffset();
    const int hit = document()->documentLayout()->hitTest(point, Qt::ExactHit);
    if (hit < 0) {
        return QString();
    }
    QTextCursor cursor(document());
    cursor.setPosition(hit + 1);
    const int index = cursor.charFormat().intProperty(kNoteProperty) - 1;
    if (index < 0 || size_t(index) >= m_document.notes.size()) {
        return QString();
    }
    return QString::fromStdU16String(m_document.notes[size_t(index)].text).trimmed();
}

bool RichTextEdit::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        // A note's text shows on its mark.
        const auto* help = static_cast<QHelpEvent*>(event);
        const QString note = noteAt(help->pos());
        if (note.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(help->globalPos(), note, viewport());
        }
        return true;
    }
    return QTextEdit::viewportEvent(event);
}

void RichTextEdit::paintEvent(QPaintEvent* event) {
    QTextEdit::paintEvent(event);
    QPainter painter(viewport());
    const QPointF offset = scrollOffset();
    painter.translate(-offset);
    paintDecorations(painter, *document(), QRectF(event->rect()).translated(offset), palette());
}

void RichTextEdit::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QTextEdit::wheelEvent(event);
        return;
    }
    // A smooth wheel sends fractions of a notch: they add up to a step.
    event->accept();
    if (!m_wheelZoom)
        return;
    // Far more than the whole scale, and never enough to overflow.
    const int limit = kWheelNotch * int(std::size(kZoomSteps));
    m_wheelDelta = std::clamp(m_wheelDelta + std::clamp(event->angleDelta().y(), -limit, limit),
                              -limit, limit);
    const int steps = m_wheelDelta / kWheelNotch;
    if (steps != 0) {
        m_wheelDelta -= steps * kWheelNotch;
        setZoomPercent(zoomStep(m_zoom, steps));
    }
}

double RichTextEdit::contrastRatio(const QColor& a, const QColor& b) {
    return RichTextFormats::contrastRatio(a, b);
}

bool RichTextEdit::needsLightPage(const rtf::RichDocument& document, const QPalette& palette) {
    const QColor base = palette.color(QPalette::Base);
    const QColor text = palette.color(QPalette::Text);
    // A light page already: the article reads as written.
    if (luminance(base) >= luminance(text))
        return false;
    const auto colour = [&document](int32_t index) -> std::optional<QColor> {
        if (index < 0 || size_t(index) >= document.colors.size())
            return std::nullopt;
        const rtf::Color& c = document.colors[size_t(index)];
        return QColor(c.red, c.green, c.blue);
    };
    for (const rtf::Paragraph& paragraph : document.paragraphs) {
        for (const rtf::Segment& segment : paragraph.segments) {
            if (segment.picture >= 0 || !hasVisibleText(document.text, segment.begin, segment.end))
                continue;
            const auto foreground = colour(segment.format.foreground);
            const auto background = colour(segment.format.background);
            if (foreground && !background && contrastRatio(*foreground, base) < kMinContrast)
                return true;
            if (!foreground && background && contrastRatio(text, *background) < kMinContrast)
                return true;
        }
    }
    return false;
}

void RichTextEdit::updatePage() {
    const QPalette inherited =
        parentWidget() != nullptr ? parentWidget()->palette() : QApplication::palette(this);
    const bool light = needsLightPage(m_document, inherited);
    if (light == m_lightPage)
        return;
    m_lightPage = light;
    m_settingPalette = true;
    if (light) {
        // Only the page and the text of no colour change; the rest of the
        // palette (selection, scroll bars) stays the desktop's.
        QPalette page;
        page.setColor(QPalette::Base, Qt::white);
        page.setColor(QPalette::Text, Qt::black);
        setPalette(page);
    } else {
        setPalette(QPalette());
    }
    m_settingPalette = false;
}

void RichTextEdit::changeEvent(QEvent* event) {
    QTextEdit::changeEvent(event);
    // The desktop's palette changed: decide the page again, and build the
    // text again where its colours are to read on another dark page.
    if (event->type() == QEvent::PaletteChange && !m_settingPalette) {
        updatePage();
        applyHits();
        if (readableOn() != m_builtOn && m_document.length() > 0) {
            const int top = lineIndex(firstVisibleLine());
            rebuild();
            verticalScrollBar()->setValue(0);
            if (top > 0)
                lineScroll(lineFromChar(top));
        }
    }
}

void RichTextEdit::applyPendingResize() const {
    // A hidden widget gets its resize events only when shown; the popup
    // measures its text at several widths before that.
    auto* self = const_cast<RichTextEdit*>(this);
    if (self->testAttribute(Qt::WA_PendingResizeEvent)) {
        self->setAttribute(Qt::WA_PendingResizeEvent, false);
        QResizeEvent event(size(), QSize());
        QCoreApplication::sendEvent(self, &event);
        // The event places the viewport; the text follows its width.
        const qreal width = viewport()->width();
        if (lineWrapMode() == QTextEdit::WidgetWidth && document()->pageSize().width() != width) {
            document()->setPageSize(QSizeF(width, -1));
        }
    }
}

int RichTextEdit::textLength() const {
    return static_cast<int>(m_document.length());
}

int RichTextEdit::widgetPosition(int position) const {
    const int last = document()->characterCount() - 1;
    if (position >= textLength()) {
        return last;
    }
    return std::clamp(m_positions.toWidget(std::max(position, 0)), 0, last);
}

int RichTextEdit::numberingPosition(int widgetPosition) const {
    if (widgetPosition >= document()->characterCount() - 1) {
        return textLength();
    }
    return std::clamp(m_positions.toNumbering(std::max(widgetPosition, 0)), 0, textLength());
}

QPointF RichTextEdit::scrollOffset() const {
    return QPointF(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

int RichTextEdit::hitTest(const QPoint& viewportPoint, QPointF& point, QTextBlock& block) const {
    applyPendingResize();
    if (textLength() == 0) {
        return -1;
    }
    point = QPointF(viewportPoint) + scrollOffset();
    const int hit = std::max(document()->documentLayout()->hitTest(point, Qt::FuzzyHit), 0);
    block = document()->findBlock(hit);
    return hit;
}

int RichTextEdit::charFromPos(const QPoint& viewportPoint) const {
    QPointF point;
    QTextBlock block;
    const int hit = hitTest(viewportPoint, point, block);
    if (hit < 0) {
        return -1;
    }
    const QTextDocument* doc = document();
    if (!block.isValid() || !block.layout()) {
        return numberingPosition(hit);
    }
    const QPointF local = point - layoutOrigin(doc, block);
    const QTextLine line = lineAtY(block.layout(), local.y());
    if (!line.isValid() || line.textLength() == 0) {
        return numberingPosition(block.position() + (line.isValid() ? line.textStart() : 0));
    }
    // The nearest gap may lie right of the point: then the point is on the
    // character before that gap.
    const int start = line.textStart();
    const int end = start + line.textLength();
    int index = line.xToCursor(local.x(), QTextLine::CursorBetweenCharacters);
    if (index > start && line.cursorToX(index) > local.x()) {
        --index;
    }
    index = std::clamp(index, start, end - 1);
    // A line ended by a line mark: beyond its end is its last character.
    if (index == end - 1 && index > start &&
        block.text().at(index) == QChar(QChar::LineSeparator)) {
        --index;
    }
    return std::min(numberingPosition(block.position() + index), textLength() - 1);
}

int RichTextEdit::charInCell(const QPoint& viewportPoint) const {
    QPointF point;
    QTextBlock block;
    if (hitTest(viewportPoint, point, block) < 0) {
        return -1;
    }
    const QTextDocument* doc = document();
    if (!block.isValid() || !block.layout()) {
        return -1;
    }
    // Above the block's first line or below its last one (the spacing
    // around a paragraph, the blank below the text) holds no character.
    const QPointF local = point - layoutOrigin(doc, block);
    const QTextLayout* layout = block.layout();
    QTextLine line;
    for (int i = 0; i < layout->lineCount(); ++i) {
        const QTextLine candidate = layout->lineAt(i);
        if (local.y() >= candidate.y() && local.y() < candidate.y() + candidate.height()) {
            line = candidate;
            break;
        }
    }
    if (!line.isValid() || line.textLength() == 0) {
        return -1;
    }
    // Left of the line's first character or right of its last one: the
    // line's end mark takes no room.
    int end = line.textStart() + line.textLength();
    if (end - 1 > line.textStart() && block.text().at(end - 1) == QChar(QChar::LineSeparator)) {
        --end;
    }
    const qreal left = line.cursorToX(line.textStart());
    const qreal right = line.cursorToX(end);
    if (local.x() < std::min(left, right) || local.x() >= std::max(left, right)) {
        return -1;
    }
    return charFromPos(viewportPoint);
}

QPoint RichTextEdit::posFromChar(int position) const {
    applyPendingResize();
    const QTextDocument* doc = document();
    const int widget = widgetPosition(position);
    const QTextBlock block = doc->findBlock(widget);
    if (!block.isValid() || !block.layout()) {
        return QPoint(0, 0);
    }
    const QPointF origin = layoutOrigin(doc, block);
    const QTextLine line = lineAtPosition(block.layout(), widget - block.position());
    if (!line.isValid()) {
        return (origin - scrollOffset()).toPoint();
    }
    const QPointF point =
        origin + QPointF(line.cursorToX(widget - block.position()), line.y()) - scrollOffset();
    return QPoint(qCeil(point.x()), qCeil(point.y()));
}

int RichTextEdit::firstVisibleLine() const {
    applyPendingResize();
    const QTextDocument* doc = document();
    const qreal top = verticalScrollBar()->value();
    int index = 0;
    int last = 0;
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        const QRectF rect = doc->documentLayout()->blockBoundingRect(block);
        const QTextLayout* layout = block.layout();
        const int count = layout ? layout->lineCount() : 0;
        if (count > 0 && rect.bottom() > top) {
            for (int i = 0; i < count; ++i) {
                const QTextLine line = layout->lineAt(i);
                if (rect.top() + line.y() + line.height() > top) {
                    return index + i;
                }
            }
        }
        index += count;
        if (count > 0) {
            last = index - 1;
        }
    }
    return last;
}

int RichTextEdit::lineIndex(int line) const {
    if (line < 0) {
        return -1;
    }
    applyPendingResize();
    const QTextDocument* doc = document();
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        layoutOrigin(doc, block);
        const int count = block.layout() ? block.layout()->lineCount() : 0;
        if (line < count) {
            return numberingPosition(block.position() + block.layout()->lineAt(line).textStart());
        }
        line -= count;
    }
    return -1;
}

int RichTextEdit::lineFromChar(int position) const {
    applyPendingResize();
    const QTextDocument* doc = document();
    const int widget = widgetPosition(position);
    const QTextBlock target = doc->findBlock(widget);
    if (!target.isValid()) {
        return 0;
    }
    layoutOrigin(doc, target);
    int index = 0;
    for (QTextBlock block = doc->begin(); block.isValid() && block != target;
         block = block.next()) {
        index += block.layout() ? block.layout()->lineCount() : 0;
    }
    const QTextLine line =
        target.layout() ? lineAtPosition(target.layout(), widget - target.position()) : QTextLine();
    return index + (line.isValid() ? line.lineNumber() : 0);
}

int RichTextEdit::lineCount() const {
    applyPendingResize();
    const QTextDocument* doc = document();
    doc->documentLayout()->documentSize();
    int count = 0;
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        count += block.layout() ? block.layout()->lineCount() : 0;
    }
    return count;
}

void RichTextEdit::lineScroll(int lines) {
    applyPendingResize();
    const QTextDocument* doc = document();
    int target = std::max(firstVisibleLine() + lines, 0);
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        const QPointF origin = layoutOrigin(doc, block);
        const int count = block.layout() ? block.layout()->lineCount() : 0;
        if (target < count) {
            // Everything below must be laid out for the scroll range to
            // reach that far.
            doc->documentLayout()->documentSize();
            verticalScrollBar()->setValue(qCeil(origin.y() + block.layout()->lineAt(target).y()));
            return;
        }
        target -= count;
    }
    doc->documentLayout()->documentSize();
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void RichTextEdit::setSelection(int first, int last) {
    const int length = textLength();
    if (last < 0 || last > length) {
        last = length;
    }
    first = std::clamp(first, 0, length);
    if (first > last) {
        std::swap(first, last);
    }
    QTextCursor cursor(document());
    cursor.setPosition(widgetPosition(first));
    cursor.setPosition(widgetPosition(last), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

std::pair<int, int> RichTextEdit::selection() const {
    const QTextCursor cursor = textCursor();
    return {numberingPosition(cursor.selectionStart()), numberingPosition(cursor.selectionEnd())};
}

int RichTextEdit::findInRange(const std::u16string& text, bool matchCase, bool wholeWord, int from,
                              int to) const {
    const rtf::TextFinder finder(text, rtf::FindOptions{matchCase, wholeWord});
    const size_t end = to < 0 ? SIZE_MAX : size_t(to);
    const int64_t found = finder.find(m_document.text, size_t(std::max(from, 0)), end);
    return found < 0 ? -1 : static_cast<int>(found);
}

int RichTextEdit::findNext(const std::u16string& text, bool matchCase, bool wholeWord) {
    const auto [start, end] = selection();
    const int from = start != end ? start + 1 : start;
    const int found = findInRange(text, matchCase, wholeWord, from, -1);
    if (found < 0) {
        return -1;
    }
    setSelection(found, found + static_cast<int>(text.size()));
    ensureCursorVisible();
    return found;
}

int RichTextEdit::markHits(const std::u16string& text, bool matchCase, bool wholeWord) {
    m_hits.clear();
    const rtf::TextFinder finder(text, rtf::FindOptions{matchCase, wholeWord});
    const int length = static_cast<int>(finder.length());
    for (const size_t start : finder.findAll(m_document.text))
        m_hits.emplace_back(static_cast<int>(start), static_cast<int>(start) + length);
    applyHits();
    return static_cast<int>(m_hits.size());
}

QColor RichTextEdit::hitColour(const QPalette& palette) {
    const QColor page = palette.color(QPalette::Base);
    const QColor mark = palette.color(QPalette::Highlight);
    const QColor text = palette.color(QPalette::Text);
    // From a strong tint down to a faint one, the first the text reads on.
    for (int percent = 45; percent > 0; percent -= 5) {
        const auto mix = [percent](int a, int b) {
            return (a * percent + b * (100 - percent)) / 100;
        };
        const QColor tint(mix(mark.red(), page.red()), mix(mark.green(), page.green()),
                          mix(mark.blue(), page.blue()));
        if (contrastRatio(text, tint) >= 4.5)
            return tint;
    }
    return page;
}

void RichTextEdit::applyHits() {
    QList<QTextEdit::ExtraSelection> marks;
    QTextCharFormat format;
    format.setBackground(hitColour(palette()));
    for (const auto& [first, last] : m_hits) {
        QTextEdit::ExtraSelection mark;
        mark.cursor = QTextCursor(document());
        mark.cursor.setPosition(widgetPosition(first));
        mark.cursor.setPosition(widgetPosition(last), QTextCursor::KeepAnchor);
        mark.format = format;
        marks.append(mark);
    }
    setExtraSelections(marks);
}

bool RichTextEdit::stepHit(int direction) {
    const auto [start, end] = selection();
    if (direction > 0) {
        for (size_t i = 0; i < m_hits.size(); ++i) {
            if (m_hits[i].first > start || (start == end && m_hits[i].first == start))
                return selectHit(static_cast<int>(i));
        }
    } else {
        for (size_t i = m_hits.size(); i-- > 0;) {
            if (m_hits[i].first < start)
                return selectHit(static_cast<int>(i));
        }
    }
    return false;
}

bool RichTextEdit::selectHit(int i) {
    const int count = static_cast<int>(m_hits.size());
    if (i < 0)
        i += count;
    if (i < 0 || i >= count)
        return false;
    setSelection(m_hits[size_t(i)].first, m_hits[size_t(i)].second);
    ensureCursorVisible();
    return true;
}

} // namespace tolvane
