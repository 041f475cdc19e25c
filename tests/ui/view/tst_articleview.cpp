// SPDX-License-Identifier: GPL-3.0-or-later
// The article view inside the real main window, offscreen, on a fixture data
// source: start-up, links, popups, history, keys, copy, printing, close order.

#include "app/CMainFrame.h"
#include "app/CTolvaneApp.h"
#include "support/Viewer.h"
#include "ui/base/CDlgBar.h"
#include "ui/base/CSash.h"
#include "ui/base/CommandTable.h"
#include "ui/panes/CAboutDlg.h"
#include "ui/panes/COutlineBar.h"
#include "ui/view/CPopupWnd.h"
#include "ui/view/CTolvaneDoc.h"
#include "ui/view/CTolvaneView.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QStatusBar>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QToolBar>

#include <functional>
#include <memory>

using namespace tolvane;
using namespace tolvane::test;

namespace {

// Clicks the middle of character position's cell.
void click(Viewer& v, int position, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseClick(v.view()->viewport(), button, {}, middleOf(v.view(), position));
}

} // namespace

class TestArticleView : public QObject {
    Q_OBJECT

private slots:
    void startUp_data();
    void startUp();
    void clickOnAnchorEdges_data();
    void clickOnAnchorEdges();
    void linkToMissingArticleLeavesViewAsItWas();
    void popupLinkOpensPopupAndChangesNothingElse();
    void backAndHomeRestoreTopLines();
    void forwardByKeysAndMouseButtons();
    void keysScrollAndLettersDoNothing();
    void linkCursorFollowsAnchors();
    void copyAndSelectAll();
    void closeSavesInOrder();
    void printingCancelledOrToPdf();
    void menusAndToolbarInOrder();
    void aboutBoxClosesPopup();
    void panesFollowTheirSizeRules();
    void contextMenuItemsInOrder();
};

void TestArticleView::startUp_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("article");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("no /P") << QStringList() << 1 << QStringList();
    QTest::newRow("/P:2") << QStringList{QStringLiteral("/P:2")} << 2 << QStringList();
    QTest::newRow("/P of an absent article")
        << QStringList{QStringLiteral("-p=999")} << 1
        << QStringList{QStringLiteral("Cet article n'existe pas ! (ER999)")};
    QTest::newRow("/P without digits")
        << QStringList{QStringLiteral("/P:abc")} << 1 << QStringList();
    QTest::newRow("/P of a popup article still leaves an article on screen")
        << QStringList{QStringLiteral("/P:50")} << 1 << QStringList();
}

void TestArticleView::startUp() {
    QFETCH(QStringList, args);
    QFETCH(int, article);
    QFETCH(QStringList, messages);
    std::vector<std::string> extra;
    for (const QString& a : args)
        extra.push_back(a.toStdString());
    Viewer v;
    QVERIFY(v.start(extra));
    QCOMPARE(v.view()->currentArticle(), article);
    QCOMPARE(v.services.messages, messages);
    for (const QString& caption : v.services.captions)
        QCOMPARE(caption, QStringLiteral("VEK-Info"));
    QCOMPARE(v.app->history().size(), size_t(1));
    QCOMPARE(v.frame()->windowTitle(),
             QStringLiteral("Aide - ") +
                 (article == 1 ? QStringLiteral("Accueil") : QStringLiteral("Deux")));
    QVERIFY(!v.frame()->action(cmd::kBack)->isEnabled());
}

void TestArticleView::clickOnAnchorEdges_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("article");
    QTest::newRow("first character of an anchor") << kFirstLinkFirst << 2;
    QTest::newRow("last character of an anchor") << kFirstLinkLast << 2;
    QTest::newRow("just after the anchor") << kFirstLinkLast + 1 << 1;
    QTest::newRow("just before the anchor") << kFirstLinkFirst - 1 << 1;
    QTest::newRow("overlap: the first link in stored order wins") << kDoubleLinkFirst + 3 << 3;
    QTest::newRow("overlap: the second link alone") << kOverlapOnly << 2;
}

