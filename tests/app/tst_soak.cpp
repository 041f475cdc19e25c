// SPDX-License-Identifier: GPL-3.0-or-later
// A long random session in the real viewer, offscreen, on a generated data
// source: links, popups, Back, Home, the outline, searches, the list windows,
// annotations, bookmarks and resizes, with the viewer closed and started again
// every few hundred actions. After each start every annotation and bookmark
// the session made must be back byte for byte, and the heap must not grow
// from one start to the next.
//
//   TOLVANE_SOAK_SEED     the seed of the actions (printed at start; fixed
//                         by default, so that every run of the tests is the
//                         same session)
//   TOLVANE_SOAK_ACTIONS  the number of actions (fixed by default)
//   TOLVANE_SOAK_SECONDS  a session of this length instead, for make soak

#include "core/articles/DataSourceGenerator.h"
#include "core/stores/BookmarkFile.h"
#include "support/Viewer.h"
#include "ui/base/CommandTable.h"
#include "ui/base/QtText.h"
#include "ui/panes/CFindDialog.h"
#include "ui/panes/COutlineBar.h"
#include "ui/panes/OutlineTree.h"
#include "ui/view/CPopupWnd.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QPixmapCache>
#include <QTreeWidgetItemIterator>

#include <chrono>
#include <deque>
#include <malloc.h>
#include <random>
#include <set>

#if defined(__SANITIZE_ADDRESS__)
#define TOLVANE_SOAK_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TOLVANE_SOAK_ASAN 1
#endif
#endif
#ifdef TOLVANE_SOAK_ASAN
// The sanitizer's allocator keeps its own count (GCC ships no header for it).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

using namespace tolvane;
using namespace tolvane::test;

namespace {

constexpr uint64_t kDefaultSeed = 20261209;
#ifdef TOLVANE_SOAK_ASAN
constexpr uint64_t kDefaultActions = 1200;
#else
constexpr uint64_t kDefaultActions = 2000;
#endif
constexpr int kArticles = 60;
constexpr int kWarmUpRestarts = 2;
// More than a start-up's caches settling, far less than what keeping every
// article view of a few hundred actions would cost.
constexpr long kHeapGrowthBound = 3 * 1024 * 1024;

uint64_t envNumber(const char* name, uint64_t fallback) {
    const QByteArray value = qgetenv(name);
    bool ok = false;
    const qulonglong n = value.toULongLong(&ok);
    return ok ? n : fallback;
}

// Qt Test ends a test function after five minutes; a longer session sets
// its own limit, with a margin, before the test runner reads it.
const bool g_functionTimeoutSet = [] {
    const uint64_t seconds = envNumber("TOLVANE_SOAK_SECONDS", 0);
    if (seconds > 200 && !qEnvironmentVariableIsSet("QTEST_FUNCTION_TIMEOUT"))
        qputenv("QTEST_FUNCTION_TIMEOUT", QByteArray::number((seconds + 600) * 1000));
    return true;
}();

long heapInUse() {
#ifdef TOLVANE_SOAK_ASAN
    return static_cast<long>(__sanitizer_get_current_allocated_bytes());
#else
    return static_cast<long>(mallinfo2().uordblks);
#endif
}

// Text typed by the session, as shown and as the files must hold it.
struct Typed {
    QString shown;
    std::string stored;
};

using Bookmark = std::pair<std::string, ArticleNumber>;

// A row of the bookmarks window and its bookmark.
struct PickedRow {
    CListWindow* list = nullptr;
    int row = 0;
    Bookmark bookmark;
};

class Session {
public:
    Session(uint64_t seed, double seconds, uint64_t maxActions)
        : m_rng(seed), m_seconds(seconds), m_maxActions(maxActions), m_viewer(source(seed)) {
        const DataSourceGenerator generator(options(seed));
        for (int n = 1; n <= kArticles; ++n)
            if (!generator.isPopup(n))
                m_pages.push_back(n);
    }

    void run();

    QString failure;
    uint64_t actions = 0;
    int restarts = 0;
    std::vector<long> heap;
    std::map<std::string, int> counts;

private:
    uint32_t below(uint32_t n) { return n == 0 ? 0 : static_cast<uint32_t>(m_rng() % n); }
    bool chance(uint32_t percent) { return below(100) < percent; }

    bool start();
    void stop();
    void act();
    void fail(const QString& what);
    bool checkRestoredState();

