// SPDX-License-Identifier: GPL-3.0-or-later
// The history, results and bookmarks windows inside the real viewer,
// offscreen: captions and places, sorted rows, history rows following the
// history, opening rows in each mode, the bookmarks buttons, the layout,
// the popup closed on activation and the commands' check marks.

#include "core/stores/BookmarkFile.h"
#include "support/Viewer.h"
#include "ui/base/CommandTable.h"
#include "ui/view/CPopupWnd.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMap>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>

using namespace tolvane;
using namespace tolvane::test;

namespace {

constexpr ArticleNumber kRepeats = 20;
constexpr ArticleNumber kPopup = 50;

DataSourceWriter listSource() {
    DataSourceWriter w;
    w.addArticle(1, "Accueil", longBody("Accueil", 150));
    w.addArticle(2, "Deux", longBody("Deux", 150));
    w.addArticle(3, "Trois", longBody("Trois", 150));
    // Articles 10 to 14, titles whose order depends on case and accents.
    const char* const fruits[] = {"z\xE8"
                                  "bre",
                                  "Abricot", "Zoo", "abc", "ABD"};
    for (int i = 0; i < 5; ++i)
        w.addArticle(10 + i, fruits[i], plainBody("Un fruit."));
    w.addArticle(kRepeats, "R\xE9p\xE9titions", plainBody("Le mot ici. Puis le mot encore."));
    w.addArticle(kPopup, "#POPUP:Note", plainBody("Une note."));
    return w;
}

QPushButton* buttonOf(CListWindow* window, const char* name) {
    return window->findChild<QPushButton*>(QString::fromLatin1(name));
}

} // namespace

class TestListWindow : public QObject {
    Q_OBJECT

private slots:
    void init() { QVERIFY(v.start()); }
    void cleanup() { v.stop(); }
    void createdHiddenWithCaptionAndPlace_data();
    void createdHiddenWithCaptionAndPlace();
    void rowsInFrenchOrder();
    void historyRowsFollowHistory();
    void openingHistoryRow();
    void openingResultSelectsNextOccurrence();
    void bookmarksButtons();
    void layout_data();
    void layout();
    void activationClosesPopup();
    void commandsToggleWithCheckMarks_data();
    void commandsToggleWithCheckMarks();
    void contextMenuShowsCheckMarks();

private:
    // The window of a list mode: 1 history, 2 results, 3 bookmarks.
    CListWindow* window(int mode) const {
        CListWindow* const windows[] = {nullptr, v.history(), v.results(), v.bookmarks()};
        return windows[mode];
    }

    // The viewer on listSource(), started anew for each test.
    Viewer v{listSource()};
};

void TestListWindow::createdHiddenWithCaptionAndPlace_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("corner");
    QTest::newRow("history") << 1 << QStringLiteral("Historique des articles consultés") << 75;
    QTest::newRow("results") << 2 << QStringLiteral("Résultats de la recherche") << 100;
    QTest::newRow("bookmarks") << 3 << QStringLiteral("Liste des signets") << 125;
}

void TestListWindow::createdHiddenWithCaptionAndPlace() {
    QFETCH(int, mode);
    QFETCH(QString, caption);
    QFETCH(int, corner);
    CListWindow* w = window(mode);
    QVERIFY(w != nullptr);
    QCOMPARE(int(w->mode()), mode);
    QVERIFY(!w->isVisible());
    QCOMPARE(w->windowTitle(), caption);
    w->ShowList();
    QCOMPARE(w->pos(), QPoint(corner, corner));
    QCOMPARE(w->size(), QSize(CListWindow::kWidth, CListWindow::kHeight));
    const bool buttons = mode == LISTMODE_BOOKMARKS;
    for (const char* name : {"showButton", "renameButton", "deleteButton"})
        QCOMPARE(buttonOf(w, name)->isVisible(), buttons);
    // The first article was shown after the history window was made.
    if (mode == LISTMODE_HISTORY)
        QCOMPARE(rowTexts(w), QStringList{QStringLiteral("Accueil")});
    else
        QCOMPARE(w->RowCount(), 0);
}

void TestListWindow::rowsInFrenchOrder() {
    v.app->onFind();
    v.search(QStringLiteral("fruit"), true, false, true);
    const QStringList expected{QStringLiteral("abc"), QStringLiteral("ABD"),
                               QStringLiteral("Abricot"), QStringLiteral("zèbre"),
                               QStringLiteral("Zoo")};
    QCOMPARE(rowTexts(v.results()), expected);
    QCOMPARE(v.results()->windowTitle(),
             QStringLiteral("Recherche sur «fruit» (5 sujets trouvés)"));

    // One row at a time, in any order, gives the same list.
    v.results()->ClearRows();
    QCOMPARE(v.results()->windowTitle(), QStringLiteral("Recherche sur «fruit»"));
    const std::pair<const char*, ArticleNumber> rows[] = {{"Zoo", 12},
                                                          {"ABD", 14},
                                                          {"z\xE8"
                                                           "bre",
                                                           10},
                                                          {"abc", 13},
                                                          {"Abricot", 11}};
    for (const auto& [text, article] : rows)
        v.results()->AddRow(text, article);
    QCOMPARE(rowTexts(v.results()), expected);
    QCOMPARE(v.results()->RowArticle(0), 13);
    QCOMPARE(v.results()->RowArticle(3), 10);
    QCOMPARE(v.results()->RowText(3), std::string("z\xE8"
                                                  "bre"));
    QCOMPARE(v.results()->windowTitle(),
             QStringLiteral("Recherche sur «fruit» (5 sujets trouvés)"));
}

