// SPDX-License-Identifier: GPL-3.0-or-later
// The find window inside the real viewer, offscreen, on a small data source:
// first states and enabling rules, searches over all articles and in the
// article on screen, the three messages, the list of earlier texts, the
// find command and the popup closed on activation.

#include "core/search/SearchEngine.h"
#include "support/Viewer.h"
#include "ui/base/CommandTable.h"
#include "ui/base/QtText.h"
#include "ui/view/CPopupWnd.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>

#include <memory>

using namespace tolvane;
using namespace tolvane::test;

namespace {

constexpr ArticleNumber kPopupArticle = 4;

DataSourceWriter smallSource() {
    DataSourceWriter w;
    w.addArticle(1, "Accueil", plainBody("Le chat dort. Le chat mange."));
    w.addArticle(2, "Port de plaisance", plainBody("Rien ici."));
    w.addArticle(3, "Navires", plainBody("Le transport maritime."));
    w.addArticle(kPopupArticle, "#POPUP:Port", plainBody("port"));
    w.addArticle(5, "Lexique", plainBody("Un mot seul."));
    return w;
}

// The boxes ticked before the text is typed, and the states of the search
// button and of the title and text boxes that follow.
struct Enabling {
    bool inTitle, inText, current;
    bool searchEnabled, boxesEnabled;
};

// The boxes of a search over all articles.
struct Boxes {
    bool inTitle, inText, wholeWord;
};

const QString kNotFound = QStringLiteral("La chaîne recherchée n'a pu être trouvée.");
const QString kAbsent = QStringLiteral("Le texte recherché est introuvable.");
const QString kFinished = QStringLiteral("La recherche est terminée.");

// Records when a widget is first painted.
class PaintClock : public QObject {
public:
    QElapsedTimer clock;
    qint64 paintedAt = -1;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && paintedAt < 0)
            paintedAt = clock.elapsed();
        return false;
    }
};

} // namespace

Q_DECLARE_METATYPE(Enabling)
Q_DECLARE_METATYPE(Boxes)

class TestFindDialog : public QObject {
    Q_OBJECT

private slots:
    void createdHiddenInFirstStates();
    void enablingRules_data();
    void enablingRules();
    void searchAllArticles_data();
    void searchAllArticles();
    void thousandRowsOfTwelveHundredMatches();
    void noMatchEmptiesVisibleResults();
    void findAndNextInCurrentArticle();
    void earlierTexts_data();
    void earlierTexts();
    void enterSearchesAndCancelHides();
    void lettersOfTheScopeAndTheSearch();
    void findCommandTogglesWithCheckMark();
    void activationClosesPopup();
    void closingWhileTypingInTheField();
};

void TestFindDialog::createdHiddenInFirstStates() {
    Viewer v(smallSource());
    QVERIFY(v.start());
    QVERIFY(v.find() != nullptr);
    QVERIFY(!v.find()->isVisible());
    QCOMPARE(v.find()->windowTitle(), QStringLiteral("Rechercher..."));
    QVERIFY(v.button("allArticles")->isChecked());
    QVERIFY(!v.button("currentArticle")->isChecked());
    QVERIFY(!v.button("matchCase")->isChecked());
    QVERIFY(v.button("inTitle")->isChecked());
    QVERIFY(v.button("inText")->isChecked());
    QVERIFY(!v.button("wholeWord")->isChecked());
    QVERIFY(!v.button("searchButton")->isEnabled());
    QVERIFY(!v.button("findNextButton")->isEnabled());
    QVERIFY(v.combo()->currentText().isEmpty());
    QCOMPARE(v.combo()->count(), 0);
    QVERIFY(!v.find()->canFindNext());
}

void TestFindDialog::enablingRules_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<Enabling>("enabling");
    const QString a = QStringLiteral("a");
    QTest::newRow("no text") << QString() << Enabling{true, true, false, false, true};
    QTest::newRow("one character") << a << Enabling{true, true, false, true, true};
    QTest::newRow("titles only") << a << Enabling{true, false, false, true, true};
    QTest::newRow("texts only") << a << Enabling{false, true, false, true, true};
    QTest::newRow("neither box") << a << Enabling{false, false, false, false, true};
    QTest::newRow("neither box, then the current article: the disabled boxes still count")
        << a << Enabling{false, false, true, false, false};
    QTest::newRow("current article") << a << Enabling{true, true, true, true, false};
}

