// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPoint>
#include <QPointer>
#include <QWidget>

#include <string>

namespace tolvane {

class RichTextEdit;

// The small window of a popup article: no caption bar, above every other
// window, shown next to the link that was clicked without taking the focus
// from the main window, and closed by the user's next click, right click or
// key on it, by its losing the focus, by the next popup or by the
// activation of any dialog of the application. At most one is open.
class CPopupWnd : public QWidget {
    Q_OBJECT

public:
    // Opens a popup for an article, anchored at a screen point; the popup
    // belongs to owner (the main window) and shows its text at the article
    // view's text size (zoomPercent).
    static void ShowPopup(const std::string& title, const std::string& body, QPoint anchor,
                          QWidget* owner, int zoomPercent = 100);
    // Closes the open popup, if any.
    static void ClosePopup();
    static bool isOpen() { return !s_openPopup.isNull(); }
    static CPopupWnd* openPopup() { return s_openPopup; }

    RichTextEdit* textControl() const { return m_text; }
    QPoint anchor() const { return m_anchor; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    CPopupWnd(QPoint anchor, QWidget* owner);
    void sizeToText();
    void placeAtAnchor();
    void closePopup();

    RichTextEdit* m_text = nullptr;
    QPoint m_anchor;
    bool m_closing = false;

    // The one popup open, cleared when it goes whatever the way.
    static QPointer<CPopupWnd> s_openPopup;
};

} // namespace tolvane
