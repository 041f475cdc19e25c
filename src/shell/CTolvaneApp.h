#pragma once

#include "articles/ArticleRecords.h"
#include "lists/NavigationHistory.h"

#include <QMessageBox>
#include <QObject>

#include <memory>
#include <string>
#include <vector>

class QTranslator;

namespace tolvane {

class AppServices;
class BookmarkHooks;
class CMainFrame;
class InstanceChannel;
struct InstanceMessage;

// The application object: start-up in its fixed order, the single-instance
// rule, the navigation history and the application's commands. It lives
// for the whole run; the main window is created by InitInstance.
class CTolvaneApp : public QObject {
    Q_OBJECT

public:
    explicit CTolvaneApp(AppServices& services, QObject* parent = nullptr);
    ~CTolvaneApp() override;

    // The start-up sequence. args: the command-line tokens after the program
    // name as native strings; exePath: the executable's native path. False
    // ends the process before the event loop.
    bool InitInstance(const std::vector<std::string>& args, const std::string& exePath);
    // Stops listening for second starts and closes the main window.
    int ExitInstance();
    // Hands the request of this start to a running instance of the same
    // class name; true when there is none (start-up goes on).
    bool ActivateRunningInstance();

    // Shows an article in the main window's view.
    bool ShowArticle(ArticleNumber number, int position);
    void GoBack();
    void GoHome();
    bool CanGoBack() const { return m_history.CanGoBack(); }
    void SaveBookmarks();
    void OnAbout();

    // A message box captioned with the window title, owned by the main
    // window once it exists.
    QMessageBox::StandardButton AppMessageBox(const QString& text, QMessageBox::Icon icon);

    NavigationHistory& history() { return m_history; }
    CMainFrame* mainFrame() const { return m_frame.get(); }
    InstanceChannel* channel() const { return m_channel.get(); }
    void setBookmarkHooks(BookmarkHooks* hooks) { m_bookmarks = hooks; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void HandleInstanceRequest(const InstanceMessage& message);
    void LoadTranslations();

    AppServices& m_services;
    NavigationHistory m_history;
    std::unique_ptr<CMainFrame> m_frame;
    std::unique_ptr<InstanceChannel> m_channel;
    std::unique_ptr<QTranslator> m_translator;
    BookmarkHooks* m_bookmarks = nullptr;
};

} // namespace tolvane