void TestFindDialog::enablingRules() {
    QFETCH(QString, text);
    QFETCH(Enabling, enabling);
    const auto [inTitle, inText, current, searchEnabled, boxesEnabled] = enabling;
    Viewer v(smallSource());
    QVERIFY(v.start());
    v.setChecked("inTitle", inTitle);
    v.setChecked("inText", inText);
    if (current)
        v.setChecked("currentArticle", true);
    v.typeFindText(text);
    QCOMPARE(v.button("searchButton")->isEnabled(), searchEnabled);
    QCOMPARE(v.button("inTitle")->isEnabled(), boxesEnabled);
    QCOMPARE(v.button("inText")->isEnabled(), boxesEnabled);
    QVERIFY(v.button("matchCase")->isEnabled());
    QVERIFY(v.button("wholeWord")->isEnabled());
    QVERIFY(!v.button("findNextButton")->isEnabled());
}

void TestFindDialog::searchAllArticles_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<Boxes>("boxes");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("caption");
    const QString port = QStringLiteral("port");
    const QStringList plaisance{QStringLiteral("Port de plaisance")};
    const QString onePort = QStringLiteral("Recherche sur «port» (1 sujet trouvé)");
    QTest::newRow("titles only: the text's transport is not found")
        << port << Boxes{true, false, false} << plaisance << onePort;
    QTest::newRow("texts only: the title is not found, nor the popup")
        << port << Boxes{false, true, false} << QStringList{QStringLiteral("Navires")} << onePort;
    QTest::newRow("both, sorted") << port << Boxes{true, true, false}
                                  << (QStringList{QStringLiteral("Navires")} + plaisance)
                                  << QStringLiteral("Recherche sur «port» (2 sujets trouvés)");
    QTest::newRow("whole word in texts only: nothing")
        << port << Boxes{false, true, true} << QStringList()
        << QStringLiteral("Recherche sur «port»");
    QTest::newRow("whole word plays no part in titles")
        << QStringLiteral("Por") << Boxes{true, false, true} << plaisance
        << QStringLiteral("Recherche sur «Por» (1 sujet trouvé)");
    QTest::newRow("one match") << QStringLiteral("mot") << Boxes{true, true, false}
                               << QStringList{QStringLiteral("Lexique")}
                               << QStringLiteral("Recherche sur «mot» (1 sujet trouvé)");
}

void TestFindDialog::searchAllArticles() {
    QFETCH(QString, text);
    QFETCH(Boxes, boxes);
    const auto [inTitle, inText, wholeWord] = boxes;
    QFETCH(QStringList, rows);
    QFETCH(QString, caption);
    Viewer v(smallSource());
    QVERIFY(v.start());
    v.app->onFind();
    QVERIFY(v.find()->isVisible());
    v.search(text, true, inTitle, inText, false, wholeWord);
    QCOMPARE(rowTexts(v.results()), rows);
    QCOMPARE(v.results()->windowTitle(), caption);
    QCOMPARE(v.results()->query(), toCp1252(text));
    QCOMPARE(v.results()->queryWholeWord(), wholeWord);
    if (rows.isEmpty()) {
        QCOMPARE(v.services.messages, QStringList{kNotFound});
        QCOMPARE(v.services.captions, QStringList{v.services.windowTitle()});
        QVERIFY(v.find()->isVisible());
        QVERIFY(!v.results()->isVisible());
    } else {
        QVERIFY(v.services.messages.isEmpty());
        QVERIFY(!v.find()->isVisible());
        QVERIFY(v.results()->isVisible());
        // Reopened, the window keeps its text and options.
        v.app->onFind();
        QCOMPARE(v.combo()->currentText(), text);
        QCOMPARE(v.button("wholeWord")->isChecked(), wholeWord);
        QCOMPARE(v.button("inText")->isChecked(), inText);
    }
}

