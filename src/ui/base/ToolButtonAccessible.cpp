// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/base/ToolButtonAccessible.h"

#include <QToolButton>

namespace tolvane {

namespace {

QAccessibleInterface* toolButtonFactory(const QString& className, QObject* object) {
    // Only the plain class: the toolbar's overflow button and the other
    // kinds keep Qt's interface.
    if (className != QLatin1String("QToolButton") ||
        qstrcmp(object->metaObject()->className(), "QToolButton") != 0)
        return nullptr;
    auto* button = qobject_cast<QToolButton*>(object);
    if (button == nullptr || button->menu() != nullptr)
        return nullptr;
    return new ToolButtonAccessible(button);
}

} // namespace

ToolButtonAccessible::ToolButtonAccessible(QToolButton* button)
    : QAccessibleWidget(button, QAccessible::Button) {}

void ToolButtonAccessible::install() {
    // Once per process, however many windows ask.
    [[maybe_unused]] static const bool installed =
        (QAccessible::installFactory(toolButtonFactory), true);
}

QToolButton* ToolButtonAccessible::button() const {
    return static_cast<QToolButton*>(widget());
}

QAccessible::Role ToolButtonAccessible::role() const {
    return button()->isCheckable() ? QAccessible::CheckBox : QAccessible::Button;
}

QAccessible::State ToolButtonAccessible::state() const {
    QAccessible::State s = QAccessibleWidget::state();
    s.checkable = button()->isCheckable();
    s.checked = button()->isChecked();
    s.pressed = button()->isDown();
    return s;
}

QString ToolButtonAccessible::text(QAccessible::Text type) const {
    QString text = QAccessibleWidget::text(type);
    if (type == QAccessible::Name && text.isEmpty())
        text = button()->toolTip().isEmpty() ? button()->text() : button()->toolTip();
    return text;
}

QStringList ToolButtonAccessible::actionNames() const {
    QStringList names;
    if (button()->isEnabled())
        names << (button()->isCheckable() ? toggleAction() : pressAction());
    return names + QAccessibleWidget::actionNames();
}

void ToolButtonAccessible::doAction(const QString& name) {
    if (name == pressAction() || name == toggleAction()) {
        // A click, which runs the button's command.
        if (button()->isEnabled())
            button()->click();
        return;
    }
    QAccessibleWidget::doAction(name);
}

} // namespace tolvane
