// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CTolvaneApp.h"

#include "app/CMainFrame.h"
#include "app/InstanceChannel.h"
#include "core/common/Cp1252.h"
#include "core/common/PathResolver.h"
#include "core/search/SearchEngine.h"
#include "core/startup/DataSourceLocation.h"
#include "core/startup/StartupRules.h"
#include "core/startup/StartupSettings.h"
#include "core/stores/BookmarkFile.h"
#include "ui/base/AppServices.h"
#include "ui/base/CDlgBar.h"
#include "ui/base/CommandTable.h"
#include "ui/base/QtText.h"
#include "ui/panes/CAboutDlg.h"
#include "ui/panes/CAnnotationBar.h"
#include "ui/panes/CBookmarkNameDialog.h"
#include "ui/panes/CFindDialog.h"
#include "ui/panes/CIndexWindow.h"
#include "ui/panes/CListWindow.h"
#include "ui/view/CPopupWnd.h"
#include "ui/view/CTolvaneView.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLibraryInfo>
#include <QListWidget>
#include <QTranslator>

namespace tolvane {

namespace {

// How long a second start waits for the running instance to act; a message
// box there (an unknown article) holds the answer until it is closed.
constexpr int kAnswerTimeoutMs = 60000;

} // namespace

CTolvaneApp::CTolvaneApp(AppServices& services, QObject* parent)
    : QObject(parent), m_services(services) {}

CTolvaneApp::~CTolvaneApp() {
    if (qApp != nullptr)
        qApp->removeEventFilter(this);
}

void CTolvaneApp::loadTranslations() {
    if (m_translator)
        return;
    m_translator = std::make_unique<QTranslator>();
    if (m_translator->load(QStringLiteral("qtbase_fr"),
                           QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(m_translator.get());
}

bool CTolvaneApp::InitInstance(const std::vector<std::string>& args, const std::string& exePath) {
    loadTranslations();
    CPopupWnd::ClosePopup();
    m_history.Clear();
    // Every return before the end is a failed start unless it says
    // otherwise: the process ends with status 1.
    m_exitCode = 1;
    const StartupOutcome outcome = ApplyStartupRules(args, exePath);
    m_settings = outcome.settings;
    m_services.setWindowTitle(fromCp1252(WindowTitle(m_settings)));
    if (outcome.dataSourceMissing) {
        AppMessageBox(fromCp1252(kMissingDataSourceMessage), QMessageBox::Warning);
        return false;
    }
    if (!ActivateRunningInstance() || m_settings.bCloseRunning) {
        // The request went to the running instance, or there was nothing to
        // close: this start did what it was asked.
        m_exitCode = 0;
        return false;
    }

    const QString socketPath = InstanceChannel::socketPath(m_settings.strClassName);
    if (!socketPath.isEmpty()) {
        m_channel = std::make_unique<InstanceChannel>(
            [this](const InstanceMessage& message) { handleInstanceRequest(message); });
        if (!m_channel->listen(socketPath))
            return false;
    }

    m_userFilesReadOnly = !lockUserFiles();
    m_frame = std::make_unique<CMainFrame>(*this, m_services);
    if (!m_frame->OnCreate())
        return false;
    if (!createSecondaryWindows())
        return false;
    if (!m_readingStateFolder.empty())
        m_frame->restoreReadingPlace(m_readingStateFolder);
    connectNotesCommands();
    qApp->installEventFilter(this);
    m_frame->show();
    // The new window takes the keyboard, also where no window manager
    // hands it over.
    m_frame->activateWindow();
    m_exitCode = 0;
    return true;
}

int CTolvaneApp::ExitInstance() {
    m_channel.reset();
    if (qApp != nullptr)
        qApp->removeEventFilter(this);
    CPopupWnd::ClosePopup();
    m_frame.reset();
    m_userFilesLock.reset();
    return m_exitCode;
}

bool CTolvaneApp::lockUserFiles() {
    const std::string path =
        PathResolver::fileOfBase(cp1252::toUtf8(m_settings.strUserBase), ".LCK");
    // A folder where no lock file can be made is one where nothing can be
    // written either: the saves there fail and say so.
    return m_services.Files().lockExclusive(path, m_userFilesLock) != LockResult::HeldElsewhere;
}

bool CTolvaneApp::ActivateRunningInstance() {
    InstanceMessage message;
    if (m_settings.bCloseRunning)
        message.command = InstanceMessage::Command::Close;
    else if (m_settings.bStartArticle)
        message = InstanceMessage{InstanceMessage::Command::Show, m_settings.nStartArticle};
    else
        message.command = InstanceMessage::Command::Activate;
    const auto result = InstanceChannel::send(InstanceChannel::socketPath(m_settings.strClassName),
                                              message, kAnswerTimeoutMs);
    return result == InstanceChannel::SendResult::NoInstance;
}

void CTolvaneApp::handleInstanceRequest(const InstanceMessage& message) {
    if (!m_frame)
        return;
    // A request that comes while the initial load pumps events waits for
    // its end: it would otherwise act on a half-loaded index, or close the
    // window under the load.
    if (m_frame->initialLoadRunning()) {
        connect(
            m_frame.get(), &CMainFrame::initialLoadFinished, this,
            [this, message] { handleInstanceRequest(message); }, Qt::SingleShotConnection);
        return;
    }
    // A request that comes before the first article acts after it.
    m_frame->ensureInitialLoad();
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
        m_frame->onShowArticleRequest(message.article);
}

bool CTolvaneApp::ShowArticle(ArticleNumber number, int position) {
    if (!m_frame)
        return false;
    return m_frame->view()->ShowArticle(number, position);
}

void CTolvaneApp::GoBack() {
    showHistoryStep(m_history.GoBack());
}

void CTolvaneApp::GoForward() {
    showHistoryStep(m_history.GoForward());
}

// Shows the entry a Back or Forward step lands on (none at either end), and
// closes the step so that showing it does not record a new visit.
void CTolvaneApp::showHistoryStep(const std::optional<HistoryEntry>& entry) {
    if (entry)
        ShowArticle(entry->article, entry->topPosition);
    m_history.EndStep();
    if (m_frame)
        m_frame->updateCommandStates();
}

void CTolvaneApp::GoHome() {
    const HistoryEntry home = NavigationHistory::GoHome();
    ShowArticle(home.article, home.topPosition);
}

void CTolvaneApp::onAbout() {
    CAboutDlg dialog(m_frame.get());
    dialog.exec();
}

QMessageBox::StandardButton CTolvaneApp::AppMessageBox(const QString& text,
                                                       QMessageBox::Icon icon) {
    return m_services.MessageBox(m_frame.get(), m_services.windowTitle(), text, icon);
}

bool CTolvaneApp::eventFilter(QObject* watched, QEvent* event) {
    // Every dialog of the application (the find window, the list windows,
    // the bookmark name and About boxes, the message boxes) closes the popup
    // when it is activated or deactivated; this is the only place that does.
    if ((event->type() == QEvent::WindowActivate || event->type() == QEvent::WindowDeactivate) &&
        qobject_cast<QDialog*>(watched) != nullptr)
        CPopupWnd::ClosePopup();
    return QObject::eventFilter(watched, event);
}

// The find window and the list windows.

bool CTolvaneApp::createSecondaryWindows() {
    if (!createFindDialog())
        return false;
    m_historyWindow = createListWindow(LISTMODE_HISTORY);
    m_resultsWindow = createListWindow(LISTMODE_RESULTS);
    m_bookmarksWindow = createListWindow(LISTMODE_BOOKMARKS);
    if (!m_historyWindow || !m_resultsWindow || !m_bookmarksWindow)
        return false;
    const std::pair<int, void (CTolvaneApp::*)()> commands[] = {
        {cmd::kFind, &CTolvaneApp::onFind},           {cmd::kHistory, &CTolvaneApp::onHistory},
        {cmd::kBookmarks, &CTolvaneApp::onBookmarks}, {cmd::kResults, &CTolvaneApp::onResults},
        {cmd::kIndex, &CTolvaneApp::onIndex},
    };
    for (const auto& [id, handler] : commands) {
        QAction* action = m_frame->action(id);
        action->setCheckable(true);
        action->setChecked(false);
        action->setEnabled(true);
        connect(action, &QAction::triggered, this, handler);
    }
    return true;
}

CFindDialog* CTolvaneApp::findDialog() const {
    return m_findDialog;
}

CListWindow* CTolvaneApp::historyWindow() const {
    return m_historyWindow;
}

CListWindow* CTolvaneApp::resultsWindow() const {
    return m_resultsWindow;
}

CListWindow* CTolvaneApp::bookmarksWindow() const {
    return m_bookmarksWindow;
}

void CTolvaneApp::followVisibility(QObject* window, int command) {
    QAction* action = m_frame->action(command);
    if (auto* list = qobject_cast<CListWindow*>(window))
        connect(list, &CListWindow::visibilityChanged, action, &QAction::setChecked);
    else if (auto* find = qobject_cast<CFindDialog*>(window))
        connect(find, &CFindDialog::visibilityChanged, action, &QAction::setChecked);
    connect(window, &QObject::destroyed, action, [action] { action->setChecked(false); });
}

bool CTolvaneApp::createFindDialog() {
    auto* dialog = new CFindDialog(*this, m_frame.get());
    if (!dialog->CreateFind()) {
        delete dialog;
        return false;
    }
    m_findDialog = dialog;
    followVisibility(dialog, cmd::kFind);
    return true;
}

CListWindow* CTolvaneApp::createListWindow(int mode) {
    auto* window = new CListWindow(*this, m_frame.get());
    // The bookmarks window reads the bookmark file while it is being made.
    if (mode == LISTMODE_BOOKMARKS) {
        m_bookmarksWindow = window;
        window->setRowsReadOnly(m_userFilesReadOnly);
        window->setRowActions([this](CListWindow& list, int row) { renameBookmark(list, row); },
                              [this](CListWindow& list, int row) { deleteBookmark(list, row); });
    }
    if (!window->CreateList(ListMode(mode))) {
        delete window;
        return nullptr;
    }
    static constexpr int kCommands[] = {0, cmd::kHistory, cmd::kResults, cmd::kBookmarks};
    followVisibility(window, kCommands[mode]);
    return window;
}

void CTolvaneApp::onFind() {
    if (!m_findDialog && !createFindDialog())
        return;
    if (m_findDialog->isVisible())
        m_findDialog->hide();
    else
        m_findDialog->showNormal();
    m_frame->action(cmd::kFind)->setChecked(m_findDialog->isVisible());
}

void CTolvaneApp::toggleListWindow(QPointer<CListWindow>& window, int mode) {
    if (!window)
        window = createListWindow(mode);
    if (!window)
        return;
    if (window->isVisible())
        window->hide();
    else
        window->showNormal();
}

void CTolvaneApp::onHistory() {
    toggleListWindow(m_historyWindow, LISTMODE_HISTORY);
    m_frame->action(cmd::kHistory)->setChecked(m_historyWindow && m_historyWindow->isVisible());
}

void CTolvaneApp::onBookmarks() {
    toggleListWindow(m_bookmarksWindow, LISTMODE_BOOKMARKS);
    m_frame->action(cmd::kBookmarks)
        ->setChecked(m_bookmarksWindow && m_bookmarksWindow->isVisible());
}

void CTolvaneApp::onResults() {
    toggleListWindow(m_resultsWindow, LISTMODE_RESULTS);
    m_frame->action(cmd::kResults)->setChecked(m_resultsWindow && m_resultsWindow->isVisible());
}

void CTolvaneApp::onIndex() {
    if (!m_indexWindow) {
        auto* window = new CIndexWindow(*this, m_frame.get());
        window->LoadIndex(m_frame->store().paths().pgk);
        QAction* action = m_frame->action(cmd::kIndex);
        connect(window, &CIndexWindow::visibilityChanged, action, &QAction::setChecked);
        m_indexWindow = window;
    }
    if (m_indexWindow->isVisible()) {
        m_indexWindow->hide();
    } else {
        // Opened from the keyboard, it takes the keys at once.
        m_indexWindow->showNormal();
        m_indexWindow->activateWindow();
    }
    m_frame->action(cmd::kIndex)->setChecked(m_indexWindow->isVisible());
}

CIndexWindow* CTolvaneApp::indexWindow() const {
    return m_indexWindow;
}

bool CTolvaneApp::SearchArticles(const std::string& text, bool matchCase, bool wholeWord,
                                 bool inTitle, bool inText, bool inNotes) {
    if (!m_frame)
        return false;
    if (!m_resultsWindow)
        m_resultsWindow = createListWindow(LISTMODE_RESULTS);
    if (!m_resultsWindow)
        return false;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    SearchRequest request;
    request.text = text;
    request.matchCase = matchCase;
    request.wholeWord = wholeWord;
    request.inTitle = inTitle;
    request.inText = inText;
    request.inNotes = inNotes;
    AnnotationTexts notes;
    if (auto* pane = qobject_cast<CAnnotationBar*>(m_frame->annotationBar()); pane && inNotes)
        notes = pane->annotationTexts();
    m_resultsWindow->SetQuery(text, matchCase, wholeWord);
    m_resultsWindow->ClearRows();
    const std::vector<SearchMatch> matches =
        SearchEngine(m_frame->store()).SearchArticles(request, notes);
    m_resultsWindow->addRows(matches);
    if (!matches.empty())
        m_resultsWindow->ShowList();
    QApplication::restoreOverrideCursor();
    return !matches.empty();
}

int CTolvaneApp::HighlightQuery(const std::string& text, bool matchCase, bool wholeWord) {
    if (!m_frame || text.empty())
        return -1;
    // Every occurrence marked, the first one after the selection selected.
    m_frame->view()->markHits(cp1252::toUtf16(text), matchCase, wholeWord);
    return FindInArticle(cp1252::toUtf16(text), matchCase, wholeWord, false);
}

void CTolvaneApp::stepSearchHit(int direction) {
    if (!m_frame)
        return;
    CTolvaneView* view = m_frame->view();
    if (view->stepHit(direction)) {
        if (m_resultsWindow)
            m_resultsWindow->keepOffSelection();
        return;
    }
    if (!m_resultsWindow || m_resultsWindow->RowCount() == 0)
        return;
    if (!m_resultsWindow->openNeighbour(direction)) {
        AppMessageBox(QStringLiteral("La recherche est terminée."), QMessageBox::NoIcon);
        return;
    }
    // Going back, the article is entered from its end.
    if (direction < 0 && view->selectHit(-1))
        m_resultsWindow->keepOffSelection();
}

int CTolvaneApp::FindInArticle(const std::u16string& text, bool matchCase, bool wholeWord,
                               bool fromStart) {
    if (!m_frame)
        return -1;
    CTolvaneView* view = m_frame->view();
    return fromStart ? view->FindFromStart(text, matchCase, wholeWord)
                     : view->FindInArticle(text, matchCase, wholeWord);
}

std::optional<QPoint> CTolvaneApp::selectionScreenPoint() const {
    if (!m_frame)
        return std::nullopt;
    const CTolvaneView* view = m_frame->view();
    return view->viewport()->mapToGlobal(view->posFromChar(view->selection().first));
}

std::string CTolvaneApp::articleTitle(ArticleNumber number) {
    return m_frame ? m_frame->store().ReadArticleTitle(number) : std::string();
}

QString CTolvaneApp::iconPath(const QString& name) const {
    return m_services.iconPath(name);
}

QWidget* CTolvaneApp::mainWindow() const {
    return m_frame.get();
}

void CTolvaneApp::LoadBookmarks() {
    if (!m_bookmarksWindow)
        return;
    bool whole = true;
    const std::vector<BookmarkRow> rows = BookmarkFile::LoadBookmarks(
        BookmarkFile::FileName(m_settings.strUserBase), m_services.Files(), &whole);
    m_bookmarkFileDamaged = !whole;
    for (const BookmarkRow& row : rows)
        m_bookmarksWindow->AddRow(row.name, row.article);
}

// The annotation pane's command and the bookmarks.

void CTolvaneApp::connectNotesCommands() {
    connect(m_frame->action(cmd::kAnnotation), &QAction::triggered, this,
            &CTolvaneApp::onAnnotation);
    connect(m_frame->action(cmd::kAddBookmark), &QAction::triggered, this,
            &CTolvaneApp::AddBookmark);
}

void CTolvaneApp::onAnnotation() {
    CDlgBar* bar = m_frame->annotationBar();
    if (bar == nullptr)
        return;
    bar->setVisible(!bar->isVisible());
    m_frame->RecalcLayout();
}

void CTolvaneApp::AddBookmark() {
    if (!m_frame || m_userFilesReadOnly)
        return;
    // The bookmark is for the article shown now, whatever happens while the
    // dialog is open.
    const ArticleNumber article = m_frame->view()->currentArticle();
    CBookmarkNameDialog dialog(QStringLiteral("Ajouter un signet"),
                               fromCp1252(m_frame->view()->currentTitle()), m_frame.get());
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (!m_bookmarksWindow && !(m_bookmarksWindow = createListWindow(LISTMODE_BOOKMARKS)))
        return;
    m_bookmarksWindow->AddRow(toCp1252(dialog.name()), article);
}

void CTolvaneApp::renameBookmark(CListWindow& list, int row) {
    CBookmarkNameDialog dialog(QStringLiteral("Renommer le signet"), fromCp1252(list.RowText(row)),
                               &list);
    if (dialog.exec() == QDialog::Accepted)
        list.replaceRow(row, toCp1252(dialog.name()));
}

void CTolvaneApp::deleteBookmark(CListWindow& list, int row) {
    const QString text = QStringLiteral("Voulez-vous supprimer le signet «") +
                         fromCp1252(list.RowText(row)) + QStringLiteral("» ?");
    if (m_services.question(&list, m_services.windowTitle(), text) == QMessageBox::Yes)
        list.removeRow(row);
}

void CTolvaneApp::SaveBookmarks() {
    if (m_userFilesReadOnly)
        return;
    // Without the window its rows never existed: the file stays as it is.
    if (!m_bookmarksWindow || !m_bookmarksWindow->isCreated())
        return;
    std::vector<BookmarkRow> rows;
    rows.reserve(size_t(m_bookmarksWindow->RowCount()));
    for (int i = 0; i < m_bookmarksWindow->RowCount(); ++i)
        rows.push_back({m_bookmarksWindow->RowText(i), m_bookmarksWindow->RowArticle(i)});
    std::string error;
    if (BookmarkFile::SaveBookmarks(BookmarkFile::FileName(m_settings.strUserBase), rows, &error,
                                    m_services.Files(), m_bookmarkFileDamaged))
        m_bookmarkFileDamaged = false;
    else
        AppMessageBox(fromCp1252(error), QMessageBox::Warning);
}

} // namespace tolvane
