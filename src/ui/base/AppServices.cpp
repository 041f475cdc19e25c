// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/base/AppServices.h"

#include "core/common/FileOperations.h"
#include "ui/base/Theme.h"

#include <QAbstractButton>
#include <QCoreApplication>

namespace tolvane {

QMessageBox::StandardButton AppServices::MessageBox(QWidget* owner, const QString& caption,
                                                    const QString& text, QMessageBox::Icon icon) {
    QMessageBox box(icon, caption, text, QMessageBox::Ok, owner);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QMessageBox::StandardButton AppServices::question(QWidget* owner, const QString& caption,
                                                  const QString& text) {
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No,
                    owner);
    // The texts are given here so that they are French whatever translation
    // the system has.
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&Oui"));
    box.button(QMessageBox::No)->setText(QStringLiteral("&Non"));
    return box.exec() == QMessageBox::Yes ? QMessageBox::Yes : QMessageBox::No;
}

FileOperations& AppServices::Files() {
    return FileOperations::system();
}

QString AppServices::iconPath(const QString& name) const {
    return themedIconPath(name, m_darkIcons);
}

void AppServices::PumpMessages() {
    // A second start's request waits until the load that pumps is over: it
    // would otherwise act on a half-loaded index.
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::ExcludeSocketNotifiers);
}

} // namespace tolvane
