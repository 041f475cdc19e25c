// SPDX-License-Identifier: GPL-3.0-or-later
// The keyword index window inside the real viewer, offscreen: Ctrl+I and the
// check mark, type-ahead in the field and in the list, Enter and double
// click to an article, the list of a keyword's articles, Escape, and the
// data sources without a usable index.

#include "core/common/Cp1252.h"
#include "core/common/FrenchOrder.h"
#include "support/Viewer.h"
#include "ui/base/CommandTable.h"
#include "ui/base/QtText.h"
#include "ui/panes/CIndexWindow.h"

#include <QAction>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QPushButton>

#include <sys/stat.h>

using namespace tolvane;
using namespace tolvane::test;

namespace {

DataSourceWriter indexSource() {
    DataSourceWriter w;
    const char* const titles[] = {"Accueil", "Saison d'été", "Zèbres", "Zébus", "Étude"};
    for (int n = 1; n <= 5; ++n)
        w.addArticle(n, cp1252::fromUtf8(titles[n - 1]), plainBody("Texte."));
    KeywordIndex index;
    for (const auto& [keyword, article] :
         std::initializer_list<std::pair<const char*, int>>{{"été", 2},
                                                            {"Été", 5},
                                                            {"est", 2},
                                                            {"étude", 5},
                                                            {"zèbre", 3},
                                                            {"zébu", 4},
                                                            {"zèle", 4},
                                                            {"Europe", 1}})
        index.add(cp1252::fromUtf8(keyword), article);
    index.sort();
    w.setKeywords(std::move(index));
    return w;
}

// The viewer on a data source, its index window opened with Ctrl+I (after
// plant, which may put something at the .PGK's name: the file is read when
// the window is first asked for).
struct IndexViewer : Viewer {
    CIndexWindow* w = nullptr;

    explicit IndexViewer(const DataSourceWriter& writer,
                         const std::function<void(const std::string& pgk)>& plant = {})
        : Viewer(writer) {
        if (!start())
            return;
        if (plant)
            plant(base + ".PGK");
        frame()->show();
        frame()->activateWindow();
        if (!QTest::qWaitForWindowActive(frame()))
            return;
        QTest::keyClick(frame(), Qt::Key_I, Qt::ControlModifier);
        if (QTest::qWaitFor(
                [this] { return app->indexWindow() && app->indexWindow()->isVisible(); }))
            w = app->indexWindow();
    }
    QString selected() const {
        const QModelIndex current = w->keywordList()->currentIndex();
        return w->selectedRow() == current.row() ? current.data().toString() : QString();
    }
    void type(const QString& text) const { typeText(w->keywordEdit(), text); }
    void key(Qt::Key key) const { QTest::keyClick(w->keywordEdit(), key); }
};

} // namespace

class TestIndexWindow : public QObject {
    Q_OBJECT

private slots:
    void commandAndCheckMark();
    void typeAheadSelects_data();
    void typeAheadSelects();
    void typingInTheListGoesToTheField();
    void enterAndDoubleClickShowTheArticle();
    void severalArticlesAreListed();
    void withoutUsableIndex_data();
    void withoutUsableIndex();
    void guideHasAnIndex();
};

void TestIndexWindow::commandAndCheckMark() {
    IndexViewer v(indexSource());
    QVERIFY(v.w);
    QAction* index = v.frame()->action(cmd::kIndex);
    QCOMPARE(index->text(), QStringLiteral("&Index"));
    QVERIFY(
        v.frame()->findChild<QMenu*>(QStringLiteral("menuAffichage"))->actions().contains(index));
    QVERIFY(index->isChecked());
    QCOMPARE(v.w->keywordList()->model()->rowCount(), 7); // Été joined été
    QCOMPARE(v.w->keywordList()->model()->index(0, 0).data().toString(), QStringLiteral("est"));
    QCOMPARE(v.w->keywordList()->model()->index(6, 0).data().toString(), QStringLiteral("zèle"));
    QVERIFY(!v.w->statusLabel()->isVisible());
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(v.w->keywordEdit()));
    // Escape closes it; the command shows the same window again.
    v.key(Qt::Key_Escape);
    QVERIFY(!v.w->isVisible());
    QVERIFY(!index->isChecked());
    index->trigger();
    QVERIFY(v.w->isVisible());
    QCOMPARE(v.app->indexWindow(), v.w);
}

