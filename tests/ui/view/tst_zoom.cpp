// SPDX-License-Identifier: GPL-3.0-or-later
// Text size in the article view: Ctrl + wheel, its bounds, its keeping
// across articles and popups, positions under zoom, and printing at the
// article's own sizes.

#include "app/CMainFrame.h"
#include "app/CTolvaneApp.h"
#include "support/PdfPages.h"
#include "support/Viewer.h"
#include "ui/view/CPopupWnd.h"
#include "ui/view/CTolvaneDoc.h"
#include "ui/view/CTolvaneView.h"
#include "ui/view/RichTextEdit.h"

#include <QApplication>
#include <QFile>
#include <QPrinter>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QWheelEvent>

#include <climits>
#include <memory>

using namespace tolvane;
using namespace tolvane::test;

namespace {

// One wheel event on a widget's viewport.
void wheel(RichTextEdit* edit, int delta, Qt::KeyboardModifiers modifiers) {
    const QPointF at(20, 20);
    QWheelEvent event(at, edit->viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta),
                      Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(edit->viewport(), &event);
}

qreal firstPointSize(const QTextDocument* document) {
    QTextCursor cursor(const_cast<QTextDocument*>(document));
    cursor.setPosition(1);
    return cursor.charFormat().fontPointSize();
}

} // namespace

class TestZoom : public QObject {
    Q_OBJECT

private slots:
    void stepsStayWithinBounds();
    void ctrlWheelZoomsAndTheSizeStaysForTheRun();
    void positionsAndClicksStayRightUnderZoom_data();
    void positionsAndClicksStayRightUnderZoom();
    void zoomKeepsTopLineAndSelection();
    void printingIgnoresTheTextSize();
};

void TestZoom::stepsStayWithinBounds() {
    QCOMPARE(RichTextEdit::zoomStep(100, 1), 110);
    QCOMPARE(RichTextEdit::zoomStep(100, -1), 90);
    QCOMPARE(RichTextEdit::zoomStep(100, 3), 150);
    QCOMPARE(RichTextEdit::zoomStep(105, 1), 110); // off the scale: to the next step
    QCOMPARE(RichTextEdit::zoomStep(105, -1), 100);
    QCOMPARE(RichTextEdit::zoomStep(250, 5), 300);
    QCOMPARE(RichTextEdit::zoomStep(67, -9), 50);
    QCOMPARE(RichTextEdit::zoomStep(1000, 0), 300);
    QCOMPARE(RichTextEdit::zoomStep(-4, 0), 50);
    RichTextEdit edit;
    edit.setZoomPercent(20);
    QCOMPARE(edit.zoomPercent(), RichTextEdit::kMinZoom);
    edit.setZoomPercent(900);
    QCOMPARE(edit.zoomPercent(), RichTextEdit::kMaxZoom);
}

void TestZoom::ctrlWheelZoomsAndTheSizeStaysForTheRun() {
    Viewer v;
    QVERIFY(v.show());
    CTolvaneView* view = v.view();
    QCOMPARE(view->zoomPercent(), 100);
    const qreal size100 = firstPointSize(view->document());

    wheel(view, 120, Qt::ControlModifier);
    QCOMPARE(view->zoomPercent(), 110);
    QCOMPARE(firstPointSize(view->document()), size100 * 1.1);
    // A smooth wheel's fractions add up to one step.
    wheel(view, 60, Qt::ControlModifier);
    QCOMPARE(view->zoomPercent(), 110);
    wheel(view, 60, Qt::ControlModifier);
    QCOMPARE(view->zoomPercent(), 125);
    wheel(view, -240, Qt::ControlModifier);
    QCOMPARE(view->zoomPercent(), 100);
    for (int i = 0; i < 30; ++i)
        wheel(view, 120, Qt::ControlModifier);
    QCOMPARE(view->zoomPercent(), RichTextEdit::kMaxZoom);
    for (int i = 0; i < 30; ++i)
        wheel(view, -120, Qt::ControlModifier);
    QCOMPARE(view->zoomPercent(), RichTextEdit::kMinZoom);
    // Absurd deltas stay within the scale (and within int).
    wheel(view, INT_MAX, Qt::ControlModifier);
    wheel(view, INT_MAX, Qt::ControlModifier);
    QCOMPARE(view->zoomPercent(), RichTextEdit::kMaxZoom);
    wheel(view, INT_MIN, Qt::ControlModifier);
    wheel(view, INT_MIN, Qt::ControlModifier);
    QCOMPARE(view->zoomPercent(), RichTextEdit::kMinZoom);
    wheel(view, 120 * 6, Qt::ControlModifier);
    QCOMPARE(view->zoomPercent(), 110);

    // Without Ctrl the wheel scrolls and leaves the size.
    const int before = view->verticalScrollBar()->value();
    wheel(view, -360, Qt::NoModifier);
    QCOMPARE(view->zoomPercent(), 110);
    QVERIFY(view->verticalScrollBar()->value() > before);
    wheel(view, 120, Qt::ControlModifier);
    QCOMPARE(view->zoomPercent(), 125);

    // A new article and a popup note keep the size.
    QVERIFY(view->ShowArticle(2, 0));
    QCOMPARE(view->zoomPercent(), 125);
    QCOMPARE(firstPointSize(view->document()), size100 * 1.25);
    QVERIFY(view->ShowArticle(1, 0));
    QVERIFY(view->ShowArticle(50, 0));
    QVERIFY(CPopupWnd::isOpen());
    RichTextEdit* note = CPopupWnd::openPopup()->textControl();
    QCOMPARE(note->zoomPercent(), 125);
    QCOMPARE(firstPointSize(note->document()), size100 * 1.25);
    // The popup does not change its size by itself.
    wheel(note, 120, Qt::ControlModifier);
    QCOMPARE(note->zoomPercent(), 125);
    CPopupWnd::ClosePopup();
}

