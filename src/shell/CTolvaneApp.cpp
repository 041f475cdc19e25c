#include "CTolvaneApp.h"

#include "AppServices.h"
#include "BookmarkHooks.h"
#include "CAboutDlg.h"
#include "CMainFrame.h"
#include "DataSourceLocation.h"
#include "InstanceChannel.h"
#include "StartupRules.h"
#include "StartupSettings.h"
#include "display/CPopupWnd.h"
#include "display/CTolvaneView.h"
#include "display/QtText.h"

#include <QApplication>
#include <QDialog>
#include <QLibraryInfo>
#include <QTranslator>

// The icons live in the window library; a static library's resources are
// registered by name.
static void initResources() {
    Q_INIT_RESOURCE(tolvane);
}

namespace tolvane {

namespace {

// How long a second start waits for the running instance to act; a message
// box there (an unknown article) holds the answer until it is closed.
constexpr int kAnswerTimeoutMs = 60000;

} // namespace

CTolvaneApp::CTolvaneApp(AppServices& services, QObject* parent)
    : QObject(parent), m_services(services) {
    initResources();
}

CTolvaneApp::~CTolvaneApp() {
    if (qApp != nullptr)
        qApp->removeEventFilter(this);
}

void CTolvaneApp::LoadTranslations() {
    if (m_translator)
        return;
    m_translator = std::make_unique<QTranslator>();
    if (m_translator->load(QStringLiteral("qtbase_fr"),
                           QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(m_translator.get());
}

bool CTolvaneApp::InitInstance(const std::vector<std::string>& args, const std::string& exePath) {
    LoadTranslations();
    CPopupWnd::ClosePopup();
    m_history.Clear();
    const StartupOutcome outcome = ApplyStartupRules(args, exePath);
    if (outcome.dataSourceMissing) {
        AppMessageBox(fromCp1252(kMissingDataSourceMessage), QMessageBox::Warning);
        return false;
    }
    if (!ActivateRunningInstance() || g_bCloseRunning)
        return false;

    const QString socketPath = InstanceChannel::SocketPath(g_strClassName);
    if (!socketPath.isEmpty()) {
        m_channel = std::make_unique<InstanceChannel>(
            [this](const InstanceMessage& message) { HandleInstanceRequest(message); });
        if (!m_channel->Listen(socketPath))
            return false;
        g_bClassRegistered = true;
    }

    m_frame = std::make_unique<CMainFrame>(*this, m_services);
    if (!m_frame->OnCreate())
        return false;
    qApp->installEventFilter(this);
    m_frame->show();
    return true;
}

int CTolvaneApp::ExitInstance() {
    if (m_channel) {
        m_channel.reset();
        g_bClassRegistered = false;
    }
    if (qApp != nullptr)
        qApp->removeEventFilter(this);
    CPopupWnd::ClosePopup();
    m_frame.reset();
    return 0;
}

bool CTolvaneApp::ActivateRunningInstance() {
    InstanceMessage message;
    if (g_bCloseRunning)
        message.command = InstanceMessage::Command::Close;
    else if (g_bStartArticle)
        message = InstanceMessage{InstanceMessage::Command::Show, g_nStartArticle};
    else
        message.command = InstanceMessage::Command::Activate;
    const auto result = InstanceChannel::Send(InstanceChannel::SocketPath(g_strClassName), message,
                                              kAnswerTimeoutMs);
    return result == InstanceChannel::SendResult::NoInstance;
}

void CTolvaneApp::HandleInstanceRequest(const InstanceMessage& message) {
    if (!m_frame)
        return;
    // A request that comes before the first article acts after it.
    m_frame->EnsureInitialLoad();
    if (message.command == InstanceMessage::Command::Close) {
        // Open dialogs would keep the application running past its window.
        QDialog* last = nullptr;
        while (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            if (dialog == last)
                break;
            dialog->reject();
            last = dialog;
        }
        m_frame->close();
        return;
    }
    if (m_frame->isMinimized())
        m_frame->showNormal();
    QWidget* front = QApplication::activeModalWidget();
    if (front == nullptr)
        front = m_frame.get();
    front->raise();
    front->activateWindow();
    if (message.command == InstanceMessage::Command::Show)
        m_frame->OnShowArticleRequest(message.article);
}

bool CTolvaneApp::ShowArticle(ArticleNumber number, int position) {
    if (!m_frame)
        return false;
    return m_frame->view()->ShowArticle(number, position);
}

void CTolvaneApp::GoBack() {
    if (const auto previous = m_history.GoBack())
        ShowArticle(previous->article, previous->topPosition);
    if (m_frame)
        m_frame->UpdateCommandStates();
}

void CTolvaneApp::GoHome() {
    const HistoryEntry home = NavigationHistory::GoHome();
    ShowArticle(home.article, home.topPosition);
}

void CTolvaneApp::SaveBookmarks() {
    if (m_bookmarks != nullptr)
        m_bookmarks->SaveBookmarks();
}

void CTolvaneApp::OnAbout() {
    CAboutDlg dialog(m_frame.get());
    dialog.exec();
}

QMessageBox::StandardButton CTolvaneApp::AppMessageBox(const QString& text,
                                                       QMessageBox::Icon icon) {
    return m_services.MessageBox(m_frame.get(), fromCp1252(WindowTitle()), text, icon);
}

bool CTolvaneApp::eventFilter(QObject* watched, QEvent* event) {
    // Every dialog of the application closes the popup when it is
    // activated or deactivated.
    if ((event->type() == QEvent::WindowActivate || event->type() == QEvent::WindowDeactivate) &&
        qobject_cast<QDialog*>(watched) != nullptr)
        CPopupWnd::ClosePopup();
    return QObject::eventFilter(watched, event);
}

} // namespace tolvane