void TestArticleView::clickOnAnchorEdges() {
    QFETCH(int, position);
    QFETCH(int, article);
    Viewer v;
    QVERIFY(v.start());
    v.view()->setSelection(40, 45);
    click(v, position);
    QCOMPARE(v.view()->currentArticle(), article);
    QVERIFY(v.services.messages.isEmpty());
    if (article != 1)
        QCOMPARE(v.app->history().size(), size_t(2));
}

void TestArticleView::linkToMissingArticleLeavesViewAsItWas() {
    Viewer v;
    QVERIFY(v.start());
    const QString title = v.frame()->windowTitle();
    const auto links = v.view()->links().size();
    click(v, kMissingLinkFirst);
    QCOMPARE(v.services.messages,
             QStringList{QStringLiteral("Cet article n'existe pas ! (ER999)")});
    QCOMPARE(v.services.captions, QStringList{QStringLiteral("VEK-Info")});
    QCOMPARE(v.view()->currentArticle(), 1);
    QCOMPARE(v.frame()->windowTitle(), title);
    QCOMPARE(v.view()->links().size(), links);
    QCOMPARE(v.app->history().size(), size_t(1));
    // Numbers below 1 are refused without a word.
    QVERIFY(!v.app->ShowArticle(0, 0));
    QVERIFY(!v.app->ShowArticle(-4, 0));
    QCOMPARE(v.services.messages.size(), 1);
}

void TestArticleView::popupLinkOpensPopupAndChangesNothingElse() {
    Viewer v;
    v.recordHooks = true;
    QVERIFY(v.start());
    const QString title = v.frame()->windowTitle();
    const auto calls = v.services.files.log;
    const QPoint point = middleOf(v.view(), kPopupLinkFirst);
    click(v, kPopupLinkFirst);
    QVERIFY(CPopupWnd::isOpen());
    CPopupWnd* popup = CPopupWnd::openPopup();
    QCOMPARE(popup->windowTitle(), QStringLiteral("Une note"));
    QCOMPARE(popup->anchor(), v.view()->viewport()->mapToGlobal(point));
    QVERIFY(popup->isVisible());
    QVERIFY(popup->width() > 20 && popup->height() > 30);
    // Sized on the text laid out at the width tried: the text height found
    // lies within the text itself.
    std::unique_ptr<QTextDocument> laidOut(popup->textControl()->document()->clone());
    laidOut->setTextWidth(popup->width() - 20);
    QVERIFY(popup->height() - 30 <= laidOut->size().height());
    QCOMPARE(v.view()->currentArticle(), 1);
    QCOMPARE(v.frame()->windowTitle(), title);
    QCOMPARE(v.app->history().size(), size_t(1));
    QCOMPARE(v.services.files.log, calls);

    // Other keys of the view scroll and leave the popup open.
    QTest::keyClick(v.view(), Qt::Key_Down);
    QVERIFY(CPopupWnd::isOpen());
    QTest::keyClick(v.view(), Qt::Key_Escape);
    QVERIFY(!CPopupWnd::isOpen());
    QVERIFY(!v.frame()->isMinimized());
    QTest::keyClick(v.view(), Qt::Key_Escape);
    QTRY_VERIFY(v.frame()->windowState() & Qt::WindowMinimized);

    // A click on the popup closes it; a new popup replaces the old one.
    v.frame()->showNormal();
    click(v, kPopupLinkFirst);
    QVERIFY(CPopupWnd::isOpen());
    QTest::mouseClick(CPopupWnd::openPopup()->textControl()->viewport(), Qt::RightButton);
    QTRY_VERIFY(!CPopupWnd::isOpen());
}

