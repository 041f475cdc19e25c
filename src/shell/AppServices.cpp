#include "AppServices.h"

#include <QCoreApplication>

namespace tolvane {

QMessageBox::StandardButton AppServices::MessageBox(QWidget* owner, const QString& caption,
                                                    const QString& text, QMessageBox::Icon icon) {
    QMessageBox box(icon, caption, text, QMessageBox::Ok, owner);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void AppServices::PumpMessages() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

} // namespace tolvane
