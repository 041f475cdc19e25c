// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/articles/ArticleRecords.h"
#include "core/stores/NavigationHistory.h"

#include <QCollator>
#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class QListWidget;
class QPushButton;

namespace tolvane {

class AppHooks;
struct SearchMatch;

// Which list a list window shows; fixed when the window is created.
enum ListMode {
    LISTMODE_HISTORY = 1,
    LISTMODE_RESULTS = 2,
    LISTMODE_BOOKMARKS = 3,
};

// The small modeless window with a list of article titles, in one of three
// modes: the navigation history (rows follow the history entries, newest
// first), the results of the last search and the bookmarks (both kept in
// ascending order of their text without regard to case). The list is the
// only store of the results and of the bookmarks while the program runs.
// From each list the user opens an article; the bookmarks window has
// buttons to open, rename and delete a row.
class CListWindow : public QDialog {
    Q_OBJECT

public:
    static constexpr int kWidth = 320;
    static constexpr int kHeight = 200;

    // The window belongs to parent (the main window) and acts through app.
    CListWindow(AppHooks& app, QWidget* parent);
    ~CListWindow() override;

    // Makes the window (hidden) for mode, placed by its mode, captioned and
    // filled; false for a mode that does not exist.
    bool CreateList(ListMode mode);
    bool isCreated() const { return m_bCreated; }
    ListMode mode() const { return m_nMode; }

    // A row in its sorted place, with the article attached.
    void AddRow(const std::string& text, ArticleNumber article);
    // Removes row i; the selection is cleared. False when there is no row i.
    bool removeRow(int i);
    // Gives row i a new text, moved to its sorted place, with the same
    // article; the selection is cleared. False when there is no row i.
    bool replaceRow(int i, const std::string& text);
    // The rows of a whole search at once, ending in the same state as one
    // AddRow per match but captioned once.
    void addRows(const std::vector<SearchMatch>& matches);
    // History rows: the article's title as row 0, without an article
    // attached; false before the window is created.
    bool InsertTopRow(ArticleNumber article);
    // False before creation or without rows.
    bool DeleteTopRow();
    void ClearRows();
    void SetQuery(const std::string& text, bool matchCase, bool wholeWord);
    void ShowList();

    int RowCount() const;
    std::string RowText(int i) const;
    ArticleNumber RowArticle(int i) const;
    int selectedRow() const;

    void UpdateButtons();
    void OpenSelected();
    // Selects the row after the selected one (direction 1; the first when
    // none is) or before it (-1; the last when none is) and opens it; false
    // when there is no such row.
    bool openNeighbour(int direction);
    // Moves the window off the view's selection when it covers it.
    void keepOffSelection() { moveOffSelection(); }
    // The bookmarks window's rename and delete buttons act on the selected
    // row through the handlers the bookmarks code installs; without one they
    // do nothing.
    using RowAction = std::function<void(CListWindow& window, int row)>;
    void setRowActions(RowAction rename, RowAction remove);
    void RenameSelected();
    void DeleteSelected();
    // Rows that may be opened but neither renamed nor deleted: the buttons
    // stay disabled and the actions do nothing.
    void setRowsReadOnly(bool readOnly) { m_rowsReadOnly = readOnly; }
    bool rowsReadOnly() const { return m_rowsReadOnly; }

    const std::string& query() const { return m_strQuery; }
    bool queryMatchCase() const { return m_bQueryMatchCase; }
    bool queryWholeWord() const { return m_bQueryWholeWord; }
    QListWidget* listBox() const { return m_list; }

signals:
    // Shown or hidden: the commands' check marks follow it.
    void visibilityChanged(bool visible);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // Keeps the history window's rows paired with the history's entries.
    class HistoryRows : public HistoryObserver {
    public:
        explicit HistoryRows(CListWindow& window) : m_window(window) {}
        void InsertTopRow(ArticleNumber article) override { m_window.InsertTopRow(article); }
        void DeleteTopRow() override { m_window.DeleteTopRow(); }

    private:
        CListWindow& m_window;
    };

    int sortedRow(const QString& text) const;
    void insertRow(int row, const QString& text, ArticleNumber article, bool inNote = false);
    void updateCountCaption();
    void layoutControls();
    void moveOffSelection();

    QPushButton* m_renameButton = nullptr;
    QPushButton* m_showButton = nullptr;
    QPushButton* m_deleteButton = nullptr;
    ListMode m_nMode = LISTMODE_HISTORY;
    QString m_strCaption;
    std::string m_strQuery;
    bool m_bQueryMatchCase = false;
    bool m_bQueryWholeWord = false;
    bool m_bCreated = false;
    bool m_rowsReadOnly = false;

    AppHooks& m_app;
    QListWidget* m_list = nullptr;
    QCollator m_collator;
    RowAction m_renameAction;
    RowAction m_deleteAction;
    HistoryRows m_historyRows{*this};
};

} // namespace tolvane
