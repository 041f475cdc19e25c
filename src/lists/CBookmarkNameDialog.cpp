#include "CBookmarkNameDialog.h"

#include "display/CPopupWnd.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tolvane {

CBookmarkNameDialog::CBookmarkNameDialog(const QString& caption, const QString& name,
                                         QWidget* parent)
    : QDialog(parent), m_strName(name) {
    setObjectName(QStringLiteral("dialog162"));
    setWindowTitle(caption);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(QStringLiteral("Nom du signet :"), this);
    m_edit = new QLineEdit(m_strName, this);
    m_edit->setObjectName(QStringLiteral("edit%1").arg(kEditId));
    label->setBuddy(m_edit);
    layout->addWidget(label);
    layout->addWidget(m_edit);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("&Valider"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("button1"));
    ok->setDefault(true);
    QPushButton* cancel =
        buttons->addButton(QStringLiteral("&Annuler"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("button2"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    // The template's 184 × 50 dialog units.
    resize(276, 81);
    m_edit->selectAll();
    m_edit->setFocus();
}

void CBookmarkNameDialog::accept() {
    m_strName = m_edit->text();
    QDialog::accept();
}

void CBookmarkNameDialog::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        CPopupWnd::ClosePopup();
    QDialog::changeEvent(event);
}

} // namespace tolvane