    void followLink();
    void clickOutline();
    void search();
    void openListRow();
    void typeNote();
    void addBookmark();
    void renameBookmark();
    void deleteBookmark();
    // The bookmarks window, shown, and one of its rows at random; no window
    // (nothing drawn) when it has no row.
    PickedRow pickBookmark();
    // Selects the row and clicks the window's button, logged as action.
    void clickBookmarkButton(const PickedRow& picked, const char* button, const char* action);
    void resize();

    Typed randomText(uint32_t maxLength, bool lines);
    static GeneratorOptions options(uint64_t seed) {
        GeneratorOptions options;
        options.articles = kArticles;
        options.seed = seed % 1000 + 1;
        options.averageBodyBytes = 3000;
        options.popupEvery = 7;
        return options;
    }
    static DataSourceWriter source(uint64_t seed) {
        DataSourceWriter writer;
        DataSourceGenerator(options(seed)).generate(writer);
        return writer;
    }
    void log(const std::string& action);

    std::mt19937_64 m_rng;
    double m_seconds;
    uint64_t m_maxActions;
    std::vector<ArticleNumber> m_pages;
    Viewer m_viewer;
    std::map<ArticleNumber, std::string> m_notes;
    std::multiset<Bookmark> m_bookmarks;
    std::deque<std::string> m_recent;
};

void Session::log(const std::string& action) {
    ++counts[action.substr(0, action.find(' '))];
    m_recent.push_back(std::to_string(actions) + " " + action);
    if (m_recent.size() > 25)
        m_recent.pop_front();
}

void Session::fail(const QString& what) {
    if (!failure.isEmpty())
        return;
    QString recent;
    for (const std::string& line : m_recent)
        recent += QStringLiteral("\n    ") + QString::fromStdString(line);
    failure = QStringLiteral("after %1 actions and %2 restarts: %3\n  last actions:%4")
                  .arg(actions)
                  .arg(restarts)
                  .arg(what, recent);
}

Typed Session::randomText(uint32_t maxLength, bool lines) {
    static const std::pair<const char16_t*, const char*> pieces[] = {
        {u"a", "a"},    {u"e", "e"},    {u"s", "s"},    {u"t", "t"},    {u"R", "R"},
        {u" ", " "},    {u"é", "\xE9"}, {u"è", "\xE8"}, {u"à", "\xE0"}, {u"ç", "\xE7"},
        {u"ô", "\xF4"}, {u"€", "\x80"}, {u"œ", "\x9C"}, {u"«", "\xAB"}, {u"»", "\xBB"},
        {u"'", "'"},    {u"1", "1"},    {u"?", "?"},    {u"É", "\xC9"}, {u"-", "-"},
    };
    Typed t;
    const uint32_t length = below(maxLength + 1);
    for (uint32_t i = 0; i < length; ++i) {
        if (lines && below(12) == 0) {
            t.shown += u'\n';
            t.stored += "\r\n";
            continue;
        }
        const auto& [shown, stored] = pieces[below(std::size(pieces))];
        t.shown += QString::fromUtf16(shown);
        t.stored += stored;
    }
    return t;
}

bool Session::start() {
    if (!m_viewer.start()) {
        fail(QStringLiteral("the viewer did not start"));
        return false;
    }
    // The pause commit is covered elsewhere; here it would only slow typing.
    m_viewer.bar()->setIdleCommitDelay(60 * 1000);
    return true;
}

void Session::stop() {
    // Closed as it stands: a popup, the find window or a list window open.
    m_viewer.close();
    m_viewer.stop();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

bool Session::checkRestoredState() {
    // The files as the last close left them.
    std::map<ArticleNumber, std::string> onDisk;
    if (QFile::exists(QString::fromStdString(m_viewer.base + ".NOT")))
        onDisk = noteRecords(TempDir::readFile(m_viewer.base + ".NOT"));
    if (onDisk != m_notes) {
        QString diff;
        for (const auto& [article, text] : m_notes)
            if (!onDisk.count(article) || onDisk.at(article) != text)
                diff += QStringLiteral(" %1").arg(article);
        for (const auto& [article, text] : onDisk)
            if (!m_notes.count(article))
                diff += QStringLiteral(" +%1").arg(article);
        fail(QStringLiteral("the annotation file differs for article(s)") + diff);
        return false;
    }
    if (QFile::exists(QString::fromStdString(m_viewer.base + ".NO$"))) {
        fail(QStringLiteral("the pending annotations outlived a clean close"));
        return false;
    }
    std::multiset<Bookmark> saved;
    for (const BookmarkRow& row : BookmarkFile::LoadBookmarks(m_viewer.base + ".SIG"))
        saved.emplace(row.name, row.article);
    if (saved != m_bookmarks) {
        fail(QStringLiteral("the bookmark file holds %1 rows, %2 expected")
                 .arg(saved.size())
                 .arg(m_bookmarks.size()));
        return false;
    }

    // What the new run shows.
    std::multiset<Bookmark> rows;
    CListWindow* list = m_viewer.bookmarks();
    for (int i = 0; i < list->RowCount(); ++i)
        rows.emplace(list->RowText(i), list->RowArticle(i));
    if (rows != m_bookmarks) {
        fail(QStringLiteral("the bookmarks window lost or changed rows"));
        return false;
    }
    for (const auto& [article, text] : m_notes) {
        m_viewer.app->ShowArticle(article, 0);
        const std::string shown = CAnnotationBar::storedText(m_viewer.note());
        if (m_viewer.view()->currentArticle() != article || shown != text) {
            fail(QStringLiteral("article %1 shows the annotation \"%2\"")
                     .arg(article)
                     .arg(m_viewer.note()));
            return false;
        }
    }
    return true;
}

void Session::followLink() {
    const bool inPopup = CPopupWnd::isOpen() && chance(30);
    RichTextEdit* edit = inPopup ? CPopupWnd::openPopup()->textControl()
                                 : static_cast<RichTextEdit*>(m_viewer.view());
    const std::vector<LinkRecord>& links = m_viewer.view()->links();
    if (inPopup || links.empty()) {
        // A click anywhere in the popup closes it; in the view it may land
        // on text or on nothing.
        const QRect area = edit->viewport()->rect();
        log(inPopup ? "click popup" : "click text");
        QTest::mouseClick(
            edit->viewport(), Qt::LeftButton, {},
            QPoint(int(below(uint32_t(area.width()))), int(below(uint32_t(area.height())))));
        return;
    }
    const LinkRecord link = links[below(uint32_t(links.size()))];
    const int position = link.first + int(below(uint32_t(link.last - link.first + 1)));
    CTolvaneView* view = m_viewer.view();
    view->lineScroll(view->lineFromChar(position) - view->firstVisibleLine());
    const QPoint point = middleOf(view, position);
    log("link " + std::to_string(view->currentArticle()) + "->" + std::to_string(link.target));
    if (view->viewport()->rect().contains(point))
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, point);
}

void Session::clickOutline() {
    OutlineTree* tree = m_viewer.frame()->outlineBar()->tree();
    std::vector<QTreeWidgetItem*> items;
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        items.push_back(*it);
    if (items.empty())
        return;
    QTreeWidgetItem* item = items[below(uint32_t(items.size()))];
    tree->scrollToItem(item);
    const QPoint point = tree->visualItemRect(item).center();
    log("outline " + item->text(0).toStdString());
    if (!tree->viewport()->rect().contains(point))
        return;
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, point);
    if (chance(60)) {
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, point);
    } else {
        const Qt::Key keys[] = {Qt::Key_Down,   Qt::Key_Up,   Qt::Key_Right, Qt::Key_Left,
                                Qt::Key_Return, Qt::Key_Home, Qt::Key_End};
        for (uint32_t n = 1 + below(4); n > 0; --n)
            QTest::keyClick(tree, keys[below(std::size(keys))]);
    }
}

