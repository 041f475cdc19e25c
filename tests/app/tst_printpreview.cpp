// SPDX-License-Identifier: GPL-3.0-or-later
// The print preview in the real viewer on the bundled guide, offscreen: the
// pages it shows are the pages Ctrl+P prints, whatever the text size on
// screen; Ctrl+Shift+P opens it titled, with its tools named in French,
// pages turned and zoomed, and Escape closes it.

#include "support/PdfPages.h"
#include "support/Viewer.h"
#include "ui/base/CommandTable.h"
#include "ui/view/CTolvaneDoc.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

using namespace tolvane;
using namespace tolvane::test;

namespace {

// The guide's longest article, and a short one.
const std::string kLongArticle = "Guide de lecture complet";
const std::string kShortArticle = "Imprimer un article";

// A printer writing a PDF file on A4 paper, as a print dialog leaves it.
void setUpPrinter(QPrinter& printer, const QString& path) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageSize(QPageSize(QPageSize::A4));
}

// The preview's enabled tool button of that name, if any.
QToolButton* tool(QPrintPreviewDialog* dialog, const QString& name) {
    for (QToolBar* bar : dialog->findChildren<QToolBar*>()) {
        for (QAction* action : bar->actions()) {
            auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(action));
            if (action->text() == name && button != nullptr && button->isEnabled())
                return button;
        }
    }
    return nullptr;
}

bool clickTool(QPrintPreviewDialog* dialog, const QString& name) {
    QToolButton* button = tool(dialog, name);
    if (button != nullptr)
        button->click();
    return button != nullptr;
}

} // namespace

class TestPrintPreview : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void pagesAreThePrintedPages_data();
    void pagesAreThePrintedPages();
    void shortcutOpensTheTitledWindow();

private:
    std::unique_ptr<Viewer> m_viewer;
};

void TestPrintPreview::initTestCase() {
    if (!Viewer::guideBuilt())
        QSKIP("the guide is not built");
    m_viewer = std::make_unique<Viewer>(Viewer::guide());
    QVERIFY(m_viewer->show());
}

void TestPrintPreview::pagesAreThePrintedPages_data() {
    QTest::addColumn<QByteArray>("title");
    QTest::addColumn<int>("zoom");
    QTest::newRow("short") << QByteArray::fromStdString(kShortArticle) << 100;
    QTest::newRow("long") << QByteArray::fromStdString(kLongArticle) << 100;
    QTest::newRow("long, text made larger on screen")
        << QByteArray::fromStdString(kLongArticle) << 250;
    QTest::newRow("long, text made smaller on screen")
        << QByteArray::fromStdString(kLongArticle) << 50;
}

void TestPrintPreview::pagesAreThePrintedPages() {
    QFETCH(QByteArray, title);
    const ArticleNumber article = articleTitled(m_viewer->frame(), title.toStdString());
    QVERIFY(article != 0);
    QFETCH(int, zoom);
    CTolvaneView* view = m_viewer->view();
    QVERIFY(m_viewer->app->ShowArticle(article, 0));
    view->setZoomPercent(zoom);
    const QString pdf = QString::fromStdString(m_viewer->dir.file("article.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    setUpPrinter(printer, pdf);
    CTolvaneDoc::printArticle(*view, printer);
    const int printed = pdfPages(pdf);
    QVERIFY(printed >= 1);
    if (title.toStdString() == kLongArticle)
        QVERIFY2(printed > 2, qPrintable(QString::number(printed)));

    QPrinter shown(QPrinter::HighResolution);
    setUpPrinter(shown, QString::fromStdString(m_viewer->dir.file("unused.pdf")));
    const std::unique_ptr<QPrintPreviewDialog> dialog =
        CTolvaneDoc::createPreview(*view, shown, m_viewer->frame());
    dialog->show();
    auto* pages = dialog->findChild<QPrintPreviewWidget*>();
    QVERIFY(pages != nullptr);
    QTRY_VERIFY(pages->pageCount() > 0);
    QCOMPARE(pages->pageCount(), printed);
    dialog->close();
    view->setZoomPercent(100);
}

void TestPrintPreview::shortcutOpensTheTitledWindow() {
    CMainFrame* frame = m_viewer->frame();
    QVERIFY(m_viewer->app->ShowArticle(articleTitled(frame, kLongArticle), 0));
    QAction* command = frame->action(cmd::kPrintPreview);
    QVERIFY(command != nullptr);
    QCOMPARE(command->text(), QStringLiteral("Aperçu avant &impression"));
    QCOMPARE(command->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    QVERIFY(frame->findChild<QMenu*>(QStringLiteral("menuArticle"))->actions().contains(command));

    QString title;
    QString accessibleName;
    QStringList unnamed;
    QStringList names;
    int pageCount = 0;
    int pageAfterNext = 0;
    bool zoomed = false;
    bool printEnabled = false;
    bool closedByEscape = false;
    QTimer::singleShot(0, this, [&] {
        auto* dialog = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog != nullptr);
        title = dialog->windowTitle();
        accessibleName = dialog->accessibleName();
        auto* pages = dialog->findChild<QPrintPreviewWidget*>();
        QTRY_VERIFY(pages->pageCount() > 1);
        pageCount = pages->pageCount();
        for (QToolBar* bar : dialog->findChildren<QToolBar*>()) {
            for (QAction* action : bar->actions()) {
                QWidget* widget = bar->widgetForAction(action);
                if (action->isSeparator() || widget == nullptr)
                    continue;
                if (widget->accessibleName().isEmpty())
                    unnamed << QString::fromLatin1(widget->metaObject()->className());
                else
                    names << widget->accessibleName();
            }
        }
        // Page turning and zoom, as the tools do them.
        pages->setCurrentPage(1);
        QVERIFY(clickTool(dialog, QStringLiteral("Page suivante")));
        pageAfterNext = pages->currentPage();
        const qreal fitted = pages->zoomFactor();
        QVERIFY(clickTool(dialog, QStringLiteral("Agrandir")));
        zoomed = pages->zoomFactor() > fitted;
        printEnabled = tool(dialog, QStringLiteral("Imprimer")) != nullptr;
        QTest::keyClick(dialog, Qt::Key_Escape);
        closedByEscape = !dialog->isVisible();
    });
    QTest::keyClick(frame, Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(title, QStringLiteral("Aperçu avant impression"));
    QCOMPARE(accessibleName, title);
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(u", ")));
    for (const char16_t* name :
         {u"Page suivante", u"Page précédente", u"Première page", u"Dernière page", u"Agrandir",
          u"Réduire", u"Imprimer", u"Mise en page", u"Toutes les pages"})
        QVERIFY2(names.contains(QString::fromUtf16(name)), qPrintable(names.join(u", ")));
    QVERIFY(pageCount > 1);
    QCOMPARE(pageAfterNext, 2);
    QVERIFY(zoomed);
    QVERIFY(printEnabled);
    QVERIFY(closedByEscape);
    QTRY_VERIFY(QApplication::activeModalWidget() == nullptr);
}

QTEST_MAIN(TestPrintPreview)
#include "tst_printpreview.moc"