void TestFindDialog::thousandRowsOfTwelveHundredMatches() {
    DataSourceWriter w;
    for (int i = 1; i <= 1200; ++i) {
        char title[32];
        std::snprintf(title, sizeof title, "Sujet x%04d", i);
        w.addArticle(i, title, plainBody("Texte."));
    }
    Viewer v(w);
    QVERIFY(v.start());
    v.app->onFind();
    PaintClock paint;
    v.results()->listBox()->viewport()->installEventFilter(&paint);
    v.setChecked("inText", false);
    v.typeFindText(QStringLiteral("x"));
    QElapsedTimer total;
    total.start();
    paint.clock.start();
    v.button("searchButton")->click();
    const qint64 searchAndRows = total.elapsed();
    QTRY_VERIFY(paint.paintedAt >= 0);
    QCOMPARE(v.results()->RowCount(), 1000);
    QCOMPARE(v.results()->windowTitle(), QStringLiteral("Recherche sur «x» (1000 sujets trouvés)"));

    // The rows are the engine's first 1000 matches, sorted.
    QElapsedTimer engineClock;
    engineClock.start();
    SearchRequest request;
    request.text = "x";
    request.inText = false;
    const std::vector<SearchMatch> matches =
        SearchEngine(v.frame()->store()).SearchArticles(request);
    const qint64 engine = engineClock.elapsed();
    QCOMPARE(matches.size(), size_t(1000));
    QStringList titles;
    for (const SearchMatch& m : matches)
        titles << fromCp1252(m.title);
    titles.sort();
    QCOMPARE(rowTexts(v.results()), titles);

    // Timings are informative only here; bench/ui_results_bench measures them.
    qInfo("search and rows %lld ms, engine alone %lld ms, first paint at %lld ms", searchAndRows,
          engine, paint.paintedAt);
}

// Closing the viewer while the find window has the focus in a field being
// edited: the field loses the focus while the window is being destroyed, and
// the combo box's signals must not reach the half-destroyed window (the
// sanitizer build reports the call if they do).
void TestFindDialog::closingWhileTypingInTheField() {
    DataSourceWriter w;
    w.addArticle(1, "Accueil", plainBody("Texte."));
    auto v = std::make_unique<Viewer>(w);
    QVERIFY(v->start());
    v->app->onFind();
    QVERIFY(v->find()->isVisible());
    // The combo box speaks up on losing the focus only when the field holds
    // an earlier text that is not its current item.
    v->search(QStringLiteral("texte"));
    v->search(QStringLiteral("autre"));
    if (!v->find()->isVisible())
        v->app->onFind();
    QVERIFY(v->find()->isVisible());
    QApplication::setActiveWindow(v->find());
    v->combo()->lineEdit()->setFocus();
    QTRY_VERIFY(v->combo()->lineEdit()->hasFocus());
    v->typeFindText(QStringLiteral("texte"));
    QPointer<CFindDialog> dialog = v->find();
    v.reset();
    QVERIFY(dialog.isNull());
}

void TestFindDialog::noMatchEmptiesVisibleResults() {
    Viewer v(smallSource());
    QVERIFY(v.start());
    v.app->onFind();
    v.search(QStringLiteral("port"));
    QVERIFY(v.results()->isVisible());
    QCOMPARE(v.results()->RowCount(), 2);
    v.app->onFind();
    v.search(QStringLiteral("zzz"));
    QCOMPARE(v.services.messages, QStringList{kNotFound});
    QCOMPARE(v.services.captions, QStringList{v.services.windowTitle()});
    QVERIFY(v.results()->isVisible());
    QCOMPARE(v.results()->RowCount(), 0);
    QCOMPARE(v.results()->windowTitle(), QStringLiteral("Recherche sur «zzz»"));
    QVERIFY(v.find()->isVisible());
}

