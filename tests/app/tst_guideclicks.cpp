// SPDX-License-Identifier: GPL-3.0-or-later
// Where a click follows a link, on the guide's glossary: only a point inside
// a character's cell on a line of text does, for the character that holds
// it; the blank right of a line's end, left of its start and below the last
// line follows nothing, and the pointer shows the link hand only where a
// click would follow.

#include "support/Viewer.h"
#include "ui/view/CPopupWnd.h"

#include <QApplication>
#include <QScrollBar>

using namespace tolvane;
using namespace tolvane::test;

namespace {

ArticleNumber articleTitled(const ArticleStore& store, const std::string& title) {
    ArticleNumber found = 0;
    store.ForEachArticle(
        [&](ArticleNumber number, const std::string& t, ArticleStore::BodyReader&) {
            if (t == title)
                found = number;
            return found == 0;
        });
    return found;
}

} // namespace

class TestGuideClicks : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (!Viewer::guideBuilt())
            QSKIP("the guide is not built");
    }

    void onlyPointsOnCharactersFollowLinks() {
        Viewer v(Viewer::guide());
        // Not shown: the pointer's moves go to the view itself.
        QVERIFY(v.start());
        const ArticleNumber glossary = articleTitled(v.frame()->store(), "Glossaire");
        QVERIFY(glossary > 0);
        QVERIFY(v.app->ShowArticle(glossary, 0));
        CTolvaneView* view = v.view();
        QWidget* viewport = view->viewport();
        // The frame has laid itself out: the pointer reaches the view.
        QTRY_COMPARE(QApplication::widgetAt(viewport->mapToGlobal(QPoint(5, 5))), viewport);
        QVERIFY(viewport->width() > 500);

        // The glossary's first entry is "• <tab> Annotation", a popup link
        // ending its line; its last one ends the text.
        const std::u16string& text = view->richDocument().text;
        const int annotation = int(text.find(u"Annotation"));
        const int last = int(text.rfind(u"Source de donn"));
        QVERIFY(annotation > 0 && last > annotation);
        const auto link = view->LinkAt(annotation);
        QVERIFY(link.has_value());
        const QPoint lineTop = view->posFromChar(annotation);
        const int y = lineTop.y() + view->fontMetrics().height() / 2;
        const QPoint afterWord = view->posFromChar(annotation + 10);
        const QPoint lastEnd = view->posFromChar(last + 17);
        const int belowText = lastEnd.y() + 3 * view->fontMetrics().height();
        QVERIFY(belowText < viewport->height());
        QVERIFY(lastEnd.x() + 10 < viewport->width());

        const struct {
            const char* name;
            QPoint point;
            bool follows;
        } cases[] = {
            {"on the link's first letter", lineTop + QPoint(2, y - lineTop.y()), true},
            {"on its last letter", QPoint(afterWord.x() - 2, y), true},
            {"just right of the line's end", QPoint(afterWord.x() + 3, y), false},
            {"far right of the line", QPoint(std::min(800, viewport->width() - 4), y), false},
            {"left of the line's start", QPoint(1, y), false},
            {"on the last link's last letter",
             QPoint(lastEnd.x() - 2, lastEnd.y() + view->fontMetrics().height() / 2), true},
            {"right of the text's last line",
             QPoint(lastEnd.x() + 10, lastEnd.y() + view->fontMetrics().height() / 2), false},
            {"below the last line", QPoint(lastEnd.x() - 2, belowText), false},
            {"below the text, far left", QPoint(5, viewport->height() - 3), false},
        };
        for (const auto& c : cases) {
            QTest::mouseMove(viewport, c.point);
            QTRY_VERIFY2(viewport->cursor().shape() ==
                             (c.follows ? Qt::PointingHandCursor : Qt::ArrowCursor),
                         c.name);
            QTest::mouseClick(viewport, Qt::LeftButton, {}, c.point);
            QVERIFY2(CPopupWnd::isOpen() == c.follows, c.name);
            QCOMPARE(view->currentArticle(), glossary);
            CPopupWnd::ClosePopup();
        }
    }
};

QTEST_MAIN(TestGuideClicks)
#include "tst_guideclicks.moc"
