// SPDX-License-Identifier: GPL-3.0-or-later
// A search's hits in the real viewer, offscreen: every occurrence marked in
// the article opened from the results, in a colour that reads on the light
// and the dark page, F3 and Shift+F3 from hit to hit and on to the next or
// previous result; and the search in the user's own annotations from the
// find window, which writes nothing.

#include "core/rtf/TextFinder.h"
#include "core/search/SearchEngine.h"
#include "support/NoteFiles.h"
#include "support/Viewer.h"
#include "ui/base/CommandTable.h"
#include "ui/base/Theme.h"
#include "ui/panes/CAnnotationBar.h"

#include <QPlainTextEdit>
#include <QScrollBar>

#include <unistd.h>

using namespace tolvane;
using namespace tolvane::test;

namespace {

using Hits = std::vector<std::pair<int, int>>;

// Results sort as Alpha, Beta, "Le mot du titre"; article 4 is found by its
// title only.
DataSourceWriter hitSource() {
    const std::pair<const char*, const char*> articles[] = {
        {"Accueil", "Bienvenue."},
        {"Alpha", "mot un, motif, Mot deux, mot trois"},
        {"Beta", "un mot ici et un mot la"},
        {"Le mot du titre", "rien"},
        {"#POPUP:Note", "mot"},
    };
    DataSourceWriter w;
    ArticleNumber n = 0;
    for (const auto& [title, text] : articles)
        w.addArticle(++n, title, plainBody(text));
    return w;
}

const QString kFinished = QStringLiteral("La recherche est terminée.");
const QString kNoted = QString::fromLatin1(kFoundInNoteSuffix);

Hits coreHits(const CTolvaneView* view, const std::u16string& text, bool matchCase,
              bool wholeWord) {
    const rtf::TextFinder finder(text, rtf::FindOptions{matchCase, wholeWord});
    Hits hits;
    for (const size_t start : finder.findAll(view->richDocument().text))
        hits.emplace_back(int(start), int(start + text.size()));
    return hits;
}

// The share of a hit's first cell painted in colour.
double shareIn(const CTolvaneView* view, std::pair<int, int> hit, const QColor& colour) {
    const QImage image = view->viewport()->grab().toImage();
    const QPoint a = view->posFromChar(hit.first);
    const QPoint b = view->posFromChar(hit.second - 1);
    const QRect cells(a, QPoint(std::max(b.x(), a.x() + 4), a.y() + view->fontMetrics().height()));
    int inColour = 0;
    int all = 0;
    for (int y = cells.top(); y < cells.bottom(); ++y) {
        for (int x = cells.left(); x < cells.right(); ++x) {
            if (!image.rect().contains(x, y))
                continue;
            ++all;
            inColour += image.pixelColor(x, y) == colour ? 1 : 0;
        }
    }
    return all > 0 ? double(inColour) / all : 0;
}

} // namespace

class TestSearchHits : public QObject {
    Q_OBJECT

private slots:
    void hitsFollowTheSearchOptions();
    void f3StepsThroughHitsAndResults();
    void hitsGoWithTheNextNavigation();
    void hitColourReads();
    void guideHitsPaintedInBothPalettes();
    void notesBoxStates();
    void notesFoundMarkedAndFilesUntouched();
};

void TestSearchHits::hitsFollowTheSearchOptions() {
    // In "mot un, motif, Mot deux, mot trois".
    const struct {
        bool matchCase;
        bool wholeWord;
        std::vector<int> starts;
    } cases[] = {
        {false, false, {0, 8, 15, 25}},
        {false, true, {0, 15, 25}},
        {true, true, {0, 25}},
    };
    Viewer v(hitSource());
    QVERIFY(v.start());
    for (const auto& c : cases) {
        v.app->GoHome();
        v.search(QStringLiteral("mot"), true, false, true, c.matchCase, c.wholeWord);
        QCOMPARE(v.results()->RowText(0), std::string("Alpha"));
        openRow(v.results(), 0);
        QTRY_COMPARE(v.view()->currentArticle(), 2);
        Hits expected;
        for (const int start : c.starts)
            expected.emplace_back(start, start + 3);
        QCOMPARE(v.view()->hits(), expected);
        QCOMPARE(v.view()->hits(), coreHits(v.view(), u"mot", c.matchCase, c.wholeWord));
        QCOMPARE(v.view()->extraSelections().size(), qsizetype(expected.size()));
        // The first one selected, as before the marks.
        QCOMPARE(v.view()->selection(), expected.front());
    }
}