// Alt+Left and Alt+Right, and the mouse's back and forward buttons, step
// through the history; each article comes back at the line it was left at,
// and a link followed after Back ends the way forward.
void TestArticleView::forwardByKeysAndMouseButtons() {
    Viewer v;
    QVERIFY(v.start());
    CTolvaneView* view = v.view();
    QAction* forward = v.frame()->action(cmd::kForward);
    QCOMPARE(forward->toolTip(), QStringLiteral("Page suivante"));
    QCOMPARE(forward->statusTip(), QStringLiteral("Page suivante dans l'historique"));
    QVERIFY(!forward->isEnabled());
    QVERIFY(v.app->ShowArticle(2, 0));
    view->lineScroll(40);
    const int topOfTwo = view->firstVisiblePosition();
    QVERIFY(topOfTwo > 0);
    QVERIFY(!forward->isEnabled());

    struct Step {
        const char* what;
        std::function<void()> act;
        ArticleNumber article;
        bool forwardEnabled;
    };
    QWidget* viewport = view->viewport();
    const Step steps[] = {
        {"Alt+Left", [&] { QTest::keyClick(view, Qt::Key_Left, Qt::AltModifier); }, 1, true},
        {"Alt+Right", [&] { QTest::keyClick(view, Qt::Key_Right, Qt::AltModifier); }, 2, false},
        {"Back button", [&] { QTest::mouseClick(viewport, Qt::BackButton); }, 1, true},
        {"Forward button", [&] { QTest::mouseClick(viewport, Qt::ForwardButton); }, 2, false},
        {"Back again", [&] { v.frame()->action(cmd::kBack)->trigger(); }, 1, true},
        {"a link followed", [&] { QVERIFY(v.app->ShowArticle(3, 0)); }, 3, false},
        {"Alt+Right with nothing ahead",
         [&] { QTest::keyClick(view, Qt::Key_Right, Qt::AltModifier); }, 3, false},
    };
    v.frame()->activateWindow();
    view->setFocus();
    for (const Step& step : steps) {
        step.act();
        QVERIFY2(view->currentArticle() == step.article, step.what);
        QVERIFY2(forward->isEnabled() == step.forwardEnabled, step.what);
        if (step.article == 2)
            QVERIFY2(view->firstVisiblePosition() == topOfTwo, step.what);
    }
    QCOMPARE(v.app->history().size(), size_t(2));
}

void TestArticleView::backAndHomeRestoreTopLines() {
    Viewer v;
    v.recordHooks = true;
    QVERIFY(v.start());
    CTolvaneView* view = v.view();
    view->lineScroll(20);
    const int topOfHome = view->firstVisiblePosition();
    QVERIFY(topOfHome > 0);
    QVERIFY(v.app->ShowArticle(2, 0));
    QCOMPARE(view->firstVisiblePosition(), 0);
    QVERIFY(v.frame()->action(cmd::kBack)->isEnabled());
    view->lineScroll(60);
    const int topOfTwo = view->firstVisiblePosition();
    QVERIFY(topOfTwo > 0);
    QVERIFY(v.app->ShowArticle(3, 0));
    QCOMPARE(v.app->history().size(), size_t(3));
    QCOMPARE(v.app->history().entry(1), (HistoryEntry{2, topOfTwo}));
    QCOMPARE(v.app->history().entry(2), (HistoryEntry{1, topOfHome}));
    // Showing the current article again changes nothing, not even the scroll.
    QVERIFY(v.app->ShowArticle(3, 5000));
    QCOMPARE(view->firstVisiblePosition(), 0);

    v.frame()->action(cmd::kBack)->trigger();
    QCOMPARE(view->currentArticle(), 2);
    QCOMPARE(view->firstVisiblePosition(), topOfTwo);
    QVERIFY(v.frame()->action(cmd::kBack)->isEnabled());
    v.frame()->action(cmd::kBack)->trigger();
    QCOMPARE(view->currentArticle(), 1);
    QCOMPARE(view->firstVisiblePosition(), topOfHome);
    QCOMPARE(v.app->history().size(), size_t(1));
    QVERIFY(!v.frame()->action(cmd::kBack)->isEnabled());

    // Home on article 1 adds nothing; from another article it adds article 1.
    v.frame()->action(cmd::kHome)->trigger();
    QCOMPARE(v.app->history().size(), size_t(1));
    QVERIFY(v.app->ShowArticle(2, 0));
    v.frame()->action(cmd::kHome)->trigger();
    QCOMPARE(view->currentArticle(), 1);
    QCOMPARE(v.app->history().size(), size_t(3));
    QCOMPARE(view->firstVisiblePosition(), 0);
    // Annotation hooks ran for each change, leaving before entering.
    const auto& log = v.services.files.log;
    const std::vector<std::string> tail(log.end() - 4, log.end());
    QCOMPARE(tail, (std::vector<std::string>{"commit 1", "load 2", "commit 2", "load 1"}));
}

