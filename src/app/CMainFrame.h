// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/articles/ArticleRecords.h"
#include "core/articles/ArticleStore.h"
#include "ui/base/CDlgBar.h"
#include "ui/base/ViewHooks.h"

#include <QHash>
#include <QIcon>
#include <QList>
#include <QMainWindow>

#include <memory>
#include <string>

class QLabel;
class QToolBar;

namespace tolvane {

class AnnotationHooks;
class AppServices;
class COutlineBar;
class CSash;
class CTolvaneApp;
class CTolvaneDoc;
class CTolvaneView;
class ReadingPlace;

// The main window: the article view in the middle, the toolbar, the status
// bar, the outline pane docked on the left and the annotation pane docked
// at the bottom (hidden at first). It owns the article index, runs the
// initial load once the window has first appeared, takes show-article
// requests from a second start, and saves the user's files when it closes.
class CMainFrame : public QMainWindow, public ViewHooks {
    Q_OBJECT

public:
    CMainFrame(CTolvaneApp& app, AppServices& services);
    ~CMainFrame() override;

    // Builds the bars and panes; false when one cannot be made.
    bool OnCreate();

    CTolvaneView* view() const { return m_view; }
    CTolvaneDoc* document() const { return m_doc; }
    ArticleIndex& index() { return m_index; }
    ArticleStore& store() { return m_store; }
    COutlineBar* outlineBar() const { return m_outlineBar; }
    CDlgBar* annotationBar() const { return m_annotationBar; }
    QToolBar* toolBar() const { return m_toolBar; }

    // The annotation pane, once one is attached (not owned).
    void setAnnotationHooks(AnnotationHooks* hooks) { m_annotations = hooks; }

    bool SaveArticleAnnotation(ArticleNumber article) override;
    bool LoadArticleAnnotation(ArticleNumber article) override;
    void setCaption(const QString& caption) override { setWindowTitle(caption); }
    void UpdateAnnotationButton(bool hasText);
    bool annotationButtonShowsText() const { return m_annotationShown; }

    // The command's action (menu item, button and shortcut share it).
    QAction* action(int id) const override { return m_actions.value(id); }
    // Enables and checks the commands by their update rules.
    void updateCommandStates() override;

    // The outline pane's width update, then the annotation pane's height
    // update, as after a resize.
    Q_INVOKABLE void RecalcLayout();

    // The initial load: outline, index, then the start article or article 1.
    // It runs once: later calls return at once.
    void onInitialLoad();
    bool initialLoadDone() const { return m_loadState == LoadState::Done; }
    bool initialLoadRunning() const { return m_loadState == LoadState::Running; }
    // Runs the initial load now unless it has started already.
    void ensureInitialLoad();
    // Gives back the window, panes and text size the reader left this data
    // source with, kept in folder, and keeps the article for the resume
    // command; the place is written there again at close. Before the
    // window is shown.
    void restoreReadingPlace(const std::string& folder);
    ReadingPlace* readingPlace() const { return m_readingPlace.get(); }
    // A second start asked for article number.
    void onShowArticleRequest(ArticleNumber number);
    // Prints the article through the print dialog.
    void onPrint();
    // Shows the article's pages as onPrint prints them.
    void onPrintPreview();
    // The panes F6 moves through, in order: the outline tree, the article
    // view, the annotation text while its pane is shown.
    QList<QWidget*> panes() const;
    // Gives the keyboard focus to the next pane (direction 1) or the
    // previous one (-1), around the end.
    void focusPane(int direction);

signals:
    void initialLoadFinished();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* makeAction(int id, const QString& text);
    void createActions();
    void createMenus();
    bool createToolBar();
    void createStatusBar();
    bool createPanes();
    void updateOutlineWidth();
    void updateAnnotationHeight();
    void LoadOutline();
    void SyncArticle(ArticleNumber article);

    CTolvaneApp& m_app;
    AppServices& m_services;
    ArticleIndex m_index;
    ArticleStore m_store;
    CDlgBar* m_annotationBar = nullptr;
    COutlineBar* m_outlineBar = nullptr;
    QToolBar* m_toolBar = nullptr;
    QIcon m_noAnnotationIcon;
    QIcon m_annotationIcon;
    bool m_annotationShown = false;
    CTolvaneView* m_view = nullptr;
    CTolvaneDoc* m_doc = nullptr;
    AnnotationHooks* m_annotations = nullptr;
    QHash<int, QAction*> m_actions;
    QList<QLabel*> m_indicators;
    bool m_firstActivation = true;
    // What the status bar says between prompts.
    QString m_readyText;
    enum class LoadState { NotStarted, Running, Done };
    LoadState m_loadState = LoadState::NotStarted;
    // Only when the run remembers where the reader left off.
    std::unique_ptr<ReadingPlace> m_readingPlace;
};

} // namespace tolvane
