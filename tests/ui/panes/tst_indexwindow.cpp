// The keyword index window inside the real viewer, offscreen: Ctrl+I and the
// check mark, type-ahead in the field and in the list, Enter and double
// click to an article, the list of a keyword's articles, Escape, and the
// data sources without a usable index.

#include "core/common/FrenchOrder.h"
#include "support/GuideViewer.h"
#include "support/SearchViewer.h"
#include "ui/base/CommandTable.h"
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

KeywordIndex keywordsOf(std::initializer_list<std::pair<const char*, ArticleNumber>> pairs) {
    KeywordIndex index;
    for (const auto& [keyword, article] : pairs)
        index.add(cp1252::fromUtf8(keyword), article);
    index.sort();
    return index;
}

DataSourceWriter indexSource() {
    DataSourceWriter w;
    w.addArticle(1, "Accueil", plainBody("Accueil."));
    w.addArticle(2, cp1252::fromUtf8("Saison d'été"), plainBody("Chaud."));
    w.addArticle(3, cp1252::fromUtf8("Zèbres"), plainBody("Rayures."));
    w.addArticle(4, cp1252::fromUtf8("Zébus"), plainBody("Bosses."));
    w.addArticle(5, cp1252::fromUtf8("Étude"), plainBody("Travail."));
    w.setKeywords(keywordsOf({{"été", 2},
                              {"Été", 5},
                              {"est", 2},
                              {"étude", 5},
                              {"zèbre", 3},
                              {"zébu", 4},
                              {"zèle", 4},
                              {"Europe", 1}}));
    return w;
}

CIndexWindow* openWithCtrlI(SearchViewer& v) {
    v.frame()->show();
    v.frame()->activateWindow();
    if (!QTest::qWaitForWindowActive(v.frame()))
        return nullptr;
    QTest::keyClick(v.frame(), Qt::Key_I, Qt::ControlModifier);
    if (!QTest::qWaitFor(
            [&v] { return v.app->indexWindow() && v.app->indexWindow()->isVisible(); }))
        return nullptr;
    return v.app->indexWindow();
}

QString selectedKeyword(CIndexWindow* w) {
    const QModelIndex current = w->keywordList()->currentIndex();
    return w->SelectedRow() == current.row() ? current.data().toString() : QString();
}

// Types text key by key, accented letters included (QTest::keyClicks takes
// ASCII only).
void typeText(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        const Qt::Key key =
            c.isLetter() && c.unicode() < 0x80 ? Qt::Key(c.toUpper().unicode()) : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::Click, widget, key, QString(c), Qt::NoModifier);
    }
}

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
    SearchViewer v(indexSource());
    QVERIFY(v.started);
    QAction* index = v.frame()->action(cmd::Index);
    QCOMPARE(index->text(), QStringLiteral("&Index"));
    QCOMPARE(index->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_I));
    QCOMPARE(index->statusTip(), QStringLiteral("Affiche ou masque l'index des mots-clés"));
    QCOMPARE(index->toolTip(), QStringLiteral("Index"));
    QVERIFY(
        v.frame()->findChild<QMenu*>(QStringLiteral("menuAffichage"))->actions().contains(index));
    QVERIFY(!v.app->indexWindow()); // nothing is read before the command
    CIndexWindow* w = openWithCtrlI(v);
    QVERIFY(w);
    QVERIFY(index->isChecked());
    QCOMPARE(w->windowTitle(), QStringLiteral("Index"));
    QCOMPARE(w->keywordList()->model()->rowCount(), 7);
    QCOMPARE(w->keywordList()->model()->index(0, 0).data().toString(), QStringLiteral("est"));
    QCOMPARE(w->keywordList()->model()->index(6, 0).data().toString(), QStringLiteral("zèle"));
    QVERIFY(!w->statusLabel()->isVisible());
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->keywordEdit()));
    // Escape closes it; the command shows it again as it was.
    QTest::keyClick(w->keywordEdit(), Qt::Key_Escape);
    QVERIFY(!w->isVisible());
    QVERIFY(!index->isChecked());
    index->trigger();
    QVERIFY(w->isVisible());
    QCOMPARE(v.app->indexWindow(), w);
}

