#include "CAboutDlg.h"

#include "display/CPopupWnd.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QVBoxLayout>

namespace tolvane {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("aboutBox"));
    setWindowTitle(QStringLiteral("A propos de VEK-Info"));
    auto* icon = new QLabel(this);
    icon->setPixmap(QIcon(QStringLiteral(":/icons/tolvane.svg")).pixmap(48, 48));
    icon->setAlignment(Qt::AlignTop);
    auto* name = new QLabel(QStringLiteral("VEK Mirovale version 1.2"), this);
    name->setObjectName(QStringLiteral("versionLine"));
    auto* about = new QLabel(
        QStringLiteral("Visionneuse d'aide hypertexte pour Linux, construite avec Qt."), this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->addWidget(name);
    texts->addWidget(about);
    texts->addStretch();
    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addSpacing(12);
    row->addLayout(texts);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    setSizeGripEnabled(false);
}

void CAboutDlg::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange)
        CPopupWnd::ClosePopup();
    QDialog::changeEvent(event);
}

} // namespace tolvane
