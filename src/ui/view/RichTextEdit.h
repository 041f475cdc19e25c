// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/rtf/PositionMap.h"
#include "core/rtf/RichDocument.h"

#include <QTextEdit>

class QPainter;
class QTextBlock;

#include <QDateTime>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tolvane {

// The rich-text component: a QTextEdit that shows an RTF article body and
// answers every question in the character numbering of the article's text
// (RichDocument.h), which is the numbering of the .PGL link anchors. All
// positions in and out of this class are numbering positions; the mapping to
// the QTextDocument's own positions stays inside.
//
// Text size: the article is laid out at a zoom (50 % to 300 % of the sizes
// it gives), fonts, indents and pictures alike, so that every position query
// below stays exact at any size. Ctrl + wheel steps through the sizes when
// enabled; a new body keeps the size.
//
// Page colours: text without a colour of its own takes the palette's Text
// on its Base. When the palette is dark and the article colours some of its
// text (or highlights text of no colour) in a way that reads badly on that
// Base, the article is shown on the white page it was written for, black
// for the text of no colour, so that its own colours stay as they are.
class RichTextEdit : public QTextEdit {
    Q_OBJECT

public:
    static constexpr int kMinZoom = 50;
    static constexpr int kMaxZoom = 300;
    // Contrast ratio below which coloured text counts as hard to read.
    static constexpr double kMinContrast = 3.0;

    explicit RichTextEdit(QWidget* parent = nullptr);

    // Replaces everything with the body; positions restart at 0 and the view
    // is scrolled to the top.
    void loadRtf(const std::string& rtfBytes);
    void loadDocument(rtf::RichDocument document);
    const rtf::RichDocument& richDocument() const { return m_document; }

    // What fields without result show (TITLE, DATE, TIME): the title of the
    // article, and the clock that gives now. Set before loading.
    void setArticleTitle(const QString& title) { m_title = title; }
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }
    const QString& articleTitle() const { return m_title; }
    QDateTime now() const { return m_clock ? m_clock() : QDateTime::currentDateTime(); }

    // Number of positions of the text.
    int textLength() const;

    // The position of the character whose cell holds the point (viewport
    // coordinates): a point on the right half of a character is still on
    // that character. Points beyond the end of a line give that line's last
    // character; -1 for an empty text.
    int charFromPos(const QPoint& viewportPoint) const;
    // The same for a point inside a character's cell on a line of text;
    // -1 for a point left of a line's start, right of its end, between
    // paragraphs or below the last line.
    int charInCell(const QPoint& viewportPoint) const;
    // The viewport point of the top-left of a character's cell; a position
    // past the end gives the end of the text (its last line).
    QPoint posFromChar(int position) const;

    // Display lines, counted from 0 over the whole text.
    int firstVisibleLine() const;
    int lineIndex(int line) const; // first position of a line
    int lineFromChar(int position) const;
    int lineCount() const;
    void lineScroll(int lines); // scrolls down (negative: up) by whole lines

    // Selects [first, last) in numbering positions; (0, -1) selects everything.
    void setSelection(int first, int last);
    // The selection as [start, end) numbering positions.
    std::pair<int, int> selection() const;

    // Finds text in [from, to) (to == -1: the end), the rules of TextFinder;
    // the position of the first match or -1. Changes nothing on screen.
    int findInRange(const std::u16string& text, bool matchCase, bool wholeWord, int from,
                    int to) const;
    // Searches onward from the selection (from one past its start when text
    // is selected, else from the cursor); on success selects the match,
    // scrolls it into view and returns its start, else returns -1 and leaves
    // the selection.
    int findNext(const std::u16string& text, bool matchCase, bool wholeWord);

    // Marks every occurrence of text (findAll's rules) under the selection,
    // in hitColour, until the next body; returns how many there are. An
    // empty text only clears the marks.
    int markHits(const std::u16string& text, bool matchCase, bool wholeWord);
    // The marked occurrences as [start, end) numbering positions, in text
    // order.
    const std::vector<std::pair<int, int>>& hits() const { return m_hits; }
    // Selects the first marked occurrence after the selection's start
    // (direction 1; at or after the cursor when nothing is selected) or the
    // last one before it (-1), and scrolls it into view; false when there is
    // none that way.
    bool stepHit(int direction);
    // Selects marked occurrence i (from the end when negative: -1 is the
    // last); false when there is none.
    bool selectHit(int i);
    // The background of a marked occurrence on a page of palette: its
    // selection colour mixed into the page, light enough (or dark enough)
    // for the page's text to read at 4.5:1 on it.
    static QColor hitColour(const QPalette& palette);

    // The text size in percent of the article's own sizes.
    int zoomPercent() const { return m_zoom; }
    // Sets the text size, kept within kMinZoom..kMaxZoom, and lays the
    // article out again at it with the same selection and the same line at
    // the top.
    void setZoomPercent(int percent);
    // Ctrl + wheel changes the text size only where this is on.
    void setWheelZoomEnabled(bool on) { m_wheelZoom = on; }
    // The size steps away from percent on the scale of sizes (negative
    // steps: smaller), within the bounds.
    static int zoomStep(int percent, int steps);

    // The article as a new document at a text size, for printing.
    std::unique_ptr<QTextDocument> buildDocument(int zoomPercent) const;

    // Whether document needs the white page under palette (class comment).
    static bool needsLightPage(const rtf::RichDocument& document, const QPalette& palette);
    // WCAG contrast ratio of two colours, 1 to 21.
    static double contrastRatio(const QColor& a, const QColor& b);
    bool showsLightPage() const { return m_lightPage; }
    // The page the article is shown on when it is dark (the colours the
    // article gives are made to read on it), else an invalid colour.
    QColor readableOn() const;

    // The mapping between numbering positions and QTextDocument positions.
    int toWidgetPosition(int position) const { return m_positions.toWidget(position); }
    int toNumberingPosition(int widgetPosition) const {
        return m_positions.toNumbering(widgetPosition);
    }

    // Draws on painter, in document coordinates, what the document's formats
    // ask for but Qt does not draw (RichTextFormats.h: second lines of
    // double underlines, paragraph borders, tab leaders), for the blocks
    // that meet area. palette gives the colour of text of no colour.
    static void paintDecorations(QPainter& painter, const QTextDocument& document,
                                 const QRectF& area, const QPalette& palette);

    // The text of the note whose mark is under a viewport point, or an empty
    // string.
    QString noteAt(const QPoint& viewportPoint) const;

signals:
    void zoomChanged(int percent);

protected:
    bool viewportEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void rebuild();
    void updatePage();
    void applyHits();
    // Numbering position to QTextDocument position and back, clamped to the
    // text; the end of the text maps to the end of the document.
    int widgetPosition(int position) const;
    int numberingPosition(int widgetPosition) const;
    QPointF scrollOffset() const;
    // The document position under viewportPoint, with the point in document
    // coordinates and its block; -1 when the text is empty.
    int hitTest(const QPoint& viewportPoint, QPointF& point, QTextBlock& block) const;
    void applyPendingResize() const;

    rtf::RichDocument m_document;
    PositionMap m_positions;
    QString m_title;
    std::function<QDateTime()> m_clock;
    int m_zoom = 100;
    bool m_wheelZoom = false;
    int m_wheelDelta = 0;
    bool m_lightPage = false;
    // The dark page the text's colours were last built to read on, if any.
    QColor m_builtOn;
    bool m_settingPalette = false;
    std::vector<std::pair<int, int>> m_hits;
};

} // namespace tolvane
