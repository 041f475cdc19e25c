// SPDX-License-Identifier: GPL-3.0-or-later
// The outline pane in a real main window, offscreen: opening articles from
// the tree, the images that follow expansion, sync, and the width rule.

#include "support/Viewer.h"
#include "ui/base/CSash.h"
#include "ui/panes/COutlineBar.h"

#include <QMainWindow>
#include <QTest>

#include <memory>

using namespace tolvane;
using namespace tolvane::test;

namespace {

OutlineRecord Rec(const std::string& key, const std::string& title, const std::string& ref,
                  ArticleNumber article = 0) {
    return {key, title, ref, article};
}

// Partie                 folder 0
//   Chapitre             folder 1
//     Section            folder 2 (third level)
//       Article un       1
//       Article deux     2, with a child
//         Sous-dossier   folder 1
//           Profond      3
// Autre                  folder 0
//   Encore un            1 (created before "Article un", later in the tree)
void writeOutline(const std::string& base) {
    DataSourceWriter w;
    w.addArticle(1, "Un", "{\\rtf1 un}");
    w.addOutline(Rec("P", "Partie", "0"));
    w.addOutline(Rec("C", "Chapitre", "P"));
    w.addOutline(Rec("S", "Section", "C"));
    w.addOutline(Rec("T", "Autre", "0"));
    w.addOutline(Rec("E", "Encore un", "T", 1));
    w.addOutline(Rec("A1", "Article un", "S", 1));
    w.addOutline(Rec("A2", "Article deux", "S", 2));
    w.addOutline(Rec("D", "Sous-dossier", "A2"));
    w.addOutline(Rec("A3", "Profond", "D", 3));
    w.write(base);
}

class FailingSash : public CSash {
public:
    using CSash::CSash;
    bool Create(CDlgBar*, int, int, float) override { return false; }
};

class BarWithoutSash : public COutlineBar {
public:
    using COutlineBar::COutlineBar;

protected:
    CSash* newSash() override { return new FailingSash(this); }
};

} // namespace

class OutlineBarTest : public QObject {
    Q_OBJECT

private:
    TempDir m_dir;
    RecordingServices m_services;
    std::unique_ptr<QMainWindow> m_frame;
    COutlineBar* m_bar = nullptr;
    OutlineTree* m_tree = nullptr;
    QList<ArticleNumber> m_shown;