void TestListWindow::historyRowsFollowHistory() {
    QVERIFY(v.app->ShowArticle(2, 0));
    QVERIFY(v.app->ShowArticle(3, 0));
    QCOMPARE(rowTexts(v.history()), (QStringList{QStringLiteral("Trois"), QStringLiteral("Deux"),
                                                 QStringLiteral("Accueil")}));
    v.app->GoBack();
    QCOMPARE(rowTexts(v.history()),
             (QStringList{QStringLiteral("Deux"), QStringLiteral("Accueil")}));
    // Nothing recorded, no row: the article shown, a popup, an absent one.
    v.app->ShowArticle(2, 0);
    v.app->ShowArticle(kPopup, 0);
    v.app->ShowArticle(999, 0);
    QCOMPARE(v.history()->RowCount(), 2);
    QCOMPARE(size_t(v.history()->RowCount()), v.app->history().size());
}

void TestListWindow::openingHistoryRow() {
    v.history()->ShowList();
    v.view()->lineScroll(40);
    const int topOfHome = v.view()->firstVisiblePosition();
    QVERIFY(topOfHome > 0);
    v.app->ShowArticle(2, 0);
    v.app->ShowArticle(3, 0);
    openRow(v.history(), 2);
    QCOMPARE(v.view()->currentArticle(), 1);
    QCOMPARE(v.view()->firstVisiblePosition(), topOfHome);
    QCOMPARE(v.app->history().size(), size_t(4));
    QCOMPARE(rowTexts(v.history()),
             (QStringList{QStringLiteral("Accueil"), QStringLiteral("Trois"),
                          QStringLiteral("Deux"), QStringLiteral("Accueil")}));
    QVERIFY(v.history()->isVisible());

    // No button is visible, yet Enter opens the selected row.
    v.history()->listBox()->setCurrentRow(2);
    QTest::keyClick(v.history()->listBox(), Qt::Key_Return);
    QCOMPARE(v.view()->currentArticle(), 2);
    QCOMPARE(v.app->history().size(), size_t(5));
}

void TestListWindow::openingResultSelectsNextOccurrence() {
    v.app->onFind();
    v.search(QStringLiteral("mot"), true, false, true);
    QCOMPARE(rowTexts(v.results()), QStringList{QStringLiteral("Répétitions")});
    using Sel = std::pair<int, int>;
    openRow(v.results(), 0);
    QCOMPARE(v.view()->currentArticle(), kRepeats);
    QCOMPARE(v.view()->selection(), Sel(3, 6));
    const size_t visits = v.app->history().size();

    // Placed over the next occurrence, the window moves off it when the
    // same result is opened again; the article is not shown anew.
    const QPoint next = v.view()->viewport()->mapToGlobal(v.view()->posFromChar(20));
    v.results()->move(next.x() - 10, next.y() - 10);
    const int left = v.results()->frameGeometry().x();
    QVERIFY(v.results()->frameGeometry().contains(next));
    openRow(v.results(), 0);
    QCOMPARE(v.view()->selection(), Sel(20, 23));
    QCOMPARE(v.app->history().size(), visits);
    QVERIFY(!v.results()->frameGeometry().contains(next));
    QCOMPARE(v.results()->frameGeometry().x(), left);
    QVERIFY(v.results()->isVisible());
    QCOMPARE(v.results()->selectedRow(), 0);
}

void TestListWindow::bookmarksButtons() {
    TempDir userDir;
    const std::string userBase = userDir.file("perso");
    QVERIFY(BookmarkFile::SaveBookmarks(userBase + ".SIG", {{"z\xE8"
                                                             "bre",
                                                             10},
                                                            {"Abricot", 11}}));
    QVERIFY(v.start({"/A:" + userBase}));
    CListWindow* b = v.bookmarks();
    QCOMPARE(rowTexts(b), (QStringList{QStringLiteral("Abricot"), QStringLiteral("zèbre")}));
    QCOMPARE(b->RowArticle(1), 10);
    const auto enabled = [b] {
        QList<bool> states;
        for (const char* name : {"showButton", "renameButton", "deleteButton"})
            states << buttonOf(b, name)->isEnabled();
        return states;
    };
    QCOMPARE(enabled(), (QList<bool>{false, false, false}));
    b->listBox()->setCurrentRow(1);
    QCOMPARE(enabled(), (QList<bool>{true, true, true}));

    buttonOf(b, "showButton")->click();
    QCOMPARE(v.view()->currentArticle(), 10);
    QCOMPARE(v.view()->firstVisiblePosition(), 0);
    // Rename and delete act through the handlers installed on the window.
    QList<int> acted;
    b->setRowActions([&](CListWindow&, int row) { acted << row; },
                     [&](CListWindow&, int row) { acted << -row - 1; });
    buttonOf(b, "renameButton")->click();
    buttonOf(b, "deleteButton")->click();
    QCOMPARE(acted, (QList<int>{1, -2}));

    b->listBox()->clearSelection();
    QCOMPARE(enabled(), (QList<bool>{false, false, false}));
    b->ClearRows();
    QCOMPARE(enabled(), (QList<bool>{false, false, false}));
}

