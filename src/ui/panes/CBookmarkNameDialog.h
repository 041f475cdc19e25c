// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;

namespace tolvane {

// The modal dialog that asks for a bookmark's name: "Nom du signet :", an
// edit field (object name "edit1022") holding the proposed name, "&Valider"
// (the default button) and "&Annuler". The caller gives the caption:
// "Ajouter un signet" or "Renommer le signet". Activating it closes the
// open popup window, as every dialog of the application does.
class CBookmarkNameDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int kEditId = 1022;

    CBookmarkNameDialog(const QString& caption, const QString& name, QWidget* parent = nullptr);

    // The name as edited, once the dialog has been validated.
    QString name() const { return m_strName; }

    void accept() override;

private:
    QString m_strName;
    QLineEdit* m_edit;
};

} // namespace tolvane