void TestIndexWindow::typeAheadSelects_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<bool>("exact");
    const auto row = [](const char* typed, const char* selected, bool exact) {
        QTest::newRow(typed) << QString::fromUtf8(typed) << QString::fromUtf8(selected) << exact;
    };
    // est, été, étude, Europe, zèbre, zébu, zèle; without a keyword that
    // starts so, the place of the text typed.
    for (const auto& [typed, selected] : {std::pair{"e", "est"},
                                          {"é", "été"},
                                          {"ÉTU", "étude"},
                                          {"eu", "Europe"},
                                          {"zè", "zèbre"},
                                          {"zé", "zébu"},
                                          {"Zèl", "zèle"}})
        row(typed, selected, true);
    row("ze", "zèbre", false);
    row("zz", "zèle", false);
}

void TestIndexWindow::typeAheadSelects() {
    QFETCH(QString, typed);
    QFETCH(QString, selected);
    QFETCH(bool, exact);
    IndexViewer v(indexSource());
    QVERIFY(v.w);
    // Each keystroke selects at once; the last one decides.
    v.type(typed);
    QCOMPARE(v.w->keywordEdit()->text(), typed);
    QCOMPARE(v.selected(), selected);
    QCOMPARE(v.w->selectTyped(typed), exact);
    // Backspace goes back to what the shorter text selects.
    v.key(Qt::Key_Backspace);
    const size_t shorter = v.w->keywords().findPrefix(toCp1252(typed.chopped(1))).row;
    QCOMPARE(v.selected(), fromCp1252(v.w->keywords()[shorter].keyword));
}

void TestIndexWindow::typingInTheListGoesToTheField() {
    IndexViewer v(indexSource());
    QVERIFY(v.w);
    v.w->keywordList()->setFocus();
    typeText(v.w->keywordList(), QStringLiteral("zé"));
    QCOMPARE(v.w->keywordEdit()->text(), QStringLiteral("zé"));
    QCOMPARE(v.selected(), QStringLiteral("zébu"));
    // The arrows in the field walk the list.
    v.key(Qt::Key_Down);
    QCOMPARE(v.selected(), QStringLiteral("zèle"));
    v.key(Qt::Key_Up);
    v.key(Qt::Key_Up);
    QCOMPARE(v.selected(), QStringLiteral("zèbre"));
}

void TestIndexWindow::enterAndDoubleClickShowTheArticle() {
    IndexViewer v(indexSource());
    QVERIFY(v.w);
    v.type(QStringLiteral("zèb"));
    v.key(Qt::Key_Return);
    QCOMPARE(v.view()->currentArticle(), 3);
    QVERIFY(v.w->isVisible());
    QVERIFY(!v.w->choiceDialog());

    QListView* list = v.w->keywordList();
    const QModelIndex zebu = list->model()->index(5, 0);
    QCOMPARE(zebu.data().toString(), QStringLiteral("zébu"));
    const QPoint at = list->visualRect(zebu).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(v.view()->currentArticle(), 4);

    // The button does the same for the keyword selected.
    v.w->keywordEdit()->clear();
    v.type(QStringLiteral("Eu"));
    v.w->findChild<QPushButton*>(QStringLiteral("showButton"))->click();
    QCOMPARE(v.view()->currentArticle(), 1);
}

