// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/base/CSash.h"

#include "ui/base/CDlgBar.h"

#include <QMainWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>

#include <algorithm>

namespace tolvane {

CSash::CSash(QWidget* parent) : QWidget(parent) {}

bool CSash::Create(CDlgBar* pane, int id, int orientation, float value) {
    if (pane == nullptr)
        return false;
    m_pane = pane;
    m_orientation = orientation;
    m_value = value;
    m_tracking = false;
    setParent(pane);
    setObjectName(QStringLiteral("sash%1").arg(id));
    setCursor(orientation == 0 ? Qt::SplitHCursor : Qt::SplitVCursor);
    setAccessibleName(orientation == 0 ? QStringLiteral("Séparateur de l'arborescence")
                                       : QStringLiteral("Séparateur de l'annotation"));
    setAccessibleDescription(orientation == 0
                                 ? QStringLiteral("Faites-le glisser pour élargir ou rétrécir "
                                                  "l'arborescence")
                                 : QStringLiteral("Faites-le glisser pour agrandir ou réduire "
                                                  "le volet d'annotation"));
    setGeometry(0, 0, 2, 2);
    show();
    raise();
    return true;
}

void CSash::placeInPane(int paneWidth, int paneHeight) {
    if (m_orientation == 0)
        setGeometry(paneWidth - 6, 0, kThickness, paneHeight);
    else
        setGeometry(0, 1, paneWidth, kThickness);
    raise();
}

bool CSash::widthFraction(int pointerX, int minX, int maxX, float& value) {
    if (maxX - minX <= 0)
        return false;
    value = static_cast<float>(pointerX - minX + 6) / static_cast<float>(maxX - minX);
    return true;
}

bool CSash::heightPixels(int pointerY, int minY, int maxY, float& value) {
    if (maxY - minY + 2 <= 0)
        return false;
    value = static_cast<float>(maxY - pointerY + 1);
    return true;
}

void CSash::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Button));
    // The light edge of a raised bar: white on a light palette, a shade
    // above the bars on a dark one.
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(1, 0, 1, height());
}

void CSash::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || m_pane == nullptr) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_paneRect = QRect(m_pane->mapToGlobal(QPoint(0, 0)), m_pane->size());
    QMainWindow* frame = m_pane->mainFrame();
    if (frame != nullptr) {
        const QPoint topLeft = frame->mapToGlobal(QPoint(0, 0));
        m_minX = topLeft.x() + 1;
        m_maxX = topLeft.x() + frame->width() - 1;
        // The vertical range runs from the outline pane's top to the
        // annotation pane's bottom.
        const QWidget* outline =
            frame->findChild<QWidget*>(CDlgBar::objectNameOf(CDlgBar::kOutlineBarId));
        const QWidget* annotation =
            frame->findChild<QWidget*>(CDlgBar::objectNameOf(CDlgBar::kAnnotationBarId));
        m_minY = (outline ? outline->mapToGlobal(QPoint(0, 0)).y() : topLeft.y()) + 1;
        m_maxY = (annotation ? annotation->mapToGlobal(QPoint(0, annotation->height())).y()
                             : topLeft.y() + frame->height()) -
                 1;
    }
    m_tracking = true;
    m_last = event->globalPosition().toPoint();
    showMark(m_last);
    grabMouse();
}

void CSash::mouseMoveEvent(QMouseEvent* event) {
    if (!m_tracking) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    const QPoint p = event->globalPosition().toPoint();
    const bool moved = m_orientation == 0 ? p.x() != m_last.x() : p.y() != m_last.y();
    if (moved) {
        m_last = p;
        showMark(p);
    }
}

void CSash::showMark(QPoint globalPoint) {
    QWidget* host =
        m_pane && m_pane->mainFrame() ? static_cast<QWidget*>(m_pane->mainFrame()) : window();
    if (m_mark == nullptr)
        m_mark = new QRubberBand(QRubberBand::Line, host);
    QRect r;
    if (m_orientation == 0) {
        const int x = std::clamp(globalPoint.x(), m_minX, std::max(m_minX, m_maxX));
        r = QRect(x - 1, m_paneRect.top(), kThickness, m_paneRect.height() - 2);
    } else {
        const int y = std::clamp(globalPoint.y(), m_minY, std::max(m_minY, m_maxY));
        r = QRect(m_paneRect.left(), y - 1, m_paneRect.width() - 2, kThickness);
    }
    m_mark->setGeometry(QRect(host->mapFromGlobal(r.topLeft()), r.size()));
    m_mark->show();
}

void CSash::mouseReleaseEvent(QMouseEvent* event) {
    if (!m_tracking) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    m_tracking = false;
    if (m_mark != nullptr)
        m_mark->hide();
    releaseMouse();
    const QPoint p = event->globalPosition().toPoint();
    const bool changed = m_orientation == 0 ? widthFraction(p.x(), m_minX, m_maxX, m_value)
                                            : heightPixels(p.y(), m_minY, m_maxY, m_value);
    if (!changed || m_pane == nullptr)
        return;
    m_pane->updateSize();
    if (QMainWindow* frame = m_pane->mainFrame())
        QMetaObject::invokeMethod(frame, "RecalcLayout");
}

} // namespace tolvane
