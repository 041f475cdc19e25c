// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/base/CDlgBar.h"

#include <QAccessibleWidget>
#include <QHBoxLayout>
#include <QLayout>
#include <QMainWindow>
#include <QResizeEvent>

#include <algorithm>

namespace tolvane {

namespace {

// A docked pane is told to assistive technologies as a pane with the name
// and description the pane gives itself: Qt's own interface for a dock
// widget tells only its window title, and no description.
QAccessibleInterface* paneFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("tolvane::CDlgBar") && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Pane);
    return nullptr;
}

} // namespace

QString CDlgBar::objectNameOf(int barId) {
    return QStringLiteral("bar%1").arg(barId);
}

CDlgBar::CDlgBar(QWidget* parent) : QDockWidget(parent) {
    [[maybe_unused]] static const bool factoryInstalled =
        (QAccessible::installFactory(paneFactory), true);
    connect(this, &QDockWidget::topLevelChanged, this, &CDlgBar::onTopLevelChanged);
}

bool CDlgBar::Create(QMainWindow* parent, QSize templateSize, Qt::DockWidgetArea area, int barId,
                     bool changeDockedSize) {
    if (parent == nullptr)
        return false;
    m_mainFrame = parent;
    m_area = area;
    m_changeDockedSize = changeDockedSize;
    m_dockedSize = templateSize;
    m_floatingSize = templateSize;
    setObjectName(objectNameOf(barId));
    setParent(parent);
    // A dialog bar has no caption while docked and stays where it is docked.
    // The empty caption is a widget with an empty layout: a bare widget has
    // no size hint, which the dock's layout would add as a height of -1.
    auto* caption = new QWidget(this);
    auto* captionLayout = new QHBoxLayout(caption);
    captionLayout->setContentsMargins(0, 0, 0, 0);
    setTitleBarWidget(caption);
    setFeatures(QDockWidget::NoDockWidgetFeatures);
    setAllowedAreas(area);
    parent->addDockWidget(area, this);
    applyDockedSize();
    return true;
}

void CDlgBar::setDockedSize(QSize size) {
    m_dockedSize = size;
    applyDockedSize();
}

void CDlgBar::applyDockedSize() {
    if (isFloating())
        return;
    const int wanted = horizontalBar() ? m_dockedSize.height() : m_dockedSize.width();
    holdExtent(std::max(0, std::min(wanted, roomInFrame())));
}

void CDlgBar::holdExtent(int extent) {
    if (horizontalBar()) {
        setMinimumSize(0, extent);
        setMaximumSize(QWIDGETSIZE_MAX, extent);
    } else {
        setMinimumSize(extent, 0);
        setMaximumSize(extent, QWIDGETSIZE_MAX);
    }
    m_heldExtent = extent;
    updateGeometry();
}

int CDlgBar::roomInFrame() {
    // A held extent is a minimum the frame's layout must honour: one larger
    // than the frame can give would make the frame grow to fit it, and the
    // frame's next resize would ask for more again.
    QLayout* layout = m_mainFrame != nullptr ? m_mainFrame->layout() : nullptr;
    if (layout == nullptr || !isVisibleTo(m_mainFrame))
        return QWIDGETSIZE_MAX;
    const int frameExtent = horizontalBar() ? m_mainFrame->height() : m_mainFrame->width();
    // Held at the frame's whole extent, the pane makes the layout ask for
    // that much plus what the rest needs beside it along the same axis
    // (separator, menu, tool and status bars, the view's minimum).
    holdExtent(frameExtent);
    const QSize minimum = layout->totalMinimumSize();
    const int beside = (horizontalBar() ? minimum.height() : minimum.width()) - frameExtent;
    return frameExtent - std::max(0, beside);
}

void CDlgBar::onTopLevelChanged(bool floating) {
    if (floating) {
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        resize(m_floatingSize);
    } else {
        applyDockedSize();
    }
}

QSize CDlgBar::sizeHint() const {
    if (isFloating())
        return m_floatingSize;
    // The size the frame can give, not more: a larger hint would only make
    // the frame ask for a larger window.
    return horizontalBar() ? QSize(m_dockedSize.width(), m_heldExtent)
                           : QSize(m_heldExtent, m_dockedSize.height());
}

void CDlgBar::resizeEvent(QResizeEvent* event) {
    QDockWidget::resizeEvent(event);
    if (!isFloating())
        return;
    // A floating pane resized by the user keeps that size, and with the flag
    // set its docked size follows along the pane's length.
    m_floatingSize = event->size();
    if (m_changeDockedSize) {
        if (horizontalBar())
            m_dockedSize.setHeight(event->size().height());
        else
            m_dockedSize.setWidth(event->size().width());
    }
}

} // namespace tolvane