void Session::search() {
    CTolvaneApp& app = *m_viewer.app;
    if (!app.findDialog() || !app.findDialog()->isVisible())
        m_viewer.trigger(cmd::kFind);
    CFindDialog* find = app.findDialog();
    if (!find || !find->isVisible()) {
        fail(QStringLiteral("the find window did not open"));
        return;
    }
    const auto button = [find](const char* name) {
        return find->findChild<QAbstractButton*>(QString::fromLatin1(name));
    };
    const auto setChecked = [&](const char* name, bool on) {
        if (button(name)->isChecked() != on)
            button(name)->click();
    };
    // A word of a title, one of every body, one of none.
    QString word;
    switch (below(4)) {
    case 0:
        word = QString::fromLatin1(DataSourceGenerator::absentWord());
        break;
    case 1:
        word = QString::fromLatin1(DataSourceGenerator::bodyOnlyWord());
        break;
    default: {
        const QStringList words = fromCp1252(m_viewer.frame()->store().ReadArticleTitle(
                                                 m_pages[below(uint32_t(m_pages.size()))]))
                                      .split(u' ', Qt::SkipEmptyParts);
        word = words.isEmpty() ? QStringLiteral("le") : words[below(uint32_t(words.size()))];
    }
    }
    setChecked("allArticles", true);
    setChecked("inTitle", chance(70));
    setChecked("inText", chance(70));
    setChecked("matchCase", chance(20));
    setChecked("wholeWord", chance(30));
    if (chance(25))
        setChecked("currentArticle", true);
    QLineEdit* edit = find->findChild<QComboBox*>(QStringLiteral("findText"))->lineEdit();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    for (const QChar c : word) {
        QTest::sendKeyEvent(QTest::Press, edit, Qt::Key_unknown, QString(c), {});
        QTest::sendKeyEvent(QTest::Release, edit, Qt::Key_unknown, QString(c), {});
    }
    log("search " + word.toStdString());
    button("searchButton")->click();
    if (chance(30) && button("findNextButton")->isEnabled())
        button("findNextButton")->click();
    if (chance(30))
        button("cancelButton")->click();
}

