// SPDX-License-Identifier: GPL-3.0-or-later
// The windows at the scale the test runs with (QT_SCALE_FACTOR 1, 1.5 and 2
// are registered): icons drawn at the screen's pixel ratio, not blown up,
// and nothing clipped in the toolbar and the dialogs.

#include "app/CMainFrame.h"
#include "app/CTolvaneApp.h"
#include "support/Viewer.h"
#include "ui/panes/CAboutDlg.h"
#include "ui/panes/CAnnotationBar.h"
#include "ui/panes/CFindDialog.h"
#include "ui/panes/CListWindow.h"
#include "ui/panes/COutlineBar.h"
#include "ui/panes/OutlineImageList.h"
#include "ui/panes/OutlineTree.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QSet>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QtMath>

#include <cmath>
#include <memory>

using namespace tolvane;
using namespace tolvane::test;

namespace {

qreal expectedScale() {
    bool ok = false;
    const qreal scale = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&ok);
    return ok && scale > 0 ? scale : 1.0;
}

int distinctColours(const QImage& image) {
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    return int(colours.size());
}

// A pixmap drawn for the ratio: device pixels = logical size × ratio.
bool sharp(const QPixmap& pixmap, QSize logical, qreal ratio) {
    const QSize device(qRound(logical.width() * ratio), qRound(logical.height() * ratio));
    return qFuzzyCompare(pixmap.devicePixelRatio(), ratio) && pixmap.size() == device;
}

// The children of a window that a user reads or presses, where their text
// must fit.
QStringList clipped(QWidget* window) {
    QStringList faults;
    const QRect inside = window->rect();
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if (!child->isVisibleTo(window))
            continue;
        const QRect at(child->mapTo(window, QPoint(0, 0)), child->size());
        if (!inside.contains(at))
            faults << child->objectName() + QStringLiteral(" outside");
        QString text;
        if (auto* button = qobject_cast<QAbstractButton*>(child))
            text = button->text();
        else if (auto* label = qobject_cast<QLabel*>(child))
            text = label->text();
        text.remove(QLatin1Char('&'));
        if (!text.isEmpty() && child->fontMetrics().horizontalAdvance(text) > child->width())
            faults << text + QStringLiteral(" cut");
    }
    return faults;
}

} // namespace

class TestHighDpi : public QObject {
    Q_OBJECT

private slots:
    void runsAtTheRequestedScale();
    void iconsAreDrawnAtTheScreenRatio();
    void nothingClippedInWindows();
};

void TestHighDpi::runsAtTheRequestedScale() {
    QCOMPARE(qApp->devicePixelRatio(), expectedScale());
}

void TestHighDpi::iconsAreDrawnAtTheScreenRatio() {
    Viewer v;
    QVERIFY(v.start());
    CTolvaneApp& app = *v.app;
    CMainFrame* frame = app.mainFrame();
    frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(frame));
    const qreal ratio = frame->devicePixelRatioF();
    QCOMPARE(ratio, expectedScale());

    // Toolbar buttons: SVG icons rendered at the device size.
    int buttons = 0;
    for (QToolButton* button : frame->toolBar()->findChildren<QToolButton*>()) {
        if (!button->isVisible() || button->icon().isNull())
            continue;
        ++buttons;
        const QPixmap pixmap = button->icon().pixmap(button->iconSize(), ratio);
        QVERIFY2(sharp(pixmap, button->iconSize(), ratio), qPrintable(button->toolTip()));
        QVERIFY(button->width() >= button->iconSize().width());
        QVERIFY(frame->toolBar()->rect().contains(button->geometry()));
    }
    QCOMPARE(buttons, 12);

    // Outline images: drawn, not enlarged from 16 × 16 (an enlarged image
    // would blend its colours into many new ones).
    OutlineTree* tree = frame->outlineBar()->tree();
    QVERIFY(tree->topLevelItemCount() > 0);
    const QIcon nodeIcon = tree->topLevelItem(0)->icon(0);
    // Drawn at 1× and 2×: at 150 % the 2× image serves, never the 1× one
    // blown up.
    const QPixmap node = nodeIcon.pixmap(QSize(16, 16), ratio);
    QVERIFY2(node.width() >= qCeil(16 * ratio) && node.height() >= qCeil(16 * ratio),
             qPrintable(QStringLiteral("%1 × %2").arg(node.width()).arg(node.height())));
    if (qFuzzyCompare(ratio, 1.0) || qFuzzyCompare(ratio, 2.0))
        QVERIFY(sharp(node, QSize(16, 16), ratio));
    const OutlineImageList images;
    for (int i = 0; i < OutlineImageList::kCount; ++i) {
        const QImage once = images.icon(i).pixmap(QSize(16, 16), 1.0).toImage();
        const QImage scaled = images.icon(i).pixmap(QSize(16, 16), ratio).toImage();
        if (std::abs(ratio - 2.0) < 0.01)
            QVERIFY2(distinctColours(scaled) <= distinctColours(once),
                     qPrintable(QString::number(i)));
    }

    // The annotation pane's picture.
    app.onAnnotation();
    auto* notes = qobject_cast<CAnnotationBar*>(frame->annotationBar());
    QVERIFY(notes != nullptr);
    QLabel* icon = nullptr;
    for (QLabel* label : notes->findChildren<QLabel*>()) {
        if (!label->pixmap().isNull())
            icon = label;
    }
    QVERIFY(icon != nullptr);
    const QPixmap picture = icon->pixmap();
    QCOMPARE(picture.devicePixelRatio(), ratio);
    QVERIFY(QRect(QPoint(0, 0), icon->size())
                .contains(QRect(QPoint(0, 0), picture.deviceIndependentSize().toSize())));
    QVERIFY(picture.width() >= qRound(picture.deviceIndependentSize().width() * ratio) - 1);

    CAboutDlg about(frame);
    auto* aboutIcon = about.findChild<QLabel*>(QStringLiteral("aboutIcon"));
    QVERIFY(aboutIcon != nullptr);
    QVERIFY(sharp(aboutIcon->pixmap(), QSize(48, 48), ratio));
}

void TestHighDpi::nothingClippedInWindows() {
    Viewer v;
    QVERIFY(v.start());
    CTolvaneApp& app = *v.app;
    CMainFrame* frame = app.mainFrame();
    frame->resize(1000, 720);
    frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(frame));
    // Every toolbar button fits: none is pushed into the extension menu.
    QToolBar* bar = frame->toolBar();
    for (QAction* action : bar->actions()) {
        QWidget* widget = bar->widgetForAction(action);
        QVERIFY(widget != nullptr);
        QVERIFY2(widget->isVisible(), qPrintable(action->toolTip()));
        QVERIFY(bar->rect().contains(widget->geometry()));
    }
    QList<QWidget*> windows{app.findDialog(), app.bookmarksWindow(), app.historyWindow()};
    CAboutDlg about(frame);
    windows << &about;
    for (QWidget* window : windows) {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        const QStringList faults = clipped(window);
        QVERIFY2(faults.isEmpty(), qPrintable(window->windowTitle() + QStringLiteral(": ") +
                                              faults.join(QStringLiteral(", "))));
        window->hide();
    }
}

QTEST_MAIN(TestHighDpi)
#include "tst_highdpi.moc"