void TestIndexWindow::typeAheadSelects_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<bool>("exact");
    // est, été (Été merged), étude, Europe, zèbre, zébu, zèle
    QTest::newRow("e") << "e"
                       << "est" << true;
    QTest::newRow("é") << "é"
                       << "été" << true;
    QTest::newRow("ÉTU") << "ÉTU"
                         << "étude" << true;
    QTest::newRow("eu") << "eu"
                        << "Europe" << true;
    QTest::newRow("zè") << "zè"
                        << "zèbre" << true;
    QTest::newRow("zé") << "zé"
                        << "zébu" << true;
    QTest::newRow("Zèl") << "Zèl"
                         << "zèle" << true;
    QTest::newRow("ze: none, its place") << "ze"
                                         << "zèbre" << false;
    QTest::newRow("zz: none, the last") << "zz"
                                        << "zèle" << false;
}

void TestIndexWindow::typeAheadSelects() {
    QFETCH(QString, typed);
    QFETCH(QString, selected);
    QFETCH(bool, exact);
    SearchViewer v(indexSource());
    QVERIFY(v.started);
    CIndexWindow* w = openWithCtrlI(v);
    QVERIFY(w);
    // Each keystroke selects at once; the last one decides.
    typeText(w->keywordEdit(), typed);
    QCOMPARE(w->keywordEdit()->text(), typed);
    QCOMPARE(selectedKeyword(w), selected);
    QCOMPARE(w->SelectTyped(typed), exact);
    // Backspace goes back to what the shorter text selects.
    QTest::keyClick(w->keywordEdit(), Qt::Key_Backspace);
    const size_t shorter = w->keywords().findPrefix(toCp1252(typed.chopped(1))).row;
    QCOMPARE(selectedKeyword(w), fromCp1252(w->keywords()[shorter].keyword));
}

void TestIndexWindow::typingInTheListGoesToTheField() {
    SearchViewer v(indexSource());
    QVERIFY(v.started);
    CIndexWindow* w = openWithCtrlI(v);
    QVERIFY(w);
    w->keywordList()->setFocus();
    typeText(w->keywordList(), QStringLiteral("zé"));
    QCOMPARE(w->keywordEdit()->text(), QStringLiteral("zé"));
    QCOMPARE(selectedKeyword(w), QStringLiteral("zébu"));
    // The arrows in the field walk the list.
    QTest::keyClick(w->keywordEdit(), Qt::Key_Down);
    QCOMPARE(selectedKeyword(w), QStringLiteral("zèle"));
    QTest::keyClick(w->keywordEdit(), Qt::Key_Up);
    QTest::keyClick(w->keywordEdit(), Qt::Key_Up);
    QCOMPARE(selectedKeyword(w), QStringLiteral("zèbre"));
}

void TestIndexWindow::enterAndDoubleClickShowTheArticle() {
    SearchViewer v(indexSource());
    QVERIFY(v.started);
    CIndexWindow* w = openWithCtrlI(v);
    QVERIFY(w);
    typeText(w->keywordEdit(), QStringLiteral("zèb"));
    QTest::keyClick(w->keywordEdit(), Qt::Key_Return);
    QCOMPARE(v.view()->currentArticle(), 3);
    QVERIFY(w->isVisible());
    QVERIFY(!w->choiceDialog());

    QListView* list = w->keywordList();
    const QModelIndex zebu = list->model()->index(5, 0);
    QCOMPARE(zebu.data().toString(), QStringLiteral("zébu"));
    const QPoint at = list->visualRect(zebu).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(v.view()->currentArticle(), 4);

    // The button does the same for the keyword selected.
    typeText(w->keywordEdit(), QStringLiteral("x"));
    w->keywordEdit()->clear();
    typeText(w->keywordEdit(), QStringLiteral("Eu"));
    w->findChild<QPushButton*>(QStringLiteral("showButton"))->click();
    QCOMPARE(v.view()->currentArticle(), 1);
}