void Session::openListRow() {
    CTolvaneApp& app = *m_viewer.app;
    CListWindow* lists[] = {app.historyWindow(), app.resultsWindow(), app.bookmarksWindow()};
    CListWindow* list = lists[below(3)];
    if (!list || list->RowCount() == 0)
        return;
    if (!list->isVisible())
        list->ShowList();
    QListWidget* box = list->listBox();
    const int row = int(below(uint32_t(list->RowCount())));
    box->setCurrentRow(row);
    box->scrollToItem(box->item(row));
    const QPoint point = box->visualItemRect(box->item(row)).center();
    log("row " + std::to_string(int(list->mode())) + ":" + std::to_string(row));
    QTest::mousePress(box->viewport(), Qt::LeftButton, {}, point);
    QTest::mouseRelease(box->viewport(), Qt::LeftButton, {}, point);
    QTest::mouseDClick(box->viewport(), Qt::LeftButton, {}, point);
}

void Session::typeNote() {
    const ArticleNumber article = m_viewer.view()->currentArticle();
    if (article <= 0)
        return;
    if (m_viewer.bar()->isHidden())
        m_viewer.trigger(cmd::kAnnotation);
    QPlainTextEdit* edit = m_viewer.bar()->edit();
    std::string expected = m_notes.count(article) ? m_notes.at(article) : std::string();
    if (CAnnotationBar::storedText(edit->toPlainText()) != expected) {
        fail(QStringLiteral("article %1 shows the annotation \"%2\"")
                 .arg(article)
                 .arg(edit->toPlainText()));
        return;
    }
    const uint32_t how = below(10);
    if (how < 3) {
        log("note-clear " + std::to_string(article));
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Delete);
        expected.clear();
    } else {
        const Typed typed = randomText(40, true);
        if (how < 6) {
            log("note-replace " + std::to_string(article));
            QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(edit, Qt::Key_Delete);
            expected = typed.stored;
        } else {
            log("note-append " + std::to_string(article));
            QTest::keyClick(edit, Qt::Key_End, Qt::ControlModifier);
            expected += typed.stored;
        }
        typeText(edit, typed.shown);
    }
    if (expected.empty())
        m_notes.erase(article);
    else
        m_notes[article] = expected;
    if (chance(15)) {
        log("annotation-toggle");
        m_viewer.trigger(cmd::kAnnotation);
    }
}

void Session::addBookmark() {
    QAction* action = m_viewer.frame()->action(cmd::kAddBookmark);
    m_viewer.frame()->updateCommandStates();
    if (!action->isEnabled())
        return;
    const ArticleNumber article = m_viewer.view()->currentArticle();
    const Typed name = randomText(16, false);
    const bool validate = chance(85);
    bool answered = false;
    answerNameDialog(name.shown, validate, nullptr, nullptr, &answered);
    log("bookmark-add " + std::to_string(article));
    action->trigger();
    if (!answered) {
        fail(QStringLiteral("no name dialog for a new bookmark"));
        return;
    }
    if (validate)
        m_bookmarks.emplace(name.stored, article);
}

