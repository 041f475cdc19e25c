// SPDX-License-Identifier: GPL-3.0-or-later
// Both sashes of the main window dragged to every edge of the window and
// beyond, then back, on the guide (registered at 100 % and 200 %): the
// panes follow their rules (as wide as the frame allows above a value of 1,
// 10 pixels at the left, at least 46 pixels high) and the main window keeps
// its size throughout.

#include "support/Viewer.h"
#include "ui/base/CSash.h"
#include "ui/base/CommandTable.h"
#include "ui/panes/COutlineBar.h"

#include <QLayout>
#include <QToolBar>

using namespace tolvane;
using namespace tolvane::test;

namespace {

// Presses the sash in its middle, moves to target (frame coordinates) in a
// few steps and lets go there.
void drag(CSash* sash, QWidget* frame, QPoint target) {
    const QPoint start = sash->rect().center();
    QTest::mousePress(sash, Qt::LeftButton, {}, start);
    const QPoint end = sash->mapFrom(frame, target);
    for (int step = 1; step <= 4; ++step)
        QTest::mouseMove(sash, start + (end - start) * step / 4);
    QTest::mouseRelease(sash, Qt::LeftButton, {}, end);
    // Whatever the layout posts to itself is handled before the checks.
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

// The frame's own rectangle holds the widget entirely.
bool inside(QWidget* widget, QWidget* frame) {
    return frame->rect().contains(QRect(widget->mapTo(frame, QPoint(0, 0)), widget->size()));
}

} // namespace

class TestSashes : public QObject {
    Q_OBJECT

private slots:
    void init() {
        if (!Viewer::guideBuilt())
            QSKIP("the guide is not built");
        QVERIFY(v.show());
    }
    void cleanup() { v.stop(); }

    void outlineSashToEveryEdgeAndBack() {
        CMainFrame* frame = v.frame();
        COutlineBar* bar = v.frame()->outlineBar();
        CSash* sash = bar->sash();
        QVERIFY(sash != nullptr);
        const QSize size = frame->size();
        const int start = bar->width();
        QCOMPARE(start, int(0.25f * float(frame->width())));
        const int y = bar->mapTo(frame, QPoint(0, bar->height() / 2)).y();
        const int w = frame->width();
        const struct {
            const char* name;
            int x;
            bool full;  // the pane takes all the frame gives
            bool floor; // the pane is 10 pixels wide
        } steps[] = {
            {"right edge", w - 3, true, false},     {"beyond the right", w + 300, true, false},
            {"middle", w / 2, false, false},        {"left edge", 0, false, true},
            {"beyond the left", -300, false, true}, {"right again", w - 1, true, false},
            {"back", start - 4, false, false},
        };
        for (const auto& step : steps) {
            drag(sash, frame, QPoint(step.x, y));
            QVERIFY2(frame->size() == size, step.name);
            QVERIFY2(frame->minimumWidth() <= size.width(), step.name);
            QVERIFY2(frame->layout()->totalMinimumSize().width() <= size.width(), step.name);
            QVERIFY2(bar->width() >= 10, step.name);
            if (step.floor)
                QVERIFY2(bar->width() == 10, step.name);
            if (step.full) {
                // All but the separator beside it: the view has nothing left.
                QVERIFY2(sash->value() > 1.0f, step.name);
                QVERIFY2(bar->width() >= w - 8, qPrintable(QString::number(bar->width())));
            }
            // The sash 6 pixels inside the pane's right edge, on screen,
            // where it can be dragged again.
            QVERIFY2(sash->geometry() == QRect(bar->width() - 6, 0, 4, bar->height()), step.name);
            QVERIFY2(inside(sash, frame), step.name);
            QVERIFY2(sash->isVisible(), step.name);
        }
        QVERIFY(std::abs(bar->width() - start) <= 1);
        QCOMPARE(frame->size(), size);

        // A pane as wide as the window does not hold the window at that
        // width: the user can still make it smaller, and the pane follows.
        drag(sash, frame, QPoint(w + 100, y));
        const QSize smaller(size.width() * 3 / 4, size.height() * 3 / 4);
        frame->resize(smaller);
        QTRY_COMPARE(frame->size(), smaller);
        QTRY_VERIFY(inside(sash, frame));
        QVERIFY(bar->width() >= smaller.width() - 8);
    }

    void annotationSashToEveryEdgeAndBack() {
        CMainFrame* frame = v.frame();
        frame->action(cmd::kAnnotation)->trigger();
        CDlgBar* bar = frame->annotationBar();
        QTRY_VERIFY(bar->isVisible());
        CSash* sash = bar->findChild<CSash*>();
        QVERIFY(sash != nullptr);
        const QSize size = frame->size();
        QTRY_COMPARE(bar->height(), 46);
        const int x = frame->width() / 2;
        const int h = frame->height();
        const int toolBarBottom = frame->findChild<QToolBar*>()->geometry().bottom();
        const struct {
            const char* name;
            int y;
            bool full; // the pane takes all the frame gives
        } steps[] = {
            {"top edge", 0, true},         {"above the window", -400, true},
            {"bottom edge", h - 1, false}, {"below the window", h + 400, false},
            {"middle", h / 2, false},      {"top again", 1, true},
            {"back", h - 46, false},
        };
        for (const auto& step : steps) {
            drag(sash, frame, QPoint(x, step.y));
            QVERIFY2(frame->size() == size, step.name);
            QVERIFY2(frame->minimumHeight() <= size.height(), step.name);
            QVERIFY2(frame->layout()->totalMinimumSize().height() <= size.height(), step.name);
            QVERIFY2(bar->height() >= 46, step.name);
            if (step.full) {
                QVERIFY2(bar->y() <= toolBarBottom + 8, qPrintable(QString::number(bar->y())));
            }
            QVERIFY2(sash->geometry() == QRect(0, 1, bar->width(), 4), step.name);
            QVERIFY2(inside(sash, frame), step.name);
        }
        QVERIFY(std::abs(bar->height() - 46) <= 2);
        // The outline sash still works below a pane that filled the frame.
        QCOMPARE(frame->size(), size);
    }

    void barsShownAgainBesideAFullPane() {
        CMainFrame* frame = v.frame();
        frame->action(cmd::kAnnotation)->trigger();
        CDlgBar* bar = frame->annotationBar();
        CSash* sash = bar->findChild<CSash*>();
        QVERIFY(sash != nullptr);
        const QSize size = frame->size();
        drag(sash, frame, QPoint(frame->width() / 2, -100));
        QCOMPARE(frame->size(), size);
        // Hiding and showing the tool and status bars gives the room back
        // and takes it again, from the pane, not from the window.
        for (int id : {cmd::kToolBar, cmd::kStatusBar}) {
            for (int shown = 0; shown < 2; ++shown) {
                frame->action(id)->trigger();
                for (int i = 0; i < 5; ++i)
                    QCoreApplication::processEvents();
                QCOMPARE(frame->size(), size);
            }
            QVERIFY(inside(sash, frame));
        }
    }

private:
    // On the guide, shown anew for each test.
    Viewer v{Viewer::guide()};
};

QTEST_MAIN(TestSashes)
#include "tst_sashes.moc"