    QTreeWidgetItem* item(const QString& title) const {
        const auto found = m_tree->findItems(title, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.first();
    }
    void doubleClick(QTreeWidgetItem* it) {
        m_tree->scrollToItem(it);
        // A real double-click: press and release, then the second press
        // arriving as a double-click, then its release.
        const QPoint p = m_tree->visualItemRect(it).center();
        QTest::mouseClick(m_tree->viewport(), Qt::LeftButton, {}, p);
        QTest::mouseDClick(m_tree->viewport(), Qt::LeftButton, {}, p);
        QTest::mouseRelease(m_tree->viewport(), Qt::LeftButton, {}, p);
    }
    void key(Qt::Key k) { QTest::keyClick(m_tree, k, Qt::NoModifier); }

private slots:
    void initTestCase() { writeOutline(m_dir.file("aide")); }

    void init() {
        m_shown.clear();
        m_services.messages.clear();
        m_frame = std::make_unique<QMainWindow>();
        m_frame->setCentralWidget(new QWidget(m_frame.get()));
        m_bar = new COutlineBar(m_frame.get(), m_services);
        QVERIFY(m_bar->Create());
        m_tree = m_frame->findChild<OutlineTree*>(QStringLiteral("tree1003"));
        QVERIFY(m_tree);
        QVERIFY(m_bar->LoadOutline(m_dir.file("aide.FIC")));
        m_bar->setShowArticle([this](ArticleNumber n) {
            m_shown << n;
            return n != 2;
        });
        m_frame->resize(1000, 600);
        m_frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
        m_tree->setFocus();
    }

    void cleanup() {
        m_frame.reset();
        QVERIFY(m_services.messages.isEmpty());
    }

    void doubleClickOnFolderExpandsAndShowsNothing() {
        QTreeWidgetItem* partie = item(QStringLiteral("Partie"));
        doubleClick(partie);
        QVERIFY(partie->isExpanded());
        QVERIFY(m_shown.isEmpty());
        doubleClick(partie);
        QVERIFY(!partie->isExpanded());
        QVERIFY(m_shown.isEmpty());
    }

    void doubleClickOnArticleShowsItAndStillToggles() {
        m_tree->expandAll();
        doubleClick(item(QStringLiteral("Article un")));
        QCOMPARE(m_shown, QList<ArticleNumber>{1});
        QTreeWidgetItem* deux = item(QStringLiteral("Article deux"));
        m_tree->collapseItem(deux);
        doubleClick(deux);
        QCOMPARE(m_shown, (QList<ArticleNumber>{1, 2}));
        QVERIFY(deux->isExpanded());
        // The article could not be shown: the selection stays where it is.
        QCOMPARE(m_tree->currentItem(), deux);
        QCOMPARE(m_bar->ShowNodeArticle(deux), false);
        QCOMPARE(m_bar->ShowNodeArticle(item(QStringLiteral("Profond"))), true);
        QCOMPARE(m_bar->ShowNodeArticle(nullptr), false);
    }

    void enterAndSpaceShowTheSelectedNode() {
        m_tree->expandAll();
        m_tree->setCurrentItem(item(QStringLiteral("Article un")));
        key(Qt::Key_Return);
        key(Qt::Key_Enter);
        key(Qt::Key_Space);
        QCOMPARE(m_shown, (QList<ArticleNumber>{1, 1, 1}));
        m_tree->setCurrentItem(item(QStringLiteral("Section")));
        key(Qt::Key_Return);
        key(Qt::Key_Space);
        QCOMPARE(m_shown.size(), 3);
    }

    void escapeMinimisesTheMainWindow() {
        QVERIFY(!m_frame->isMinimized());
        key(Qt::Key_Escape);
        QTRY_VERIFY(m_frame->isMinimized());
        QVERIFY(m_shown.isEmpty());
    }

    void typingAndSelectingShowNothingAndMoveNothing() {
        QTreeWidgetItem* partie = item(QStringLiteral("Partie"));
        m_tree->setCurrentItem(partie);
        // "Autre" would be the match of an incremental search.
        QTest::keyClicks(m_tree, QStringLiteral("aAutreE"));
        QCOMPARE(m_tree->currentItem(), partie);
        // Moving the selection with the keys or the mouse shows nothing.
        key(Qt::Key_Down);
        QCOMPARE(m_tree->currentItem(), item(QStringLiteral("Autre")));
        QTest::mouseClick(m_tree->viewport(), Qt::LeftButton, {},
                          m_tree->visualItemRect(partie).center());
        QCOMPARE(m_tree->currentItem(), partie);
        QVERIFY(m_shown.isEmpty());
    }

    void clicksOnThePaneBackgroundDoNothing() {
        const QPoint corner(1, m_bar->height() - 1);
        QTest::mouseDClick(m_bar, Qt::LeftButton, {}, corner);
        QTest::mousePress(m_bar, Qt::LeftButton, {}, corner);
        QTest::mouseRelease(m_bar, Qt::LeftButton, {}, corner);
        QVERIFY(!m_bar->isFloating());
        QVERIFY(m_shown.isEmpty());
    }

    void imagesFollowExpansion() {
        QTreeWidgetItem* partie = item(QStringLiteral("Partie"));
        QTreeWidgetItem* chapitre = item(QStringLiteral("Chapitre"));
        QTreeWidgetItem* section = item(QStringLiteral("Section"));
        QTreeWidgetItem* deux = item(QStringLiteral("Article deux"));
        QCOMPARE(OutlineTree::imageOf(partie), 0);
        QCOMPARE(OutlineTree::imageOf(chapitre), 1);
        QCOMPARE(OutlineTree::imageOf(section), 2);
        QCOMPARE(OutlineTree::imageOf(item(QStringLiteral("Sous-dossier"))), 1);
        m_tree->expandItem(partie);
        m_tree->expandItem(chapitre);
        m_tree->expandItem(section);
        QCOMPARE(OutlineTree::imageOf(section), 7);
        QCOMPARE(OutlineTree::imageOf(partie), 5);
        m_tree->collapseItem(section);
        QCOMPARE(OutlineTree::imageOf(section), 2);
        // Collapsing an ancestor keeps the inner node's state and image.
        m_tree->expandItem(section);
        m_tree->collapseItem(partie);
        QCOMPARE(OutlineTree::imageOf(section), 7);
        QCOMPARE(OutlineTree::imageOf(partie), 0);
        // An article heading with children shows the open booklet.
        m_tree->expandItem(deux);
        QCOMPARE(OutlineTree::imageOf(deux), OutlineImageList::kOpenPage);
        QVERIFY(!m_tree->images().icon(OutlineImageList::kOpenPage).isNull());
        m_tree->collapseItem(deux);
        QCOMPARE(OutlineTree::imageOf(deux), OutlineImageList::kPage);
        QCOMPARE(deux->data(0, Qt::DecorationRole).value<QIcon>().cacheKey(),
                 m_tree->images().icon(OutlineImageList::kPage).cacheKey());
        // Expanding everything opens no leaf.
        m_tree->expandAll();
        QCOMPARE(OutlineTree::imageOf(item(QStringLiteral("Article un"))), OutlineImageList::kPage);
        QCOMPARE(OutlineTree::imageOf(item(QStringLiteral("Sous-dossier"))), 6);
    }

    void syncExpandsAndSelectsWithoutShowing() {
        m_bar->SyncArticle(3);
        QTreeWidgetItem* profond = item(QStringLiteral("Profond"));
        QCOMPARE(m_tree->currentItem(), profond);
        QVERIFY(profond->isSelected());
        for (QTreeWidgetItem* p = profond->parent(); p; p = p->parent())
            QVERIFY(p->isExpanded());
        QCOMPARE(OutlineTree::imageOf(item(QStringLiteral("Section"))), 7);
        QCOMPARE(OutlineTree::imageOf(item(QStringLiteral("Article deux"))), 15);
        QVERIFY(m_tree->viewport()->rect().intersects(m_tree->visualItemRect(profond)));
        QVERIFY(!item(QStringLiteral("Autre"))->isExpanded());
        QVERIFY(m_shown.isEmpty());

        // Two nodes carry article 1: the first in tree order is chosen, not
        // the first created.
        m_bar->SyncArticle(1);
        QCOMPARE(m_tree->currentItem(), item(QStringLiteral("Article un")));
        QVERIFY(!item(QStringLiteral("Autre"))->isExpanded());
    }

    void syncToArticleWithoutNodeChangesNothing() {
        QTreeWidgetItem* autre = item(QStringLiteral("Autre"));
        m_tree->setCurrentItem(autre);
        for (ArticleNumber n : {99, 0, -1}) {
            m_bar->SyncArticle(n);
            QCOMPARE(m_tree->currentItem(), autre);
        }
        QVERIFY(!item(QStringLiteral("Partie"))->isExpanded());
        QVERIFY(!autre->isExpanded());
        QVERIFY(m_shown.isEmpty());
    }

    void widthFollowsTheSashValue() {
        const struct {
            float value;
            int clientWidth;
            int expected;
        } cases[] = {
            {0.25f, 1000, 250},  {0.005f, 1000, 10},   {1.5f, 1000, 1000}, {0.0109f, 1000, 10},
            {0.0111f, 1000, 11}, {0.2555f, 1000, 255}, {-3.0f, 1000, 10},  {1e30f, 1000, 1000},
            {0.5f, 6, 6},        {0.25f, 0, 0},
        };
        for (const auto& c : cases)
            QCOMPARE(COutlineBar::paneWidth(c.value, c.clientWidth), c.expected);

        QCOMPARE(m_frame->width(), 1000);
        QVERIFY(m_bar->sash());
        QCOMPARE(m_bar->sash()->value(), 0.25f);
        m_bar->updateSize();
        QCOMPARE(m_bar->dockedSize(), QSize(250, m_frame->centralWidget()->height()));
        QTRY_COMPARE(m_bar->width(), 250);
        // The tree fills the pane short of its margins; the sash sits along
        // the right edge.
        QCOMPARE(m_tree->geometry().right(), 250 - 7);
        QCOMPARE(m_bar->sash()->geometry(), QRect(250 - 6, 0, 4, m_bar->height()));
        for (const auto& c : {std::pair{0.005f, 10}, std::pair{1.5f, 1000}}) {
            m_bar->sash()->setValue(c.first);
            m_bar->updateSize();
            QCOMPARE(m_bar->dockedSize().width(), c.second);
        }
    }

    void sashFailureIsReportedAndThePaneWorksOn() {
        QMainWindow frame;
        auto* bar = new BarWithoutSash(&frame, m_services);
        QVERIFY(bar->Create());
        QCOMPARE(m_services.messages, QStringList{QStringLiteral("Error creating staticbar")});
        m_services.messages.clear();
        QVERIFY(bar->sash() == nullptr);
        frame.resize(1000, 600);
        bar->updateSize();
        QCOMPARE(bar->dockedSize().width(), 250);
    }

    void deepOutlineIsShownAndGoesWithoutExhaustingTheStack() {
        // A chain of nested folders far deeper than any real outline:
        // loading, syncing to the bottom and destroying must not recurse
        // once a level.
        DataSourceWriter w;
        const int depth = 200000;
        w.addOutline(Rec("0k", "n0", "0"));
        for (int i = 1; i < depth; ++i)
            w.addOutline(Rec(std::to_string(i) + "k", "n" + std::to_string(i),
                             std::to_string(i - 1) + "k", i == depth - 1 ? 5 : 0));
        QVERIFY(w.write(m_dir.file("profond")));
        {
            OutlineTree tree;
            QVERIFY(tree.LoadOutline(m_dir.file("profond.FIC")));
            QCOMPARE(tree.topLevelItemCount(), 1);
            QTreeWidgetItem* last = tree.itemOfNode(depth - 1);
            QCOMPARE(tree.articleOfNode(last), 5);
            int shownDepth = 0;
            for (QTreeWidgetItem* p = last->parent(); p; p = p->parent())
                ++shownDepth;
            QCOMPARE(shownDepth, OutlineTree::kMaxShownDepth);
            QCOMPARE(tree.itemOfNode(OutlineTree::kMaxShownDepth + 1)->parent(),
                     tree.itemOfNode(OutlineTree::kMaxShownDepth - 1));
            tree.resize(300, 400);
            tree.show();
            tree.SyncArticle(5);
            QCOMPARE(tree.currentItem(), last);
            QVERIFY(QTest::qWaitForWindowExposed(&tree));
            // An item added from outside goes with the tree too.
            tree.addTopLevelItem(new QTreeWidgetItem(QStringList{QStringLiteral("autre")}));
        }
        m_bar->LoadOutline(m_dir.file("absent.FIC"));
        QCOMPARE(m_tree->topLevelItemCount(), 0);
    }
};

QTEST_MAIN(OutlineBarTest)
#include "tst_outlinebar.moc"