PickedRow Session::pickBookmark() {
    CListWindow* list = m_viewer.bookmarks();
    if (!list || list->RowCount() == 0)
        return {};
    if (!list->isVisible())
        list->ShowList();
    const int row = int(below(uint32_t(list->RowCount())));
    return {list, row, Bookmark(list->RowText(row), list->RowArticle(row))};
}

void Session::clickBookmarkButton(const PickedRow& picked, const char* button, const char* action) {
    picked.list->listBox()->setCurrentRow(picked.row);
    log(std::string(action) + " " + std::to_string(picked.row));
    QTest::mouseClick(picked.list->findChild<QPushButton*>(QString::fromLatin1(button)),
                      Qt::LeftButton);
}

void Session::renameBookmark() {
    const PickedRow picked = pickBookmark();
    if (picked.list == nullptr)
        return;
    const Bookmark& old = picked.bookmark;
    const Typed name = randomText(16, false);
    const bool validate = chance(85);
    bool answered = false;
    answerNameDialog(name.shown, validate, nullptr, nullptr, &answered);
    clickBookmarkButton(picked, "renameButton", "bookmark-rename");
    if (!answered) {
        fail(QStringLiteral("no name dialog to rename a bookmark"));
        return;
    }
    if (validate) {
        m_bookmarks.erase(m_bookmarks.find(old));
        m_bookmarks.emplace(name.stored, old.second);
    }
}

void Session::deleteBookmark() {
    const PickedRow picked = pickBookmark();
    if (picked.list == nullptr)
        return;
    const bool yes = chance(80);
    m_viewer.services.answer = yes ? QMessageBox::Yes : QMessageBox::No;
    const qsizetype asked = m_viewer.services.questions.size();
    clickBookmarkButton(picked, "deleteButton", "bookmark-delete");
    m_viewer.services.answer = QMessageBox::No;
    if (m_viewer.services.questions.size() != asked + 1) {
        fail(QStringLiteral("no question before deleting a bookmark"));
        return;
    }
    if (yes)
        m_bookmarks.erase(m_bookmarks.find(picked.bookmark));
}

void Session::resize() {
    const QSize size(300 + int(below(900)), 200 + int(below(700)));
    log("resize " + std::to_string(size.width()) + "x" + std::to_string(size.height()));
    m_viewer.frame()->resize(size);
}

void Session::act() {
    CTolvaneApp& app = *m_viewer.app;
    CTolvaneView* view = m_viewer.view();
    const qsizetype messages = m_viewer.services.messages.size();
    bool messagesExpected = false;
    switch (below(24)) {
    case 0:
    case 1:
    case 2:
    case 3:
        followLink();
        break;
    case 4: {
        // Now and then an article that is not there.
        const ArticleNumber article =
            chance(95) ? ArticleNumber(1 + below(kArticles)) : ArticleNumber(kArticles + 7);
        log("show " + std::to_string(article));
        messagesExpected = true;
        app.ShowArticle(article, 0);
        break;
    }
    case 5:
    case 6:
        log("back");
        m_viewer.trigger(cmd::kBack);
        break;
    case 7:
        log("home");
        m_viewer.trigger(cmd::kHome);
        break;
    case 8:
    case 9:
        clickOutline();
        break;
    case 10:
        messagesExpected = true;
        search();
        break;
    case 11: {
        const int commands[] = {cmd::kHistory, cmd::kBookmarks, cmd::kResults,  cmd::kFind,
                                cmd::kSync,    cmd::kToolBar,   cmd::kStatusBar};
        const int command = commands[below(std::size(commands))];
        log("command " + std::to_string(command));
        m_viewer.frame()->updateCommandStates();
        messagesExpected = command == cmd::kFind;
        m_viewer.trigger(command);
        break;
    }
    case 12:
        openListRow();
        break;
    case 13:
    case 14:
    case 15:
        typeNote();
        break;
    case 16:
        // A bounded number of bookmarks keeps the heap of one start
        // comparable with the next.
        if (m_bookmarks.size() < 30)
            addBookmark();
        else
            deleteBookmark();
        break;
    case 17:
        renameBookmark();
        break;
    case 18:
        deleteBookmark();
        break;
    case 19:
        resize();
        break;
    case 20: {
        const Qt::Key keys[] = {Qt::Key_PageDown, Qt::Key_PageUp, Qt::Key_Down,
                                Qt::Key_Up,       Qt::Key_End,    Qt::Key_Escape};
        const Qt::Key key = keys[below(std::size(keys))];
        log("key " + std::to_string(int(key)));
        QTest::keyClick(view, key);
        break;
    }
    case 21:
        log("copy");
        view->selectAllText();
        m_viewer.trigger(cmd::kCopy);
        break;
    default:
        log("scroll");
        view->lineScroll(int(below(60)) - 20);
        break;
    }
    QCoreApplication::processEvents();
    if (!messagesExpected && m_viewer.services.messages.size() != messages)
        fail(QStringLiteral("unexpected message: ") + m_viewer.services.messages.last());
    if (QWidget* modal = QApplication::activeModalWidget()) {
        fail(QStringLiteral("a modal window stayed open: ") + modal->windowTitle());
        modal->close();
    }
}