void TestSearchHits::f3StepsThroughHitsAndResults() {
    Viewer v(hitSource());
    QVERIFY(v.start());
    v.search(QStringLiteral("mot"), true, true, true, false, true);
    CListWindow* results = v.results();
    QCOMPARE(rowTexts(results), (QStringList{QStringLiteral("Alpha"), QStringLiteral("Beta"),
                                             QStringLiteral("Le mot du titre")}));
    openRow(results, 0);
    QTRY_COMPARE(v.view()->currentArticle(), 2);
    // The keys work from the results window, which keeps the focus after
    // the double click, as from the main window.
    QApplication::setActiveWindow(results);
    const auto press = [&](int direction) {
        QTest::keyClick(results->listBox(), Qt::Key_F3,
                        direction > 0 ? Qt::NoModifier : Qt::ShiftModifier);
        return std::make_tuple(v.view()->currentArticle(), results->selectedRow(),
                               v.view()->selection().first);
    };
    using Step = std::tuple<ArticleNumber, int, int>;
    const std::pair<int, Step> steps[] = {
        {1, {2, 0, 15}},  {1, {2, 0, 25}},  {1, {3, 1, 3}}, // on to Beta's first
        {1, {3, 1, 17}},  {1, {4, 2, 0}},                   // the title-only result
        {-1, {3, 1, 17}},                                   // back to Beta's last
        {-1, {3, 1, 3}},  {-1, {2, 0, 25}}, {1, {3, 1, 3}},
    };
    for (const auto& [direction, expected] : steps)
        QCOMPARE(press(direction), expected);
    QVERIFY(v.services.messages.isEmpty());
    // Past the last result, and before the first: the search is over.
    press(1);
    press(1);
    press(1);
    QCOMPARE(v.services.messages, QStringList{kFinished});
    QCOMPARE(v.view()->currentArticle(), 4);
    for (int i = 0; i < 6; ++i)
        press(-1);
    QCOMPARE(v.services.messages, (QStringList{kFinished, kFinished}));
    QCOMPARE(std::make_tuple(v.view()->currentArticle(), results->selectedRow(),
                             v.view()->selection().first),
             (Step{2, 0, 0}));
}

void TestSearchHits::hitsGoWithTheNextNavigation() {
    Viewer v(hitSource());
    QVERIFY(v.start());
    v.search(QStringLiteral("mot"), true, false, true);
    openRow(v.results(), 1);
    QTRY_COMPARE(v.view()->currentArticle(), 3);
    const Hits marked = v.view()->hits();
    QCOMPARE(marked.size(), size_t(2));
    // A new text size lays the article out again: the marks stay on the
    // same words.
    v.view()->setZoomPercent(200);
    QCOMPARE(v.view()->hits(), marked);
    QCOMPARE(v.view()->extraSelections().size(), qsizetype(2));
    QCOMPARE(v.view()->extraSelections().front().cursor.selectedText(), QStringLiteral("mot"));
    v.view()->setZoomPercent(100);
    // A popup changes nothing; another article takes the marks away.
    QVERIFY(v.app->ShowArticle(5, 0));
    QCOMPARE(v.view()->hits(), marked);
    v.app->GoHome();
    QTRY_COMPARE(v.view()->currentArticle(), 1);
    QVERIFY(v.view()->hits().empty());
    QVERIFY(v.view()->extraSelections().isEmpty());
    v.app->GoBack();
    QTRY_COMPARE(v.view()->currentArticle(), 3);
    QVERIFY(v.view()->hits().empty());
}

void TestSearchHits::hitColourReads() {
    // The light and dark palettes, the white page a dark desktop gives an
    // article coloured for it, and a black selection colour.
    QPalette white = darkPalette();
    white.setColor(QPalette::Base, Qt::white);
    white.setColor(QPalette::Text, Qt::black);
    QPalette black = QApplication::style()->standardPalette();
    black.setColor(QPalette::Highlight, QColor(0, 0, 0));
    for (const QPalette& palette :
         {QApplication::style()->standardPalette(), darkPalette(), white, black}) {
        const QColor hit = RichTextEdit::hitColour(palette);
        const QColor page = palette.color(QPalette::Base);
        QVERIFY2(RichTextEdit::contrastRatio(palette.color(QPalette::Text), hit) >= 4.5,
                 qPrintable(hit.name()));
        // Told apart from the page, and from the selection of the current hit.
        QVERIFY2(RichTextEdit::contrastRatio(hit, page) >= 1.2, qPrintable(hit.name()));
        QVERIFY(hit != palette.color(QPalette::Highlight));
    }
}

void TestSearchHits::guideHitsPaintedInBothPalettes() {
    if (!Viewer::guideBuilt())
        QSKIP("the guide is not built");
    Viewer v(Viewer::guide());
    QVERIFY(v.show());
    QVERIFY(v.app->SearchArticles("article", false, false, true, true));
    CListWindow* results = v.app->resultsWindow();
    QVERIFY(results->RowCount() > 1);
    results->listBox()->setCurrentRow(0);
    results->OpenSelected();
    const Hits hits = v.view()->hits();
    QVERIFY2(hits.size() >= 2, qPrintable(QString::number(hits.size())));
    QCOMPARE(hits, coreHits(v.view(), u"article", false, false));
    QCOMPARE(v.view()->selection(), hits.front());
    const QPalette original = QApplication::palette();
    for (const QPalette& palette : {original, darkPalette()}) {
        QApplication::setPalette(palette);
        // A hit other than the selected one, at the top, painted in the
        // colour made for the view's page.
        v.view()->verticalScrollBar()->setValue(0);
        v.view()->lineScroll(v.view()->lineFromChar(hits[1].first));
        const QColor colour = RichTextEdit::hitColour(v.view()->palette());
        QTRY_VERIFY2(shareIn(v.view(), hits[1], colour) > 0.3, qPrintable(colour.name()));
    }
    QApplication::setPalette(original);
}

