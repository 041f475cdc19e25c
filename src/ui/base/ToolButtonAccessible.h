// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAccessibleWidget>

class QToolButton;

namespace tolvane {

// What assistive technologies see of a toolbar's button. Qt's own one turns
// a checkable button (those that show or hide a window) over without
// clicking it, so its command never runs; this one clicks it, for the
// toggle action as for the press action.
class ToolButtonAccessible : public QAccessibleWidget {
public:
    explicit ToolButtonAccessible(QToolButton* button);

    // Installs the factory that gives every plain tool button this
    // interface; later calls do nothing.
    static void install();

    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    QString text(QAccessible::Text type) const override;
    QStringList actionNames() const override;
    void doAction(const QString& name) override;

private:
    QToolButton* button() const;
};

} // namespace tolvane