void TestFindDialog::findAndNextInCurrentArticle() {
    Viewer v(smallSource());
    QVERIFY(v.start());
    v.app->onFind();
    using Sel = std::pair<int, int>;
    v.search(QStringLiteral("chat"), false);
    QVERIFY(v.services.messages.isEmpty());
    QCOMPARE(v.view()->selection(), Sel(3, 7));
    QVERIFY(v.find()->isVisible());
    QVERIFY(v.find()->canFindNext());
    QVERIFY(v.button("findNextButton")->isEnabled());
    v.button("findNextButton")->click();
    QCOMPARE(v.view()->selection(), Sel(17, 21));
    v.button("findNextButton")->click();
    QCOMPARE(v.services.messages, QStringList{kFinished});
    QCOMPARE(v.view()->selection(), Sel(17, 21));
    QVERIFY(!v.find()->canFindNext());
    QVERIFY(!v.button("findNextButton")->isEnabled());

    // Chercher starts again from the top; Suivant with a new text goes on
    // from the selection, not from the top, and leaves the list alone.
    v.button("searchButton")->click();
    QCOMPARE(v.view()->selection(), Sel(3, 7));
    v.typeFindText(QStringLiteral("Le"));
    v.button("findNextButton")->click();
    QCOMPARE(v.view()->selection(), Sel(14, 16));
    QCOMPARE(v.find()->historyTexts(), QStringList{QStringLiteral("chat")});

    // Switching the scope away and back keeps Suivant for the last find.
    v.setChecked("allArticles", true);
    QVERIFY(!v.button("findNextButton")->isEnabled());
    v.setChecked("currentArticle", true);
    QVERIFY(v.button("findNextButton")->isEnabled());

    v.search(QStringLiteral("chien"), false);
    QCOMPARE(v.services.messages, (QStringList{kFinished, kAbsent}));
    QCOMPARE(v.services.captions,
             (QStringList{v.services.windowTitle(), v.services.windowTitle()}));
    QVERIFY(!v.button("findNextButton")->isEnabled());
    QCOMPARE(v.view()->selection(), Sel(0, 0));
}

void TestFindDialog::earlierTexts_data() {
    QTest::addColumn<QStringList>("searched");
    QTest::addColumn<QStringList>("list");
    QTest::newRow("most recent first")
        << QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}
        << QStringList{QStringLiteral("c"), QStringLiteral("b"), QStringLiteral("a")};
    QTest::newRow("a text searched again moves to the top")
        << QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                       QStringLiteral("a")}
        << QStringList{QStringLiteral("a"), QStringLiteral("c"), QStringLiteral("b")};
    QTest::newRow("case-insensitive duplicates, the last spelling kept")
        << QStringList{QStringLiteral("Bonjour"), QStringLiteral("bonjour")}
        << QStringList{QStringLiteral("bonjour")};
    QTest::newRow("accents are not case")
        << QStringList{QStringLiteral("été"), QStringLiteral("ÉTÉ"), QStringLiteral("ete")}
        << QStringList{QStringLiteral("ete"), QStringLiteral("ÉTÉ")};
}

void TestFindDialog::earlierTexts() {
    QFETCH(QStringList, searched);
    QFETCH(QStringList, list);
    Viewer v(smallSource());
    QVERIFY(v.start());
    v.app->onFind();
    for (const QString& text : searched)
        v.search(text, false);
    QCOMPARE(v.find()->historyTexts(), list);
    QCOMPARE(v.combo()->currentText(), searched.last());

    // Picking an earlier text from the list puts it in the field.
    v.combo()->setCurrentIndex(list.size() - 1);
    emit v.combo()->activated(list.size() - 1);
    QCOMPARE(v.combo()->currentText(), list.last());
    QVERIFY(v.button("searchButton")->isEnabled());
}

void TestFindDialog::enterSearchesAndCancelHides() {
    Viewer v(smallSource());
    QVERIFY(v.start());
    v.app->onFind();
    v.typeFindText(QStringLiteral("Navires"));
    QTest::keyClick(v.combo()->lineEdit(), Qt::Key_Return);
    QCOMPARE(rowTexts(v.results()), QStringList{QStringLiteral("Navires")});
    QVERIFY(!v.find()->isVisible());

    v.app->onFind();
    v.button("cancelButton")->click();
    QVERIFY(!v.find()->isVisible());
    QCOMPARE(v.combo()->currentText(), QStringLiteral("Navires"));
    v.app->onFind();
    QTest::keyClick(v.find(), Qt::Key_Escape);
    QVERIFY(!v.find()->isVisible());
    v.app->onFind();
    v.find()->close();
    QVERIFY(!v.find()->isVisible());
    QVERIFY(!v.frame()->action(cmd::kFind)->isChecked());
}