void TestArticleView::keysScrollAndLettersDoNothing() {
    Viewer v;
    QVERIFY(v.start());
    CTolvaneView* view = v.view();
    const QString text = view->toPlainText();
    QTest::keyClicks(view, QStringLiteral("abc xyz"));
    QTest::keyClick(view, Qt::Key_Return);
    QTest::keyClick(view, Qt::Key_Delete);
    QCOMPARE(view->toPlainText(), text);
    QCOMPARE(view->firstVisibleLine(), 0);
    QTest::keyClick(view, Qt::Key_PageDown);
    const int afterPage = view->firstVisibleLine();
    QVERIFY(afterPage > 1);
    QTest::keyClick(view, Qt::Key_Down);
    QCOMPARE(view->firstVisibleLine(), afterPage + 1);
    QTest::keyClick(view, Qt::Key_Up);
    QCOMPARE(view->firstVisibleLine(), afterPage);
    QTest::keyClick(view, Qt::Key_End);
    QVERIFY(view->firstVisibleLine() > afterPage);
    QTest::keyClick(view, Qt::Key_Home);
    QCOMPARE(view->firstVisibleLine(), 0);
    QCOMPARE(view->currentArticle(), 1);
}

void TestArticleView::linkCursorFollowsAnchors() {
    Viewer v;
    QVERIFY(v.start());
    QWidget* viewport = v.view()->viewport();
    QTest::mouseMove(viewport, middleOf(v.view(), kFirstLinkFirst));
    QTRY_COMPARE(viewport->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseMove(viewport, middleOf(v.view(), kFirstLinkLast + 1));
    QTRY_COMPARE(viewport->cursor().shape(), Qt::ArrowCursor);
    QTest::mouseMove(viewport, middleOf(v.view(), kOverlapOnly));
    QTRY_COMPARE(viewport->cursor().shape(), Qt::PointingHandCursor);
}

void TestArticleView::copyAndSelectAll() {
    Viewer v;
    QVERIFY(v.start());
    v.frame()->activateWindow();
    v.view()->setFocus();
    QVERIFY(!v.frame()->action(cmd::kCopy)->isEnabled());
    v.view()->setSelection(0, 5);
    QVERIFY(v.frame()->action(cmd::kCopy)->isEnabled());
    v.frame()->action(cmd::kCopy)->trigger();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("Aller"));
    v.frame()->action(cmd::kSelectAll)->trigger();
    QCOMPARE(v.view()->selection(), std::make_pair(0, v.view()->textLength()));
    v.view()->setSelection(8, 12);
    QTest::keyClick(v.view(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("Deux"));
    QTest::keyClick(v.view(), Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(v.view()->selection(), std::make_pair(0, v.view()->textLength()));
}

void TestArticleView::closeSavesInOrder() {
    Viewer v;
    v.recordHooks = true;
    QVERIFY(v.start());
    QVERIFY(v.app->ShowArticle(2, 0));
    v.services.files.log.clear();
    QVERIFY(v.frame()->close());
    QCOMPARE(v.services.files.log,
             (std::vector<std::string>{"commit 2", "save annotations", "replace .SIG"}));
}

namespace {

// The print dialog answered by the test.
class AnsweredDoc : public CTolvaneDoc {
public:
    bool accept = false;
    QString pdf;

protected:
    bool runPrintDialog(QPrinter& printer, QWidget*) override {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return accept;
    }
};

} // namespace

void TestArticleView::printingCancelledOrToPdf() {
    Viewer v;
    QVERIFY(v.start());
    AnsweredDoc doc;
    doc.pdf = QString::fromStdString(v.dir.file("article.pdf"));
    QVERIFY(!doc.print(*v.view(), v.frame()));
    QVERIFY(!QFile::exists(doc.pdf));
    QCOMPARE(v.view()->currentArticle(), 1);
    doc.accept = true;
    QVERIFY(doc.print(*v.view(), v.frame()));
    QFile pdf(doc.pdf);
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QVERIFY(pdf.read(5) == "%PDF-");
    QVERIFY(pdf.size() > 1000);
    QCOMPARE(v.frame()->action(cmd::kPrint)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
}

void TestArticleView::menusAndToolbarInOrder() {
    Viewer v;
    QVERIFY(v.start());
    QStringList menus;
    QStringList items;
    for (QAction* menu : v.frame()->menuBar()->actions()) {
        menus << menu->text();
        for (QAction* item : menu->menu()->actions())
            items << (item->isSeparator() ? QStringLiteral("-") : item->text());
    }
    QCOMPARE(menus, (QStringList{QStringLiteral("A&rticle"), QStringLiteral("&Edition"),
                                 QStringLiteral("&Affichage"), QStringLiteral("Ai&de")}));
    QCOMPARE(items.size(), 27);
    QCOMPARE(items.at(items.indexOf(QStringLiteral("&Résultats de la recherche")) + 1),
             QStringLiteral("&Index"));
    QCOMPARE(items.first(), QStringLiteral("Page d'&accueil"));
    QCOMPARE(items.at(2), QStringLiteral("Article s&uivant"));
    QCOMPARE(items.at(3), QStringLiteral("&Reprendre la lecture"));
    QCOMPARE(items.at(8), QStringLiteral("Aperçu avant &impression"));
    QCOMPARE(items.at(10), QStringLiteral("&Quitter"));
    QCOMPARE(items.at(12), QStringLiteral("&Tout sélectionner"));
    QCOMPARE(items.at(15), QStringLiteral("Occurrence &suivante"));
    QCOMPARE(items.at(16), QStringLiteral("Occurrence &précédente"));
    QCOMPARE(items.last(), QStringLiteral("&A propos..."));

    QList<int> buttons;
    for (QAction* a : v.frame()->toolBar()->actions())
        buttons << (a->isSeparator() ? 0 : a->data().toInt());
    QList<int> expected(std::begin(kToolbarButtons), std::end(kToolbarButtons) - 1);
    QCOMPARE(buttons, expected);
    QCOMPARE(v.frame()->action(cmd::kHome)->toolTip(), QStringLiteral("Page d'accueil"));
    QCOMPARE(v.frame()->action(cmd::kBack)->statusTip(),
             QStringLiteral("Page précédente dans l'historique"));

    QVERIFY(v.frame()->action(cmd::kToolBar)->isChecked());
    v.frame()->action(cmd::kToolBar)->trigger();
    QVERIFY(!v.frame()->toolBar()->isVisible());
    QVERIFY(!v.frame()->action(cmd::kToolBar)->isChecked());
    v.frame()->action(cmd::kStatusBar)->trigger();
    QVERIFY(!v.frame()->statusBar()->isVisible());
    QVERIFY(!v.frame()->action(cmd::kStatusBar)->isChecked());
}

void TestArticleView::aboutBoxClosesPopup() {
    Viewer v;
    QVERIFY(v.start());
    click(v, kPopupLinkFirst);
    QVERIFY(CPopupWnd::isOpen());
    CAboutDlg about(v.frame());
    QCOMPARE(about.windowTitle(), QStringLiteral("A propos de VEK-Info"));
    about.show();
    QApplication::setActiveWindow(&about);
    QTRY_VERIFY(!CPopupWnd::isOpen());
}

void TestArticleView::panesFollowTheirSizeRules() {
    // The sash's value from where a drag ends: the width fraction counts
    // from the left limit plus the sash's 6 pixels; the height from the
    // bottom limit. An empty range changes nothing.
    float value = -1;
    QVERIFY(CSash::widthFraction(250, 0, 1000, value));
    QCOMPARE(value, 0.256f);
    QVERIFY(CSash::heightPixels(600, 100, 700, value));
    QCOMPARE(value, 101.0f);
    value = -1;
    QVERIFY(!CSash::widthFraction(5, 10, 10, value));
    QVERIFY(!CSash::heightPixels(5, 10, 7, value));
    QCOMPARE(value, -1.0f);

    Viewer v;
    QVERIFY(v.start());
    CMainFrame* frame = v.frame();
    QTRY_COMPARE(frame->outlineBar()->width(), frame->width() / 4);
    frame->resize(1200, 700);
    QTRY_COMPARE(frame->outlineBar()->width(), 300);
    frame->outlineBar()->sash()->setValue(0.001f);
    frame->RecalcLayout();
    QTRY_COMPARE(frame->outlineBar()->width(), 10);

    CDlgBar* annotation = frame->annotationBar();
    QVERIFY(!annotation->isVisible());
    annotation->show();
    frame->RecalcLayout();
    QTRY_COMPARE(annotation->height(), CDlgBar::kAnnotationMinHeight);
    const int viewHeight = v.view()->height();
    annotation->findChild<CSash*>()->setValue(120.0f);
    frame->RecalcLayout();
    QTRY_COMPARE(annotation->height(), 120);
    QTRY_VERIFY(v.view()->height() < viewHeight);
}

void TestArticleView::contextMenuItemsInOrder() {
    Viewer v;
    QVERIFY(v.start());
    QStringList items;
    QRect placed;
    QTimer::singleShot(0, [&items, &placed] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr)
            return;
        for (QAction* a : menu->actions())
            items << (a->isSeparator() ? QStringLiteral("-") : a->text());
        placed = menu->geometry();
        menu->close();
    });
    // Well inside the screen, so that the menu need not be moved onto it.
    const QPoint local(v.view()->viewport()->width() / 2, 20);
    const QPoint pointer = v.view()->viewport()->mapToGlobal(local);
    QContextMenuEvent event(QContextMenuEvent::Mouse, local, pointer);
    QApplication::sendEvent(v.view()->viewport(), &event);
    // Below the pointer and centred on it across.
    QVERIFY(placed.isValid());
    QCOMPARE(placed.top(), pointer.y());
    QVERIFY2(std::abs(placed.center().x() - pointer.x()) <= 1,
             qPrintable(QStringLiteral("%1 %2").arg(placed.center().x()).arg(pointer.x())));
    QCOMPARE(items, (QStringList{QStringLiteral("&Copier"), QStringLiteral("&Tout sélectionner"),
                                 QStringLiteral("-"), QStringLiteral("&Rechercher..."),
                                 QStringLiteral("-"), QStringLiteral("&Historique"),
                                 QStringLiteral("Liste des &signets"), QStringLiteral("-"),
                                 QStringLiteral("&Annoter...")}));
    QCOMPARE(v.view()->currentArticle(), 1);
}

QTEST_MAIN(TestArticleView)
#include "tst_articleview.moc"
