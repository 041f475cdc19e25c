// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAccessibleInterface>
#include <QPointer>

class QAction;
class QWidget;

namespace tolvane {

// What assistive technologies see of an item of a menu or of the menu bar:
// Qt's own item, with the description Qt leaves out, which is the prompt the
// status bar shows for the command (or, for a menu's title, the menu's own
// description).
class MenuItemAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    MenuItemAccessible(QWidget* owner, QAction* action);

    // Installs the factory that gives the items of every menu and menu bar
    // this interface; later calls do nothing.
    static void install();

    bool isValid() const override;
    QObject* object() const override;
    QWindow* window() const override;
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int index) const override;
    int childCount() const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QString text(QAccessible::Text type) const override;
    void setText(QAccessible::Text type, const QString& text) override;
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    QStringList actionNames() const override;
    void doAction(const QString& name) override;
    QStringList keyBindingsForAction(const QString& name) const override;

private:
    QPointer<QWidget> m_owner;
    QPointer<QAction> m_action;
};

} // namespace tolvane