void TestZoom::positionsAndClicksStayRightUnderZoom_data() {
    QTest::addColumn<int>("zoom");
    QTest::newRow("50 %") << 50;
    QTest::newRow("100 %") << 100;
    QTest::newRow("200 %") << 200;
    QTest::newRow("300 %") << 300;
}

void TestZoom::positionsAndClicksStayRightUnderZoom() {
    QFETCH(int, zoom);
    Viewer v;
    QVERIFY(v.show());
    // Wide enough for the first line to stay whole at 300 %.
    v.frame()->resize(1800, 800);
    CTolvaneView* view = v.view();
    // Line 3 of the home article starts at "Ligne 2", past two lines of
    // 35 and 9 positions.
    const int line3 = 35 + 9;
    // Measured from below the document's margin, which does not scale.
    const int margin = int(view->document()->documentMargin());
    const int y100 = view->posFromChar(line3).y() - margin;
    view->setZoomPercent(zoom);
    QCOMPARE(view->zoomPercent(), zoom);
    const int y = view->posFromChar(line3).y() - margin;
    QVERIFY2(std::abs(y - y100 * zoom / 100) <= 2 + y100 * zoom / 1000,
             qPrintable(QStringLiteral("%1 against %2").arg(y).arg(y100)));
    for (int position :
         {0, 5, kFirstLinkFirst, kFirstLinkLast, kDoubleLinkFirst + 3, line3, line3 + 6}) {
        const QPoint point = middleOf(view, position);
        QCOMPARE(view->charFromPos(point), position);
    }
    // The character just past an anchor is not on it, its last one is.
    QCOMPARE(view->LinkAt(view->charFromPos(middleOf(view, kFirstLinkLast + 1))),
             std::optional<ArticleNumber>());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, middleOf(view, kFirstLinkLast));
    QCOMPARE(view->currentArticle(), 2);
    QCOMPARE(view->zoomPercent(), zoom);
}

void TestZoom::zoomKeepsTopLineAndSelection() {
    Viewer v;
    QVERIFY(v.show());
    CTolvaneView* view = v.view();
    // A line that can still be the top one at 50 %, when the whole article
    // is less than two screens high.
    view->lineScroll(20);
    const int top = view->firstVisiblePosition();
    QVERIFY(top > 0);
    view->setSelection(top + 2, top + 6);
    view->setZoomPercent(200);
    QCOMPARE(view->firstVisiblePosition(), top);
    QCOMPARE(view->selection(), std::make_pair(top + 2, top + 6));
    view->setZoomPercent(50);
    QCOMPARE(view->firstVisiblePosition(), top);
    QCOMPARE(view->selection(), std::make_pair(top + 2, top + 6));
}

void TestZoom::printingIgnoresTheTextSize() {
    Viewer v;
    QVERIFY(v.show());
    CTolvaneView* view = v.view();
    QVERIFY(view->ShowArticle(2, 0));
    const auto print = [&](const std::string& name) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString path = QString::fromStdString(v.dir.file(name));
        printer.setOutputFileName(path);
        CTolvaneDoc::printArticle(*view, printer);
        return pdfPages(path);
    };
    const int pages100 = print("a100.pdf");
    QVERIFY(pages100 > 1);
    view->setZoomPercent(300);
    QCOMPARE(firstPointSize(view->document()), 30.0);
    QCOMPARE(firstPointSize(view->buildDocument(100).get()), 10.0);
    QCOMPARE(print("a300.pdf"), pages100);
    // Printing left the view as it was.
    QCOMPARE(view->zoomPercent(), 300);
    QCOMPARE(firstPointSize(view->document()), 30.0);
}

QTEST_MAIN(TestZoom)
#include "tst_zoom.moc"
