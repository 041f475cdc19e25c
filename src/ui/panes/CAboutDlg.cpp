// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panes/CAboutDlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tolvane {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("aboutBox"));
    setWindowTitle(QStringLiteral("A propos de VEK-Info"));
    setAccessibleName(QStringLiteral("A propos de VEK-Info"));
    setAccessibleDescription(QStringLiteral("Nom et version du programme"));
    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("aboutIcon"));
    // Drawn from its SVG at the screen's pixel ratio.
    icon->setPixmap(QIcon(QStringLiteral(":/icons/tolvane.svg"))
                        .pixmap(QSize(48, 48), icon->devicePixelRatioF()));
    icon->setAlignment(Qt::AlignTop);
    icon->setAccessibleName(QStringLiteral("Icône de VEK-Info"));
    icon->setAccessibleDescription(QStringLiteral("Icône du programme"));
    auto* name = new QLabel(QStringLiteral("VEK Mirovale version 1.2"), this);
    name->setObjectName(QStringLiteral("versionLine"));
    name->setAccessibleName(name->text());
    name->setAccessibleDescription(QStringLiteral("Nom et version du programme"));
    auto* about = new QLabel(
        QStringLiteral("Visionneuse d'aide hypertexte pour Linux, construite avec Qt."), this);
    about->setAccessibleName(about->text());
    about->setAccessibleDescription(QStringLiteral("Ce que fait le programme"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->setAccessibleName(QStringLiteral("Boutons"));
    buttons->setAccessibleDescription(QStringLiteral("Fermer la fenêtre"));
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setText(QStringLiteral("&OK"));
    ok->setAccessibleName(QStringLiteral("OK"));
    ok->setAccessibleDescription(QStringLiteral("Ferme cette fenêtre"));
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

} // namespace tolvane
