// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QPushButton;
class QRadioButton;

namespace tolvane {

class AppHooks;

// The find window: a modeless dialog, created hidden once and afterwards
// only shown and hidden, so that its text, its list of earlier texts and its
// options last for the whole run. It searches all articles (titles and/or
// texts, the results going to the results window) or the article on screen,
// with a find-next step there.
class CFindDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int kTextId = 1019;
    static constexpr int kAllArticlesId = 1012;
    static constexpr int kCurrentArticleId = 1013;
    static constexpr int kMatchCaseId = 1014;
    static constexpr int kInTitleId = 1015;
    static constexpr int kInTextId = 1016;
    static constexpr int kWholeWordId = 1017;
    static constexpr int kInNotesId = 1018;
    static constexpr int kSearchId = 4;
    static constexpr int kFindNextId = 3;
    static constexpr int kCancelId = 2;

    // The window belongs to parent (the main window) and searches through app.
    CFindDialog(AppHooks& app, QWidget* parent);
    ~CFindDialog() override;

    // Builds the controls in their first states, hidden.
    bool CreateFind();
    bool isCreated() const { return m_bCreated; }

    // The enabled state of the buttons and check boxes, from the text, the
    // scope, the title and text boxes and the last find in the article.
    void UpdateControls();
    // "&Chercher": the text goes to the top of the list of earlier texts,
    // then all articles or the current article are searched.
    void OnSearch();
    // "&Suivant": the next occurrence in the article after the selection.
    void OnFindNext();
    void SearchAllArticles();
    void SearchCurrentArticle();

    bool canFindNext() const { return m_bCanFindNext; }
    // The earlier texts, most recent first.
    QStringList historyTexts() const;

signals:
    // Shown or hidden: the find command's check mark follows it.
    void visibilityChanged(bool visible);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QString editText() const;
    void rememberText(const QString& text);

    AppHooks& m_app;
    QComboBox* m_combo = nullptr;
    QRadioButton* m_allArticles = nullptr;
    QRadioButton* m_currentArticle = nullptr;
    QCheckBox* m_matchCase = nullptr;
    QCheckBox* m_inTitle = nullptr;
    QCheckBox* m_inText = nullptr;
    QCheckBox* m_wholeWord = nullptr;
    QCheckBox* m_inNotes = nullptr;
    QPushButton* m_search = nullptr;
    QPushButton* m_findNext = nullptr;
    QPushButton* m_cancel = nullptr;
    // The entry the user picked in the list part, until the next edit.
    int m_listSelection = -1;
    bool m_bCanFindNext = false;
    bool m_bCreated = false;
};

} // namespace tolvane