void TestIndexWindow::severalArticlesAreListed() {
    SearchViewer v(indexSource());
    QVERIFY(v.started);
    CIndexWindow* w = openWithCtrlI(v);
    QVERIFY(w);
    typeText(w->keywordEdit(), QStringLiteral("été"));
    QTest::keyClick(w->keywordEdit(), Qt::Key_Return);
    QTRY_VERIFY(w->choiceDialog() && w->choiceDialog()->isVisible());
    QCOMPARE(v.view()->currentArticle(), 1); // nothing shown yet
    QDialog* choice = w->choiceDialog();
    QCOMPARE(choice->windowTitle(), QStringLiteral("Articles trouvés"));
    auto* titles = choice->findChild<QListWidget*>(QStringLiteral("articleList"));
    QVERIFY(titles);
    QStringList rows;
    for (int i = 0; i < titles->count(); ++i)
        rows << titles->item(i)->text();
    QCOMPARE(rows, (QStringList{QStringLiteral("Étude"), QStringLiteral("Saison d'été")}));
    QCOMPARE(titles->currentRow(), 0);
    // Cancel shows nothing; a second time, Enter on the second title shows it.
    choice->findChild<QPushButton*>(QStringLiteral("choiceCancelButton"))->click();
    QTRY_VERIFY(!w->choiceDialog());
    QCOMPARE(v.view()->currentArticle(), 1);
    w->OpenSelected();
    QTRY_VERIFY(w->choiceDialog());
    titles = w->choiceDialog()->findChild<QListWidget*>(QStringLiteral("articleList"));
    QTest::keyClick(titles, Qt::Key_Down);
    QTest::keyClick(titles, Qt::Key_Return);
    QCOMPARE(v.view()->currentArticle(), 2);
    QTRY_VERIFY(!w->choiceDialog());
}

void TestIndexWindow::withoutUsableIndex_data() {
    QTest::addColumn<QString>("pgk"); // "" none, "/" a folder, else the bytes
    QTest::addColumn<QString>("status");
    QTest::addColumn<int>("rows");
    QTest::newRow("none") << ""
                          << "Cette source de données n'a pas d'index." << 0;
    QTest::newRow("folder") << "/"
                            << "L'index de cette source de données est illisible." << 0;
    QTest::newRow("wrong type") << "{\\rtf1 x}"
                                << "L'index de cette source de données est illisible." << 0;
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
    writer.addArticle(3, "Trois", plainBody("Trois."));
    SearchViewer v(writer);
    QVERIFY(v.started);
    // The index is read when the window is first asked for.
    const std::string pgkPath = v.base + ".PGK";
    if (pgk == QLatin1String("/"))
        QCOMPARE(::mkdir(pgkPath.c_str(), 0755), 0);
    else if (!pgk.isEmpty())
        TempDir::writeFile(pgkPath, pgk.toLatin1().toStdString());
    CIndexWindow* w = openWithCtrlI(v);
    QVERIFY(w);
    QVERIFY(w->statusLabel()->isVisible());
    QCOMPARE(w->statusLabel()->text(), status);
    QCOMPARE(w->keywordList()->model()->rowCount(), rows);
    QCOMPARE(w->keywordList()->isEnabled(), rows > 0);
    QCOMPARE(w->keywordEdit()->isEnabled(), rows > 0);
    if (rows == 0)
        QCOMPARE(w->accessibleDescription(), status);
    QTest::keyClick(w, Qt::Key_Escape);
    QVERIFY(!w->isVisible());
    QCOMPARE(v.view()->currentArticle(), 1);
}

// The bundled guide carries keywords: its index lists them in order and
// leads to its articles.
void TestIndexWindow::guideHasAnIndex() {
    if (!GuideViewer::guideBuilt())
        QSKIP("guide not built");
    GuideViewer v;
    QVERIFY(v.showLoaded());
    v.app->OnIndex();
    CIndexWindow* w = v.app->indexWindow();
    QVERIFY(w && w->isVisible());
    QVERIFY(w->keywords().size() >= 20);
    for (size_t k = 0; k + 1 < w->keywords().size(); ++k)
        QVERIFY(french::compare(w->keywords()[k].keyword, w->keywords()[k + 1].keyword) <= 0);
    typeText(w->keywordEdit(), QStringLiteral("index"));
    QVERIFY(selectedKeyword(w).startsWith(QStringLiteral("index"), Qt::CaseInsensitive));
    const KeywordEntry& entry = w->keywords()[size_t(w->SelectedRow())];
    QCOMPARE(entry.articles.size(), size_t(1));
    QTest::keyClick(w->keywordEdit(), Qt::Key_Return);
    QCOMPARE(v.view()->currentArticle(), entry.articles.front());
}

QTEST_MAIN(TestIndexWindow)
#include "tst_indexwindow.moc"
