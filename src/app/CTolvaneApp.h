// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/articles/ArticleRecords.h"
#include "core/startup/StartupSettings.h"
#include "core/stores/NavigationHistory.h"
#include "ui/base/AppHooks.h"

#include <QMessageBox>
#include <QObject>
#include <QPointer>

#include <memory>
#include <string>
#include <utility>
#include <vector>

class QTranslator;

namespace tolvane {

class AppServices;
class CFindDialog;
class CIndexWindow;
class CListWindow;
class CMainFrame;
class FileLock;
class InstanceChannel;
struct InstanceMessage;

// The application object: start-up in its fixed order, the single-instance
// rule, the navigation history and the application's commands. It lives
// for the whole run; the main window is created by InitInstance.
class CTolvaneApp : public QObject, public AppHooks {
    Q_OBJECT

public:
    explicit CTolvaneApp(AppServices& services, QObject* parent = nullptr);
    ~CTolvaneApp() override;

    // The start-up sequence. args: the command-line tokens after the program
    // name as native strings; exePath: the executable's native path. False
    // ends the process before the event loop.
    bool InitInstance(const std::vector<std::string>& args, const std::string& exePath);
    // Stops listening for second starts and closes the main window; returns
    // the process's exit status: 1 after a failed start (no data source, no
    // window), else 0.
    int ExitInstance();
    // Hands the request of this start to a running instance of the same
    // class name; true when there is none (start-up goes on).
    bool ActivateRunningInstance();
    // Another run holds the user base: annotations and bookmarks are shown
    // but neither changed nor written.
    bool userFilesReadOnly() const { return m_userFilesReadOnly; }

    // Remembers between runs where the reader left each data source, in
    // folder (the user's configuration folder); nothing is remembered
    // without it. Before InitInstance.
    void setReadingStateFolder(std::string folder) { m_readingStateFolder = std::move(folder); }

    // Shows an article in the main window's view.
    bool ShowArticle(ArticleNumber number, int position) override;
    void GoBack();
    void GoHome();
    bool CanGoBack() const { return m_history.CanGoBack(); }
    // Shows again the article the last Back step left, where it was left.
    void GoForward();
    bool CanGoForward() const { return m_history.CanGoForward(); }
    // Writes the bookmarks window's rows to the bookmark file; a failure is
    // reported and leaves the old file whole.
    void SaveBookmarks();
    // Command 32789: names a bookmark for the article on screen.
    void AddBookmark();
    // Command 32793: shows or hides the annotation pane.
    void onAnnotation();
    void onAbout();

    // A message box captioned with the window title, owned by the main
    // window once it exists.
    QMessageBox::StandardButton AppMessageBox(const QString& text, QMessageBox::Icon icon) override;

    NavigationHistory& history() override { return m_history; }
    // The settings of this run, made by InitInstance.
    const StartupSettings& settings() const { return m_settings; }
    CMainFrame* mainFrame() const { return m_frame.get(); }
    InstanceChannel* channel() const { return m_channel.get(); }

    // The find window and the three list windows: made hidden at start-up,
    // then shown and hidden by their commands, whose check marks follow
    // them.
    bool createSecondaryWindows();
    void onFind();
    void onHistory();
    void onBookmarks();
    void onResults();
    CFindDialog* findDialog() const;
    CListWindow* historyWindow() const;
    CListWindow* resultsWindow() const;
    CListWindow* bookmarksWindow() const;
    // The keyword index window, made and filled from the data source's .PGK
    // the first time its command is given.
    void onIndex();
    CIndexWindow* indexWindow() const;

    // Searches every article (text in Windows-1252), and with inNotes the
    // annotations as the pane holds them (the text being typed included;
    // nothing is committed or written), and fills the results window,
    // showing it when something matched.
    bool SearchArticles(const std::string& text, bool matchCase, bool wholeWord, bool inTitle,
                        bool inText, bool inNotes = false) override;
    // Selects the next occurrence of text in the view from its selection;
    // the start of the occurrence or -1.
    int HighlightQuery(const std::string& text, bool matchCase, bool wholeWord) override;
    int FindInArticle(const std::u16string& text, bool matchCase, bool wholeWord,
                      bool fromStart) override;
    // F3 (direction 1) and Shift+F3 (-1): the next or previous marked
    // occurrence of the last search in the article, else the next or
    // previous article of the results window with its first (or last)
    // occurrence, else "La recherche est terminée.". Nothing before any
    // search has found something.
    void stepSearchHit(int direction);
    std::optional<QPoint> selectionScreenPoint() const override;
    std::string articleTitle(ArticleNumber number) override;
    QWidget* mainWindow() const override;
    QString iconPath(const QString& name) const override;
    // Reads the bookmark file into the bookmarks window (as it is made).
    void LoadBookmarks() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void handleInstanceRequest(const InstanceMessage& message);
    void showHistoryStep(const std::optional<HistoryEntry>& entry);
    // Takes the lock of the user base for the run; false when another run
    // has it.
    bool lockUserFiles();
    void loadTranslations();
    CListWindow* createListWindow(int mode);
    bool createFindDialog();
    void toggleListWindow(QPointer<CListWindow>& window, int mode);
    void followVisibility(QObject* window, int command);
    void connectNotesCommands();
    // The bookmarks window's "&Renommer" and "&Supprimer" on a row.
    void renameBookmark(CListWindow& list, int row);
    void deleteBookmark(CListWindow& list, int row);

    AppServices& m_services;
    StartupSettings m_settings;
    NavigationHistory m_history;
    std::unique_ptr<CMainFrame> m_frame;
    std::unique_ptr<InstanceChannel> m_channel;
    std::unique_ptr<QTranslator> m_translator;
    // Held from start-up to ExitInstance, after the last write of the close.
    std::unique_ptr<FileLock> m_userFilesLock;
    bool m_userFilesReadOnly = false;
    std::string m_readingStateFolder;
    int m_exitCode = 0;
    // The bookmark file held bytes its rows do not account for.
    bool m_bookmarkFileDamaged = false;
    // Owned by the main window, so they go with it.
    QPointer<CFindDialog> m_findDialog;
    QPointer<CListWindow> m_historyWindow;
    QPointer<CListWindow> m_resultsWindow;
    QPointer<CListWindow> m_bookmarksWindow;
    QPointer<CIndexWindow> m_indexWindow;
};

} // namespace tolvane
