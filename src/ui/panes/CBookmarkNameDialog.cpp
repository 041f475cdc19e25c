// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panes/CBookmarkNameDialog.h"

#include <QDialogButtonBox>
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
    setAccessibleName(caption);
    setAccessibleDescription(QStringLiteral("Demande le nom du signet"));
    auto* label = new QLabel(QStringLiteral("&Nom du signet :"), this);
    label->setObjectName(QStringLiteral("nameLabel"));
    m_edit = new QLineEdit(m_strName, this);
    m_edit->setObjectName(QStringLiteral("edit%1").arg(kEditId));
    label->setBuddy(m_edit);
    label->setAccessibleName(QStringLiteral("Nom du signet"));
    label->setAccessibleDescription(QStringLiteral("Étiquette du champ du nom"));
    m_edit->setAccessibleName(QStringLiteral("Nom du signet"));
    m_edit->setAccessibleDescription(QStringLiteral("Le nom sous lequel le signet est rangé"));
    layout->addWidget(label);
    layout->addWidget(m_edit);

    auto* buttons = new QDialogButtonBox(this);
    buttons->setAccessibleName(QStringLiteral("Boutons"));
    buttons->setAccessibleDescription(QStringLiteral("Valider ou annuler le nom"));
    QPushButton* ok = buttons->addButton(QStringLiteral("&Valider"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("button1"));
    ok->setDefault(true);
    ok->setAccessibleName(QStringLiteral("Valider"));
    ok->setAccessibleDescription(QStringLiteral("Enregistre le signet sous ce nom"));
    QPushButton* cancel =
        buttons->addButton(QStringLiteral("&Annuler"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("button2"));
    cancel->setAccessibleName(QStringLiteral("Annuler"));
    cancel->setAccessibleDescription(QStringLiteral("Ferme la fenêtre sans rien changer"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    setTabOrder(m_edit, ok);
    setTabOrder(ok, cancel);
    // The template's 184 × 50 dialog units.
    resize(276, 81);
    m_edit->selectAll();
    m_edit->setFocus();
}

void CBookmarkNameDialog::accept() {
    m_strName = m_edit->text();
    QDialog::accept();
}

} // namespace tolvane