void TestListWindow::layout_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QSize>("size");
    for (int mode = 1; mode <= 3; ++mode) {
        QTest::addRow("mode %d, first size", mode) << mode << QSize(320, 200);
        QTest::addRow("mode %d, resized", mode) << mode << QSize(451, 333);
    }
}

void TestListWindow::layout() {
    QFETCH(int, mode);
    QFETCH(QSize, size);
    CListWindow* w = window(mode);
    w->ShowList();
    w->resize(size);
    QTRY_COMPARE(w->size(), size);
    const int h = buttonOf(w, "showButton")->height();
    const int listHeight = mode == LISTMODE_BOOKMARKS ? size.height() - h - 5 : size.height() - 2;
    QCOMPARE(w->listBox()->geometry(), QRect(1, 1, size.width() - 2, listHeight));
    for (const char* name : {"showButton", "renameButton", "deleteButton"})
        QCOMPARE(buttonOf(w, name)->y(), size.height() - h - 1);
}

void TestListWindow::activationClosesPopup() {
    for (CListWindow* w : {v.history(), v.results(), v.bookmarks()}) {
        v.view()->ShowArticle(kPopup, 0);
        QVERIFY(CPopupWnd::isOpen());
        w->ShowList();
        QApplication::setActiveWindow(w);
        QTRY_VERIFY(!CPopupWnd::isOpen());
        QApplication::setActiveWindow(v.frame());
    }
}

void TestListWindow::commandsToggleWithCheckMarks_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("toolbarPosition");
    QTest::newRow("history") << cmd::kHistory << 1 << 6;
    QTest::newRow("bookmarks") << cmd::kBookmarks << 3 << 11;
    QTest::newRow("results") << cmd::kResults << 2 << 14;
}

void TestListWindow::commandsToggleWithCheckMarks() {
    QFETCH(int, command);
    QFETCH(int, mode);
    QFETCH(int, toolbarPosition);
    CListWindow* w = window(mode);
    QAction* action = v.frame()->action(command);
    QCOMPARE(v.frame()->toolBar()->actions().at(toolbarPosition), action);
    QVERIFY(action->isEnabled());
    QVERIFY(!action->isChecked());
    action->trigger();
    QVERIFY(w->isVisible());
    QVERIFY(action->isChecked());
    action->trigger();
    QVERIFY(!w->isVisible());
    QVERIFY(!action->isChecked());

    // Escape and the close box hide the window; the rows stay.
    action->trigger();
    const int rows = w->RowCount();
    QTest::keyClick(w, Qt::Key_Escape);
    QVERIFY(!w->isVisible());
    QVERIFY(!action->isChecked());
    action->trigger();
    w->close();
    QVERIFY(!w->isVisible());
    QVERIFY(!action->isChecked());
    QCOMPARE(w->RowCount(), rows);

    // A destroyed window is made again by its command, at its first place.
    w->move(300, 300);
    delete w;
    QVERIFY(!action->isChecked());
    action->trigger();
    CListWindow* again = window(mode);
    QVERIFY(again != nullptr);
    QVERIFY(again->isVisible());
    QVERIFY(action->isChecked());
    QCOMPARE(again->pos(), QPoint(50 + 25 * mode, 50 + 25 * mode));
    if (mode == LISTMODE_HISTORY) {
        QCOMPARE(rowTexts(again), QStringList{QStringLiteral("Accueil")});
        v.app->ShowArticle(2, 0);
        QCOMPARE(again->RowCount(), 2);
    }
}

void TestListWindow::contextMenuShowsCheckMarks() {
    v.frame()->action(cmd::kHistory)->trigger();
    QMap<QString, bool> checked;
    QTimer::singleShot(0, [&checked] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr)
            return;
        for (QAction* a : menu->actions())
            checked.insert(a->text(), a->isChecked());
        menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(20, 20),
                            v.view()->viewport()->mapToGlobal(QPoint(20, 20)));
    QApplication::sendEvent(v.view()->viewport(), &event);
    QCOMPARE(checked.value(QStringLiteral("&Historique")), true);
    QCOMPARE(checked.value(QStringLiteral("Liste des &signets")), false);
    QCOMPARE(checked.value(QStringLiteral("&Rechercher...")), false);
}

QTEST_MAIN(TestListWindow)
#include "tst_listwindow.moc"
