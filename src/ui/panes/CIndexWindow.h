// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/articles/KeywordIndex.h"

#include <QDialog>
#include <QPointer>

#include <string>

class QLabel;
class QLineEdit;
class QListView;
class QListWidget;
class QPushButton;

namespace tolvane {

class AppHooks;
class KeywordListModel;

// The modeless window of the keyword index: a field where the reader types
// the start of a keyword, the keywords in French order below it, and a
// button that shows the chosen keyword's article. Each keystroke selects
// the first keyword that starts with the typed text (case aside, accents as
// typed). A keyword of several articles first asks which one, in a small
// list of their titles. A data source without an index says so instead.
class CIndexWindow : public QDialog {
    Q_OBJECT

public:
    // The window belongs to parent (the main window) and acts through app;
    // it starts empty, as for a data source without an index.
    CIndexWindow(AppHooks& app, QWidget* parent);

    // Reads the keyword index at path (the data source's .PGK) into the
    // list; what it could read is listed even from a damaged file.
    KeywordIndex::ReadStatus LoadIndex(const std::string& path);
    void setKeywords(KeywordIndex keywords, KeywordIndex::ReadStatus status);
    const KeywordIndex& keywords() const;

    // Selects the keyword the typed text leads to (the type-ahead of the
    // field); true when one starts with it.
    bool selectTyped(const QString& text);
    int selectedRow() const;
    // Shows the selected keyword's article, or asks which of its articles.
    void OpenSelected();

    QLineEdit* keywordEdit() const { return m_edit; }
    QListView* keywordList() const { return m_list; }
    QLabel* statusLabel() const { return m_status; }
    // The list of a keyword's articles while it is open, else null.
    QDialog* choiceDialog() const { return m_choice; }

signals:
    // Shown or hidden: the command's check mark follows it.
    void visibilityChanged(bool visible);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void showChoice(const KeywordEntry& entry);

    AppHooks& m_app;
    // Children of the window, made by the constructor in this order.
    QLineEdit* const m_edit;
    QListView* const m_list;
    KeywordListModel* const m_model;
    QLabel* const m_status;
    QPushButton* const m_showButton;
    QPointer<QDialog> m_choice;
};

} // namespace tolvane
