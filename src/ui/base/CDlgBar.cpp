#include "ui/base/CDlgBar.h"

#include <QAccessibleWidget>
#include <QHBoxLayout>
#include <QMainWindow>
#include <QResizeEvent>

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

CDlgBar::CDlgBar(QWidget* parent) : QDockWidget(parent) {
    static bool factoryInstalled = false;
    if (!factoryInstalled) {
        factoryInstalled = true;
        QAccessible::installFactory(paneFactory);
    }
    connect(this, &QDockWidget::topLevelChanged, this, &CDlgBar::onTopLevelChanged);
}

bool CDlgBar::Create(QMainWindow* parent, QSize templateSize, Qt::DockWidgetArea area, int barId,
                     bool changeDockedSize) {
    if (parent == nullptr)
        return false;
    m_mainFrame = parent;
    m_area = area;
    m_bChangeDockedSize = changeDockedSize;
    m_sizeDocked = templateSize;
    m_sizeFloating = templateSize;
    setObjectName(QStringLiteral("bar%1").arg(barId));
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

void CDlgBar::SetDockedSize(QSize size) {
    m_sizeDocked = size;
    applyDockedSize();
}

void CDlgBar::applyDockedSize() {
    if (isFloating())
        return;
    if (horizontalBar()) {
        setMinimumSize(0, m_sizeDocked.height());
        setMaximumSize(QWIDGETSIZE_MAX, m_sizeDocked.height());
    } else {
        setMinimumSize(m_sizeDocked.width(), 0);
        setMaximumSize(m_sizeDocked.width(), QWIDGETSIZE_MAX);
    }
    updateGeometry();
}

void CDlgBar::onTopLevelChanged(bool floating) {
    if (floating) {
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        resize(m_sizeFloating);
    } else {
        applyDockedSize();
    }
}

QSize CDlgBar::sizeHint() const {
    return isFloating() ? m_sizeFloating : m_sizeDocked;
}

void CDlgBar::resizeEvent(QResizeEvent* event) {
    QDockWidget::resizeEvent(event);
    if (!isFloating())
        return;
    // A floating pane resized by the user keeps that size, and with the flag
    // set its docked size follows along the pane's length.
    m_sizeFloating = event->size();
    if (m_bChangeDockedSize) {
        if (horizontalBar())
            m_sizeDocked.setHeight(event->size().height());
        else
            m_sizeDocked.setWidth(event->size().width());
    }
}

} // namespace tolvane
