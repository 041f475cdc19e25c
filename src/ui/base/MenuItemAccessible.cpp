// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/base/MenuItemAccessible.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QWindow>

namespace tolvane {

namespace {

// The text without its mnemonic marks ("&&" stays one '&').
QString withoutMnemonic(const QString& text) {
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('&') && i + 1 < text.size())
            ++i;
        plain += text.at(i);
    }
    return plain;
}

// The menu or menu bar that shows the action.
QWidget* ownerOf(QAction* action) {
    for (QObject* object : action->associatedObjects()) {
        if (qobject_cast<QMenu*>(object) != nullptr || qobject_cast<QMenuBar*>(object) != nullptr)
            return static_cast<QWidget*>(object);
    }
    return nullptr;
}

QAccessibleInterface* menuItemFactory(const QString& className, QObject* object) {
    if (className != QLatin1String("QAction"))
        return nullptr;
    auto* action = qobject_cast<QAction*>(object);
    QWidget* owner = action != nullptr ? ownerOf(action) : nullptr;
    return owner != nullptr ? new MenuItemAccessible(owner, action) : nullptr;
}

} // namespace

MenuItemAccessible::MenuItemAccessible(QWidget* owner, QAction* action)
    : m_owner(owner), m_action(action) {}

void MenuItemAccessible::install() {
    // Once per process, however many windows ask.
    [[maybe_unused]] static const bool installed =
        (QAccessible::installFactory(menuItemFactory), true);
}

bool MenuItemAccessible::isValid() const {
    return !m_owner.isNull() && !m_action.isNull();
}

QObject* MenuItemAccessible::object() const {
    return m_action.data();
}

QWindow* MenuItemAccessible::window() const {
    if (m_owner.isNull())
        return nullptr;
    if (QWindow* own = m_owner->windowHandle())
        return own;
    const QWidget* native = m_owner->nativeParentWidget();
    return native != nullptr ? native->windowHandle() : nullptr;
}

QAccessibleInterface* MenuItemAccessible::parent() const {
    return QAccessible::queryAccessibleInterface(m_owner.data());
}

QAccessibleInterface* MenuItemAccessible::child(int index) const {
    if (index == 0 && isValid() && m_action->menu() != nullptr)
        return QAccessible::queryAccessibleInterface(m_action->menu());
    return nullptr;
}

int MenuItemAccessible::childCount() const {
    return isValid() && m_action->menu() != nullptr ? 1 : 0;
}

int MenuItemAccessible::indexOfChild(const QAccessibleInterface* child) const {
    return child != nullptr && childCount() == 1 && child->object() == m_action->menu() ? 0 : -1;
}

QAccessibleInterface* MenuItemAccessible::childAt(int x, int y) const {
    QAccessibleInterface* submenu = child(0);
    return submenu != nullptr && submenu->rect().contains(x, y) ? submenu : nullptr;
}

QString MenuItemAccessible::text(QAccessible::Text type) const {
    if (!isValid())
        return QString();
    switch (type) {
    case QAccessible::Name:
        return withoutMnemonic(m_action->text());
    case QAccessible::Description:
        if (!m_action->statusTip().isEmpty())
            return m_action->statusTip();
        return m_action->menu() != nullptr ? m_action->menu()->accessibleDescription() : QString();
    case QAccessible::Accelerator:
        return m_action->shortcut().toString(QKeySequence::NativeText);
    default:
        return QString();
    }
}

void MenuItemAccessible::setText(QAccessible::Text, const QString&) {}

QRect MenuItemAccessible::rect() const {
    if (!isValid())
        return QRect();
    QRect area;
    if (auto* menu = qobject_cast<QMenu*>(m_owner.data()))
        area = menu->actionGeometry(m_action);
    else if (auto* bar = qobject_cast<QMenuBar*>(m_owner.data()))
        area = bar->actionGeometry(m_action);
    return area.translated(m_owner->mapToGlobal(QPoint(0, 0)));
}

QAccessible::Role MenuItemAccessible::role() const {
    return isValid() && m_action->isSeparator() ? QAccessible::Separator : QAccessible::MenuItem;
}

QAccessible::State MenuItemAccessible::state() const {
    QAccessible::State s;
    if (!isValid()) {
        s.invalid = true;
        return s;
    }
    s.invisible = !m_owner->isVisible() || !m_action->isVisible();
    if (auto* menu = qobject_cast<QMenu*>(m_owner.data()))
        s.focused = menu->activeAction() == m_action;
    else if (auto* bar = qobject_cast<QMenuBar*>(m_owner.data()))
        s.focused = bar->activeAction() == m_action;
    s.focusable = !m_action->isSeparator();
    s.hotTracked = m_owner->style()->styleHint(QStyle::SH_Menu_MouseTracking, nullptr, m_owner);
    s.disabled = m_action->isSeparator() || !m_action->isEnabled();
    s.checkable = m_action->isCheckable();
    s.checked = m_action->isChecked();
    s.hasPopup = m_action->menu() != nullptr;
    return s;
}

void* MenuItemAccessible::interface_cast(QAccessible::InterfaceType type) {
    return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                : nullptr;
}

QStringList MenuItemAccessible::actionNames() const {
    if (!isValid() || m_action->isSeparator())
        return {};
    return {m_action->menu() != nullptr ? showMenuAction() : pressAction()};
}

void MenuItemAccessible::doAction(const QString& name) {
    if (!isValid() || !m_action->isEnabled())
        return;
    if (name == pressAction() && m_action->menu() == nullptr) {
        m_action->trigger();
    } else if (name == showMenuAction() && m_action->menu() != nullptr) {
        if (m_action->menu()->isVisible())
            m_action->menu()->hide();
        else if (auto* bar = qobject_cast<QMenuBar*>(m_owner.data()))
            bar->setActiveAction(m_action);
        else if (auto* menu = qobject_cast<QMenu*>(m_owner.data()))
            menu->setActiveAction(m_action);
    }
}

QStringList MenuItemAccessible::keyBindingsForAction(const QString& name) const {
    if (!isValid() || name != pressAction() || m_action->shortcut().isEmpty())
        return {};
    return {m_action->shortcut().toString(QKeySequence::NativeText)};
}

} // namespace tolvane
