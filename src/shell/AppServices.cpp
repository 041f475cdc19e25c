#include "AppServices.h"

#include <QCoreApplication>

namespace tolvane {

QMessageBox::StandardButton AppServices::MessageBox(QWidget* owner, const QString& caption,
                                                    const QString& text, QMessageBox::Icon icon) {
    QMessageBox box(icon, caption, text, QMessageBox::Ok, owner);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void AppServices::PumpMessages() {
    // A second start's request waits until the load that pumps is over: it
    // would otherwise act on a half-loaded index.
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::ExcludeSocketNotifiers);
}

} // namespace tolvane
