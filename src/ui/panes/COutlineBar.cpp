// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panes/COutlineBar.h"

#include "core/startup/DataSourceLocation.h"
#include "ui/base/AppServices.h"
#include "ui/base/CSash.h"
#include "ui/base/QtText.h"

#include <QMainWindow>
#include <QMouseEvent>
#include <QResizeEvent>

#include <algorithm>

namespace tolvane {

COutlineBar::COutlineBar(QMainWindow* mainFrame, AppServices& services)
    : CDlgBar(mainFrame), m_mainFrame(mainFrame), m_services(services),
      m_content(new QWidget(this)), m_tree(new OutlineTree(m_content)) {
    m_tree->setObjectName(QStringLiteral("tree1003"));
    setWindowTitle(QStringLiteral("Arborescence"));
    setAccessibleName(QStringLiteral("Volet de l'arborescence"));
    setAccessibleDescription(QStringLiteral("Plan de la source de données"));
    m_tree->setAccessibleName(QStringLiteral("Arborescence des articles"));
    m_tree->setAccessibleDescription(
        QStringLiteral("Plan des articles : double-clic, Entrée ou Espace affiche l'article "
                       "du nœud choisi"));
    m_tree->move(kTreeMargin, kTreeMargin);
    setWidget(m_content);
    connect(m_tree, &OutlineTree::minimizeRequested, this, [this] {
        if (m_mainFrame != nullptr)
            m_mainFrame->showMinimized();
    });
}

bool COutlineBar::Create() {
    if (!CDlgBar::Create(m_mainFrame, QSize(kTemplateWidth, kTemplateHeight),
                         Qt::LeftDockWidgetArea, kOutlineBarId, true))
        return false;
    m_sash = newSash();
    if (m_sash == nullptr || !m_sash->Create(this, kSashId, 0, kInitialSashValue)) {
        delete m_sash;
        m_sash = nullptr;
        m_services.MessageBox(m_mainFrame, m_services.windowTitle(),
                              QStringLiteral("Error creating staticbar"), QMessageBox::Warning);
    }
    return true;
}

CSash* COutlineBar::newSash() {
    return new CSash(this);
}

int COutlineBar::paneWidth(float sashValue, int clientWidth) {
    const float product = sashValue * static_cast<float>(clientWidth);
    // Compared before the conversion, so that no value can overflow an int.
    int w = kMinWidth;
    if (product >= static_cast<float>(clientWidth))
        w = clientWidth;
    else if (product > static_cast<float>(kMinWidth))
        w = static_cast<int>(product);
    if (w <= kMinWidth)
        w = kMinWidth;
    if (w >= clientWidth)
        w = clientWidth;
    return w;
}

void COutlineBar::updateSize() {
    if (m_mainFrame == nullptr)
        return;
    const float value = m_sash != nullptr ? m_sash->value() : kInitialSashValue;
    const QWidget* view = m_mainFrame->centralWidget();
    const int height = view != nullptr ? view->height() : m_mainFrame->height();
    setDockedSize(QSize(paneWidth(value, m_mainFrame->width()), height));
}

void COutlineBar::resizeEvent(QResizeEvent* event) {
    CDlgBar::resizeEvent(event);
    if (isFloating())
        return;
    const int cx = event->size().width();
    const int cy = event->size().height();
    const int m = m_tree->x();
    m_tree->resize(std::max(0, cx - m - std::max(2 * m, 4)), std::max(0, cy - 2 * m));
    if (m_sash != nullptr)
        m_sash->placeInPane(cx, cy);
}

void COutlineBar::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

void COutlineBar::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
}

} // namespace tolvane