void Session::run() {
    QElapsedTimer clock;
    clock.start();
    if (!start())
        return;
    uint64_t nextRestart = 150 + below(250);
    while (failure.isEmpty() && actions < m_maxActions && clock.elapsed() < m_seconds * 1000) {
        act();
        ++actions;
        if (actions == nextRestart) {
            log("restart");
            stop();
            ++restarts;
            if (!start() || !checkRestoredState())
                break;
            // Each new window's icons add pixmaps to Qt's cache, which only
            // lets go of them at its size limit (10 MB): a cache, not a leak.
            QPixmapCache::clear();
            heap.push_back(heapInUse());
            nextRestart = actions + 150 + below(250);
        }
    }
    if (m_viewer.app) {
        stop();
        if (failure.isEmpty() && start() && checkRestoredState())
            stop();
    }
}

} // namespace

class TestSoak : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void randomSessionKeepsNotesAndBookmarks();
};

// The offscreen platform's note on every window shown would bury the
// session's own report.
void TestSoak::initTestCase() {
    static const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& text) {
            if (!text.startsWith(QLatin1String("This plugin does not support")))
                previous(type, context, text);
        });
}

void TestSoak::randomSessionKeepsNotesAndBookmarks() {
    const uint64_t seed = envNumber("TOLVANE_SOAK_SEED", kDefaultSeed);
    // A session of a given length for make soak; else a fixed number of
    // actions, the same in every run.
    const bool timed = qEnvironmentVariableIsSet("TOLVANE_SOAK_SECONDS");
    const double seconds = timed ? double(envNumber("TOLVANE_SOAK_SECONDS", 0)) : 1e9;
    const uint64_t maxActions =
        envNumber("TOLVANE_SOAK_ACTIONS", timed ? UINT64_MAX : kDefaultActions);
    if (timed)
        qInfo("soak seed %llu (TOLVANE_SOAK_SEED=%llu to replay), %.0f s", (unsigned long long)seed,
              (unsigned long long)seed, seconds);
    else
        qInfo("soak seed %llu (TOLVANE_SOAK_SEED=%llu to replay), %llu actions",
              (unsigned long long)seed, (unsigned long long)seed, (unsigned long long)maxActions);

    Session session(seed, seconds, maxActions);
    session.run();

    QString heap;
    for (long bytes : session.heap)
        heap += QStringLiteral(" %1").arg(bytes / 1024);
    QString counts;
    for (const auto& [name, n] : session.counts)
        counts += QStringLiteral(" %1=%2").arg(QString::fromStdString(name)).arg(n);
    qInfo("soak seed %llu: %llu actions, %d restarts; heap after each start (KiB):%s",
          (unsigned long long)seed, (unsigned long long)session.actions, session.restarts,
          qPrintable(heap));
    qInfo("soak actions:%s", qPrintable(counts));
    QVERIFY2(session.failure.isEmpty(), qPrintable(session.failure));

    // Growth from the first start after the warm-up to the last.
    if (session.heap.size() >= size_t(kWarmUpRestarts + 2)) {
        const long growth = session.heap.back() - session.heap[kWarmUpRestarts];
        qInfo("soak heap growth %ld KiB over %zu starts", growth / 1024,
              session.heap.size() - kWarmUpRestarts - 1);
        QVERIFY2(growth < kHeapGrowthBound,
                 qPrintable(QStringLiteral("the heap grew by %1 KiB").arg(growth / 1024)));
    }
}

QTEST_MAIN(TestSoak)
#include "tst_soak.moc"