void TestSearchHits::notesBoxStates() {
    const struct {
        bool inTitle, inText, inNotes, current, searchEnabled;
    } cases[] = {
        {false, false, true, false, true},   // the notes alone
        {false, false, false, false, false}, // none of the three
        {false, false, true, true, true},    // then the current article: still counts
        {true, true, true, false, true},
    };
    for (const auto& c : cases) {
        Viewer v(hitSource());
        QVERIFY(v.start());
        QAbstractButton* notes = v.button("inNotes");
        QVERIFY(notes != nullptr);
        QCOMPARE(notes->text(), QStringLiteral("Dans mes a&nnotations"));
        QCOMPARE(notes->accessibleName(), QStringLiteral("Dans mes annotations"));
        QVERIFY(!notes->accessibleDescription().isEmpty());
        QVERIFY(!notes->isChecked());
        v.setChecked("inTitle", c.inTitle);
        v.setChecked("inText", c.inText);
        v.setChecked("inNotes", c.inNotes);
        if (c.current)
            v.setChecked("currentArticle", true);
        v.typeFindText(QStringLiteral("mot"));
        QCOMPARE(v.button("searchButton")->isEnabled(), c.searchEnabled);
        QCOMPARE(notes->isEnabled(), !c.current);
        // Alt+N reaches it.
        QCOMPARE(QKeySequence::mnemonic(notes->text()), QKeySequence(Qt::ALT | Qt::Key_N));
    }
}

void TestSearchHits::notesFoundMarkedAndFilesUntouched() {
    TempDir user;
    const std::string userBase = user.file("moi");
    TempDir::writeFile(userBase + ".NOT",
                       noteFileBytes({{3, "la zibeline rouge"}, {5, "zibeline d'une note"}}));
    const FileState notBefore = fileState(userBase + ".NOT");
    Viewer v(hitSource());
    v.userBase = userBase;
    QVERIFY(v.start());
    // The note being typed for the article on screen counts as typed,
    // without being committed.
    auto* pane = qobject_cast<CAnnotationBar*>(v.frame()->annotationBar());
    pane->setIdleCommitDelay(3600 * 1000);
    pane->edit()->setPlainText(QStringLiteral("Ma Zibeline à moi"));

    const QString accueil = QStringLiteral("Accueil") + kNoted;
    const QString beta = QStringLiteral("Beta") + kNoted;
    const struct {
        const char* what;
        QString text;
        bool inText;
        bool matchCase;
        bool wholeWord;
        QStringList rows;
    } cases[] = {
        {"notes only", QStringLiteral("zibeline"), false, false, false, {accueil, beta}},
        {"match case", QStringLiteral("Zibeline"), false, true, false, {accueil}},
        {"whole word", QStringLiteral("zibel"), false, false, true, {}},
        {"notes and texts, each article once", QStringLiteral("la"), true, false, true, {beta}},
    };
    for (const auto& c : cases) {
        v.setChecked("inNotes", true);
        v.search(c.text, true, false, c.inText, c.matchCase, c.wholeWord);
        QVERIFY2(rowTexts(v.results()) == c.rows,
                 qPrintable(QString::fromLatin1(c.what) + u' ' + rowTexts(v.results()).join(u'|')));
    }
    v.setChecked("inNotes", true);
    v.search(QStringLiteral("rouge"), true, false, true);
    QCOMPARE(rowTexts(v.results()), QStringList{beta});
    QVERIFY(!v.results()->listBox()->item(0)->icon().isNull());
    // Without the box, the notes play no part.
    v.setChecked("inNotes", false);
    v.search(QStringLiteral("zibeline"), true, true, true);
    QCOMPARE(v.services.messages.last(),
             QStringLiteral("La chaîne recherchée n'a pu être trouvée."));

    QVERIFY(fileState(userBase + ".NOT") == notBefore);
    QVERIFY(::access((userBase + ".NO$").c_str(), F_OK) != 0);
    // A marked row opens its article.
    v.setChecked("inNotes", true);
    v.search(QStringLiteral("rouge"), true, false, false);
    openRow(v.results(), 0);
    QTRY_COMPARE(v.view()->currentArticle(), 3);
}

QTEST_MAIN(TestSearchHits)
#include "tst_searchhits.moc"
