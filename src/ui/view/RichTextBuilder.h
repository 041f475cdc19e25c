// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/rtf/PositionMap.h"
#include "core/rtf/RichDocument.h"
#include "ui/view/RichTextFormats.h"

#include <QDateTime>
#include <QSet>
#include <QTextCursor>

#include <memory>
#include <set>
#include <vector>

class QTextDocument;
class QTextTable;

namespace tolvane {

// Turns the document model of an article into a QTextDocument and records,
// while it goes, where each run of the article's numbering lands in the
// QTextDocument (PositionMap). The document is built detached from any
// widget, segment by segment, with undo off.
class RichTextBuilder {
public:
    // dpi: the logical resolution twips are converted with (1 twip is
    // 1/1440 inch), the one the document will be shown at; zoom: the text
    // size, 1.0 for the sizes the article gives, applied to fonts, indents,
    // spacing and pictures alike so that the layout keeps its proportions.
    // readableOn: the dark page the document is shown on, if any
    // (RichTextFormats).
    explicit RichTextBuilder(qreal dpi, qreal zoom = 1.0, QColor readableOn = QColor());

    std::unique_ptr<QTextDocument> build(const rtf::RichDocument& document, PositionMap& map);

    // What fields without result show: the article's title, the date and
    // time of now.
    void setFieldValues(const QString& title, const QDateTime& now) {
        m_title = title;
        m_now = now;
    }

    // The pixels of a length in twips at this builder's resolution.
    qreal pixels(int32_t twips) const;

private:
    void buildParagraph(const rtf::Paragraph& paragraph);
    struct TableLayout;
    // Builds the table that starts at paragraph `first`, of a level (1: in
    // the text, 2: in a cell of a level-1 table...), tables of deeper
    // levels inside its cells; returns the paragraph after it.
    size_t buildTable(size_t first, int32_t depth);
    // modelRows: the model row of each row of the table; usedCells: the
    // cells each row fills; cellsWithText: (row, cell) pairs holding text.
    TableLayout layoutTable(const std::vector<int32_t>& modelRows,
                            const std::vector<int>& usedCells,
                            const std::set<std::pair<int, int>>& cellsWithText);
    void formatTable(QTextTable* table, const TableLayout& layout);
    int32_t rowDepth(int32_t row) const;
    // The row of a level that holds a row (itself at that level or above).
    int32_t ancestorRow(int32_t row, int32_t depth) const;
    void insertSegments(const rtf::Paragraph& paragraph);
    void insertPicture(const rtf::Segment& segment);
    // The pictures of drawing objects, the marks of the notes and the
    // values of the fields that stand before
    // a position (and are not yet drawn), in a format; the notes' text after
    // the article's.
    void insertNoteMarks(uint32_t position, const rtf::CharFormat& format);
    void insertNotes();
    QString fieldText(const rtf::ComputedField& field) const;
    // Text underlined word by word: the spaces between words are not.
    void insertWordsUnderlined(const QString& text, const rtf::CharFormat& format);
    // The resource names of a decoded picture (empty when it cannot be
    // shown) and of a framed box of a size.
    QString pictureResource(size_t index, const rtf::Picture& picture);
    QString placeholderResource(int width, int height);
    void addAnchor(uint32_t numbering);
    void addMarkAnchors(const rtf::Paragraph& paragraph);
    // The positions of an empty paragraph that takes no room.
    void addPlacelessAnchors(const rtf::Paragraph& paragraph);

    qreal m_dpi;
    qreal m_zoom;
    QColor m_readableOn;
    const rtf::RichDocument* m_source = nullptr;
    QTextDocument* m_target = nullptr;
    PositionMap* m_map = nullptr;
    QTextCursor m_cursor;
    // The next paragraph opens a block of its own (the previous one ended
    // with a paragraph mark) rather than continuing the current block.
    bool m_needBlock = false;
    // The current block continues after a line mark: it keeps its format.
    bool m_continuesLine = false;
    size_t m_nextNote = 0;  // the first note whose mark is still to draw
    size_t m_nextField = 0; // the first field still to draw
    size_t m_nextShape = 0; // the first drawing object's picture still to draw
    QString m_title;
    QDateTime m_now;
    std::unique_ptr<RichTextFormats> m_formats;
    QSet<QString> m_resources;
    std::set<size_t> m_failedPictures;
    qint64 m_placeholderPixels = 0;
};

} // namespace tolvane