void TestIndexWindow::severalArticlesAreListed() {
    IndexViewer v(indexSource());
    QVERIFY(v.w);
    v.type(QStringLiteral("été"));
    v.key(Qt::Key_Return);
    QTRY_VERIFY(v.w->choiceDialog() && v.w->choiceDialog()->isVisible());
    QCOMPARE(v.view()->currentArticle(), 1); // nothing shown yet
    QCOMPARE(v.w->choiceDialog()->windowTitle(), QStringLiteral("Articles trouvés"));
    auto titles = [&v] {
        return v.w->choiceDialog()->findChild<QListWidget*>(QStringLiteral("articleList"));
    };
    QStringList rows;
    for (int i = 0; i < titles()->count(); ++i)
        rows << titles()->item(i)->text();
    QCOMPARE(rows, (QStringList{QStringLiteral("Étude"), QStringLiteral("Saison d'été")}));
    QCOMPARE(titles()->currentRow(), 0);
    // Cancel shows nothing; a second time, Enter on the second title shows it.
    v.w->choiceDialog()->findChild<QPushButton*>(QStringLiteral("choiceCancelButton"))->click();
    QTRY_VERIFY(!v.w->choiceDialog());
    QCOMPARE(v.view()->currentArticle(), 1);
    v.w->OpenSelected();
    QTRY_VERIFY(v.w->choiceDialog());
    QTest::keyClick(titles(), Qt::Key_Down);
    QTest::keyClick(titles(), Qt::Key_Return);
    QCOMPARE(v.view()->currentArticle(), 2);
    QTRY_VERIFY(!v.w->choiceDialog());
}

void TestIndexWindow::withoutUsableIndex_data() {
    QTest::addColumn<QString>("pgk"); // "" none, "/" a folder, else the bytes
    QTest::addColumn<QString>("status");
    QTest::addColumn<int>("rows");
    const QString unreadable = QStringLiteral("L'index de cette source de données est illisible.");
    QTest::newRow("none") << ""
                          << "Cette source de données n'a pas d'index." << 0;
    QTest::newRow("folder") << "/" << unreadable << 0;
    QTest::newRow("wrong type") << "{\\rtf1 x}" << unreadable << 0;
    QTest::newRow("cut short")
        << QStringLiteral("PGK1\x02\x00\x00\x00\x01\x00\x00\x00z\x01\x00\x00\x00\x03\x00\x00\x00"
                          "\x01\x00")
        << "L'index de cette source de données est endommagé : seuls les mots-clés lisibles sont "
           "listés."
        << 1;
}

void TestIndexWindow::withoutUsableIndex() {
    QFETCH(QString, pgk);
    QFETCH(QString, status);
    QFETCH(int, rows);
    DataSourceWriter writer;
    writer.addArticle(1, "Accueil", plainBody("Accueil."));
    IndexViewer v(writer, [&pgk](const std::string& path) {
        if (pgk == QLatin1String("/"))
            ::mkdir(path.c_str(), 0755);
        else if (!pgk.isEmpty())
            TempDir::writeFile(path, pgk.toLatin1().toStdString());
    });
    QVERIFY(v.w);
    QVERIFY(v.w->statusLabel()->isVisible());
    QCOMPARE(v.w->statusLabel()->text(), status);
    QCOMPARE(v.w->keywordList()->model()->rowCount(), rows);
    QCOMPARE(v.w->keywordList()->isEnabled(), rows > 0);
    QCOMPARE(v.w->keywordEdit()->isEnabled(), rows > 0);
    if (rows == 0)
        QCOMPARE(v.w->accessibleDescription(), status);
    QTest::keyClick(v.w, Qt::Key_Escape);
    QVERIFY(!v.w->isVisible());
}

// The bundled guide carries keywords: its index lists them in order and
// leads to its articles.
void TestIndexWindow::guideHasAnIndex() {
    if (!Viewer::guideBuilt())
        QSKIP("guide not built");
    Viewer v(Viewer::guide());
    QVERIFY(v.show());
    v.app->onIndex();
    CIndexWindow* w = v.app->indexWindow();
    QVERIFY(w && w->isVisible());
    QVERIFY(w->keywords().size() >= 20);
    for (size_t k = 0; k + 1 < w->keywords().size(); ++k)
        QVERIFY(french::less(w->keywords()[k].keyword, w->keywords()[k + 1].keyword));
    typeText(w->keywordEdit(), QStringLiteral("index"));
    const KeywordEntry& entry = w->keywords()[size_t(w->selectedRow())];
    QCOMPARE(entry.keyword, std::string("index"));
    QCOMPARE(entry.articles.size(), size_t(1));
    QTest::keyClick(w->keywordEdit(), Qt::Key_Return);
    QCOMPARE(v.view()->currentArticle(), entry.articles.front());
}

QTEST_MAIN(TestIndexWindow)
#include "tst_indexwindow.moc"
