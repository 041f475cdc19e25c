// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/view/CPopupWnd.h"

#include "core/geometry/PopupGeometry.h"
#include "ui/base/QtText.h"
#include "ui/view/RichTextEdit.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScreen>

namespace tolvane {

QPointer<CPopupWnd> CPopupWnd::s_openPopup;

namespace {

// Larger than any body: asks for the end of the text.
constexpr int kEndOfText = 32000;

} // namespace

CPopupWnd::CPopupWnd(QPoint anchor, QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_anchor(anchor) {
    setObjectName(QStringLiteral("popup"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_DeleteOnClose);
    setCursor(Qt::ArrowCursor);
    setGeometry(0, 0, 100, 100);
}

void CPopupWnd::ShowPopup(const std::string& title, const std::string& body, QPoint anchor,
                          QWidget* owner, int zoomPercent) {
    auto* popup = new CPopupWnd(anchor, owner);
    const QString caption = fromCp1252(PopupCaption(title));
    popup->setWindowTitle(caption);
    popup->setAccessibleName(QStringLiteral("Note : ") + caption);
    popup->m_text = new RichTextEdit(popup);
    popup->m_text->setObjectName(QStringLiteral("popupText"));
    popup->m_text->setReadOnly(true);
    popup->m_text->setAccessibleName(QStringLiteral("Texte de la note ") + caption);
    popup->m_text->setAccessibleDescription(QStringLiteral("Texte de la note contextuelle"));
    popup->m_text->setZoomPercent(zoomPercent);
    popup->m_text->setGeometry(0, 0, 100, 100);
    popup->m_text->setFrameShape(QFrame::NoFrame);
    popup->m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    popup->m_text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    popup->m_text->viewport()->installEventFilter(popup);
    popup->m_text->installEventFilter(popup);
    popup->m_text->loadRtf(body);
    // A screen reader speaks the note as it opens: its text is the
    // description of the tooltip.
    const QString noteText = popup->m_text->toPlainText().simplified();
    popup->setAccessibleDescription(
        noteText.isEmpty() ? QStringLiteral("Note vide ; elle se ferme au prochain clic ou à la "
                                            "prochaine touche.")
                           : noteText);
    popup->sizeToText();
    popup->placeAtAnchor();
    popup->show();
    if (s_openPopup && s_openPopup != popup)
        s_openPopup->closePopup();
    s_openPopup = popup;
}

void CPopupWnd::ClosePopup() {
    if (s_openPopup)
        s_openPopup->closePopup();
}

void CPopupWnd::closePopup() {
    if (m_closing)
        return;
    m_closing = true;
    if (s_openPopup == this)
        s_openPopup = nullptr;
    if (QWidget::mouseGrabber() == this)
        releaseMouse();
    close();
}

void CPopupWnd::sizeToText() {
    QScreen* screen = QGuiApplication::screenAt(m_anchor);
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    const QRect desktop = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const PopupSize size = PopupSizeSearch(desktop.width(), [this](int width) {
        const QSize old = m_text->size();
        m_text->resize(width, 1000);
        // A hidden text edit lays its text out at its new width only once
        // shown; the search needs that layout now.
        QResizeEvent resize(m_text->size(), old);
        QCoreApplication::sendEvent(m_text, &resize);
        m_text->document()->setTextWidth(m_text->viewport()->width());
        return m_text->posFromChar(kEndOfText).y();
    });
    resize(size.width, size.height);
}

void CPopupWnd::placeAtAnchor() {
    QScreen* screen = QGuiApplication::screenAt(m_anchor);
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    const QRect desktop = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const QSize outer = frameGeometry().size();
    // The rules count from the desktop's top-left corner.
    const PopupPosition at =
        PlacePopup(m_anchor.x() - desktop.left(), m_anchor.y() - desktop.top(),
                   PopupSize{outer.width(), outer.height()}, desktop.width(), desktop.height());
    move(at.x + desktop.left(), at.y + desktop.top());
}

bool CPopupWnd::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::ContextMenu:
        closePopup();
        return true;
    case QEvent::FocusOut:
        if (watched == m_text)
            closePopup();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void CPopupWnd::mousePressEvent(QMouseEvent*) {
    closePopup();
}
void CPopupWnd::keyPressEvent(QKeyEvent*) {
    closePopup();
}
void CPopupWnd::contextMenuEvent(QContextMenuEvent*) {
    closePopup();
}
void CPopupWnd::focusOutEvent(QFocusEvent*) {
    closePopup();
}

void CPopupWnd::paintEvent(QPaintEvent*) {
    // A thin frame stands in for the dialog frame of a caption-less window.
    // On a dark palette the shadow colour would vanish into the window's.
    QPainter painter(this);
    const QPalette& p = palette();
    const bool dark =
        p.color(QPalette::Window).lightness() < p.color(QPalette::WindowText).lightness();
    painter.setPen(dark ? p.color(QPalette::WindowText).darker(150) : p.color(QPalette::Shadow));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void CPopupWnd::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_text != nullptr)
        m_text->setGeometry(rect().adjusted(1, 1, -1, -1));
}

} // namespace tolvane
