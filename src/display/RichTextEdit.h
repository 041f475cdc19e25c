#pragma once

#include "display/PositionMap.h"
#include "display/RichDocument.h"

#include <QTextEdit>

#include <string>
#include <utility>

namespace tolvane {

// The rich-text component: a QTextEdit that shows an RTF article body and
// answers every question in the character numbering of the article's text
// (RichDocument.h), which is the numbering of the .PGL link anchors. All
// positions in and out of this class are numbering positions; the mapping to
// the QTextDocument's own positions stays inside.
class RichTextEdit : public QTextEdit {
    Q_OBJECT

public:
    explicit RichTextEdit(QWidget* parent = nullptr);

    // Replaces everything with the body; positions restart at 0 and the view
    // is scrolled to the top.
    void loadRtf(const std::string& rtfBytes);
    void loadDocument(rtf::RichDocument document);
    const rtf::RichDocument& richDocument() const { return m_document; }

    // Number of positions of the text.
    int textLength() const;

    // The position of the character whose cell holds the point (viewport
    // coordinates): a point on the right half of a character is still on
    // that character. Points beyond the end of a line give that line's last
    // character; -1 for an empty text.
    int charFromPos(const QPoint& viewportPoint) const;
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

    // The mapping between numbering positions and QTextDocument positions.
    int toWidgetPosition(int position) const { return m_positions.toWidget(position); }
    int toNumberingPosition(int widgetPosition) const {
        return m_positions.toNumbering(widgetPosition);
    }

private:
    // Numbering position to QTextDocument position and back, clamped to the
    // text; the end of the text maps to the end of the document.
    int widgetPosition(int position) const;
    int numberingPosition(int widgetPosition) const;
    QPointF scrollOffset() const;
    void applyPendingResize() const;

    rtf::RichDocument m_document;
    PositionMap m_positions;
};

} // namespace tolvane