void TestFindDialog::lettersOfTheScopeAndTheSearch() {
    Viewer v(smallSource());
    QVERIFY(v.start());
    v.app->onFind();
    v.find()->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), v.find());
    QAbstractButton* current = v.button("currentArticle");
    // Alt+U chooses the article on screen, from anywhere in the window.
    v.typeFindText(QStringLiteral("chat"));
    QTest::keyClick(v.combo()->lineEdit(), Qt::Key_U, Qt::AltModifier);
    QTRY_VERIFY(current->isChecked());
    QTRY_VERIFY(!v.button("inTitle")->isEnabled());
    // Alt+C runs the search (in the article on screen), not a focus move.
    QTest::keyClick(current, Qt::Key_C, Qt::AltModifier);
    QTRY_COMPARE(v.view()->selection(), (std::pair<int, int>(3, 7)));
    QVERIFY(v.find()->canFindNext());
    // And in all the articles: the results come, the window goes.
    QTest::keyClick(v.combo()->lineEdit(), Qt::Key_T, Qt::AltModifier);
    v.setChecked("allArticles", true);
    v.typeFindText(QStringLiteral("Navires"));
    QTest::keyClick(v.combo()->lineEdit(), Qt::Key_C, Qt::AltModifier);
    QTRY_COMPARE(rowTexts(v.results()), QStringList{QStringLiteral("Navires")});
    QVERIFY(!v.find()->isVisible());

    // A screen reader finds the letter as the key of the choice's press
    // action, and reads it in its description; the words stay as they are.
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(current);
    QVERIFY(iface != nullptr && iface->actionInterface() != nullptr);
    const QStringList keys =
        iface->actionInterface()->keyBindingsForAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(keys, QStringList{QKeySequence(Qt::ALT | Qt::Key_U).toString()});
    QVERIFY(iface->text(QAccessible::Description).contains(QStringLiteral("Alt+U")));
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Article courant"));
    QCOMPARE(current->text().remove(QLatin1Char('&')), QStringLiteral("Article courant"));
    QCOMPARE(v.button("searchButton")->text(), QStringLiteral("&Chercher"));
}

void TestFindDialog::findCommandTogglesWithCheckMark() {
    Viewer v(smallSource());
    QVERIFY(v.start());
    QAction* find = v.frame()->action(cmd::kFind);
    QVERIFY(find->isEnabled());
    QVERIFY(!find->isChecked());
    find->trigger();
    QVERIFY(v.find()->isVisible());
    QVERIFY(find->isChecked());
    find->trigger();
    QVERIFY(!v.find()->isVisible());
    QVERIFY(!find->isChecked());

    QCOMPARE(find->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F));
    v.frame()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(v.frame()));
    QTest::keyClick(v.frame(), Qt::Key_F, Qt::ControlModifier);
    QTRY_VERIFY(v.find()->isVisible());
    QVERIFY(find->isChecked());

    // A successful search hides the window and takes the check mark away.
    v.search(QStringLiteral("Navires"));
    QVERIFY(!v.find()->isVisible());
    QVERIFY(!find->isChecked());

    // A destroyed window is made again, empty, by the command.
    delete v.find();
    QVERIFY(!find->isChecked());
    find->trigger();
    QVERIFY(v.find() != nullptr);
    QVERIFY(v.find()->isVisible());
    QVERIFY(find->isChecked());
    QVERIFY(v.combo()->currentText().isEmpty());
}

void TestFindDialog::activationClosesPopup() {
    Viewer v(smallSource());
    QVERIFY(v.start());
    v.view()->ShowArticle(kPopupArticle, 0);
    QVERIFY(CPopupWnd::isOpen());
    v.app->onFind();
    QApplication::setActiveWindow(v.find());
    QTRY_VERIFY(!CPopupWnd::isOpen());
}

QTEST_MAIN(TestFindDialog)
#include "tst_finddialog.moc"
