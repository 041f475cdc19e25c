// Accessibility and keyboard use of the viewer's windows, through Qt's
// accessibility interfaces: names and descriptions, the article's text and
// links for screen readers, mnemonics, focus order and Escape.

#include "app/CMainFrame.h"
#include "app/CTolvaneApp.h"
#include "support/FixtureViewer.h"
#include "ui/base/CommandTable.h"
#include "ui/panes/CAboutDlg.h"
#include "ui/panes/CAnnotationBar.h"
#include "ui/panes/CBookmarkNameDialog.h"
#include "ui/panes/CFindDialog.h"
#include "ui/panes/CListWindow.h"
#include "ui/panes/COutlineBar.h"
#include "ui/panes/OutlineTree.h"
#include "ui/view/CPopupWnd.h"
#include "ui/view/CTolvaneView.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSet>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <functional>
#include <memory>

using namespace tolvane;
using namespace tolvane::test;

namespace {

using Viewer = FixtureViewer;

// Roles of the things a user acts on or reads; plain containers (role
// Client) and the rows inside lists and trees are not counted.
bool isControl(QAccessible::Role role) {
    switch (role) {
    case QAccessible::PushButton:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::ComboBox:
    case QAccessible::EditableText:
    case QAccessible::StaticText:
    case QAccessible::List:
    case QAccessible::Tree:
    case QAccessible::Link:
    case QAccessible::ToolBar:
    case QAccessible::MenuBar:
    case QAccessible::StatusBar:
    case QAccessible::ScrollBar:
    case QAccessible::ButtonMenu:
    case QAccessible::ButtonDropDown:
    case QAccessible::Grouping:
    case QAccessible::Dialog:
    case QAccessible::Window:
    case QAccessible::Graphic:
    case QAccessible::Pane:
        return true;
    default:
        return false;
    }
}

// Every shown control under root, as "role name" for the failures.
QStringList unnamedControls(QAccessibleInterface* root) {
    QStringList missing;
    QSet<QAccessibleInterface*> seen;
    std::function<void(QAccessibleInterface*, int)> walk = [&](QAccessibleInterface* iface,
                                                               int depth) {
        if (iface == nullptr || depth > 40 || seen.contains(iface))
            return;
        seen.insert(iface);
        if (iface->state().invisible)
            return;
        if (isControl(iface->role())) {
            const QString name = iface->text(QAccessible::Name);
            const QString description = iface->text(QAccessible::Description);
            const QObject* object = iface->object();
            if (name.trimmed().isEmpty() || description.trimmed().isEmpty())
                missing << QStringLiteral("%1 %2 (%3) in %4")
                               .arg(int(iface->role()))
                               .arg(object ? object->objectName() : QStringLiteral("-"),
                                    object ? QString::fromLatin1(object->metaObject()->className())
                                           : QStringLiteral("-"),
                                    object && object->parent()
                                        ? object->parent()->objectName() + QLatin1Char('/') +
                                              (object->parent()->parent()
                                                   ? object->parent()->parent()->objectName()
                                                   : QString())
                                        : QString());
        }
        for (int i = 0; i < iface->childCount(); ++i)
            walk(iface->child(i), depth + 1);
    };
    walk(root, 0);
    return missing;
}

// The letter after the single '&' of a text, lower case; 0 without one.
QChar mnemonic(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('&')) {
            if (text.at(i + 1) == QLatin1Char('&')) {
                ++i;
                continue;
            }
            return text.at(i + 1).toLower();
        }
    }
    return QChar();
}

// Texts of a menu's items without a mnemonic or sharing one.
QStringList mnemonicFaults(const QList<QAction*>& actions) {
    QStringList faults;
    QSet<QChar> letters;
    for (const QAction* action : actions) {
        if (action->isSeparator() || !action->isVisible())
            continue;
        const QChar letter = mnemonic(action->text());
        if (letter.isNull() || letters.contains(letter))
            faults << action->text();
        letters.insert(letter);
    }
    return faults;
}

// Runs a modal dialog, pressing key in it once it is up.
int execPressing(QDialog& dialog, int key) {
    QTimer::singleShot(0, &dialog, [&dialog, key] {
        if (!QTest::qWaitFor([&dialog] { return dialog.isVisible(); }))
            return;
        QWidget* target = dialog.focusWidget() != nullptr ? dialog.focusWidget() : &dialog;
        QTest::keyClick(target, Qt::Key(key));
    });
    return dialog.exec();
}

} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT

private slots:
    void everyShownControlHasNameAndDescription();
    void actionsHaveFrenchTipsAndMenusUniqueMnemonics();
    void articleTextAndLinksForScreenReaders();
    void linkOutsideTextOrUnderAnEarlierOneIsLeftOut();
    void escapeClosesDialogsAndPopup();
    void tabAndF6MoveBetweenPanes();
};

void TestAccessibility::everyShownControlHasNameAndDescription() {
    Viewer v;
    QVERIFY(v.started);
    QVERIFY(v.waitLoaded());
    v.frame()->show();
    v.app->OnAnnotation();
    QVERIFY(v.frame()->annotationBar()->isVisible());
    QStringList missing = unnamedControls(QAccessible::queryAccessibleInterface(v.frame()));

    // The view's text and links come from its own interface.
    QAccessibleInterface* view = QAccessible::queryAccessibleInterface(v.view());
    QVERIFY(view->text(QAccessible::Name).contains(QStringLiteral("Accueil")));
    QVERIFY(!view->text(QAccessible::Description).isEmpty());

    QList<QWidget*> windows{v.app->findDialog(), v.app->historyWindow(), v.app->resultsWindow(),
                            v.app->bookmarksWindow()};
    CBookmarkNameDialog name(QStringLiteral("Ajouter un signet"), QStringLiteral("Accueil"),
                             v.frame());
    CAboutDlg about(v.frame());
    windows << &name << &about;
    for (QWidget* window : windows) {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        missing << unnamedControls(QAccessible::queryAccessibleInterface(window));
        window->hide();
    }

    // A popup note and its text.
    const QPoint note = v.view()->posFromChar(kPopupLinkFirst + 1) + QPoint(1, 4);
    QTest::mouseClick(v.view()->viewport(), Qt::LeftButton, {}, note);
    QTRY_VERIFY(CPopupWnd::IsOpen());
    QAccessibleInterface* popup = QAccessible::queryAccessibleInterface(CPopupWnd::OpenPopup());
    QCOMPARE(popup->text(QAccessible::Name), QStringLiteral("Note : Une note"));
    missing << unnamedControls(popup);
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QStringLiteral("; "))));
}

void TestAccessibility::actionsHaveFrenchTipsAndMenusUniqueMnemonics() {
    Viewer v;
    QVERIFY(v.waitLoaded());
    QList<QAction*> titles;
    for (QAction* menuAction : v.frame()->menuBar()->actions()) {
        titles << menuAction;
        QMenu* menu = menuAction->menu();
        QVERIFY(menu != nullptr);
        const QStringList faults = mnemonicFaults(menu->actions());
        QVERIFY2(faults.isEmpty(), qPrintable(menu->title() + QStringLiteral(": ") +
                                              faults.join(QStringLiteral(", "))));
        for (QAction* item : menu->actions()) {
            if (item->isSeparator())
                continue;
            QVERIFY2(!item->statusTip().isEmpty(), qPrintable(item->text()));
        }
    }
    QVERIFY(mnemonicFaults(titles).isEmpty());
    // Toolbar buttons: their tooltip is their name, their prompt their
    // description.
    for (QAction* action : v.frame()->toolBar()->actions()) {
        if (action->isSeparator())
            continue;
        QWidget* button = v.frame()->toolBar()->widgetForAction(action);
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(button);
        QCOMPARE(iface->text(QAccessible::Name), action->toolTip());
        QCOMPARE(iface->text(QAccessible::Description), action->statusTip());
        QVERIFY(!action->toolTip().isEmpty());
    }
    QCOMPARE(v.frame()->action(cmd::Back)->toolTip(), QStringLiteral("Page précédente"));

    // The view's context menu, read while it is open.
    QStringList faults{QStringLiteral("menu never opened")};
    QTimer::singleShot(0, [&faults] {
        if (!QTest::qWaitFor(
                [] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); }))
            return;
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr)
            return;
        faults = mnemonicFaults(menu->actions());
        menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(20, 20),
                            v.view()->viewport()->mapToGlobal(QPoint(20, 20)));
    QApplication::sendEvent(v.view()->viewport(), &event);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral(", "))));

    // Dialog buttons and labels carry mnemonics of their own. The find
    // window's texts are fixed as they are, one letter shared (Qt then
    // moves the focus between the two controls), so only their presence
    // is checked there; its "Article courant" has its letter as a shortcut.
    CBookmarkNameDialog name(QStringLiteral("Ajouter un signet"), QString(), v.frame());
    CAboutDlg about(v.frame());
    QList<QWidget*> dialogs{&name, &about, v.app->bookmarksWindow(), v.app->findDialog()};
    for (QWidget* dialog : dialogs) {
        QSet<QChar> letters;
        for (QWidget* child : dialog->findChildren<QWidget*>()) {
            QString text;
            if (auto* button = qobject_cast<QAbstractButton*>(child))
                text = button->shortcut().isEmpty()
                           ? button->text()
                           : QStringLiteral("&") + button->shortcut().toString().right(1);
            else if (auto* label = qobject_cast<QLabel*>(child); label && label->buddy())
                text = label->text();
            else
                continue;
            const QChar letter = mnemonic(text);
            QVERIFY2(!letter.isNull(), qPrintable(text));
            if (dialog != v.app->findDialog()) {
                QVERIFY2(!letters.contains(letter), qPrintable(text));
                letters.insert(letter);
            }
        }
    }
}

void TestAccessibility::articleTextAndLinksForScreenReaders() {
    Viewer v;
    QVERIFY(v.waitLoaded());
    v.frame()->show();
    QVERIFY(QTest::qWaitForWindowExposed(v.frame()));
    QAccessibleInterface* view = QAccessible::queryAccessibleInterface(v.view());
    QAccessibleTextInterface* text = view->textInterface();
    QVERIFY(text != nullptr);
    const QString all = text->text(0, text->characterCount());
    QVERIFY(all.startsWith(QStringLiteral("Aller a Deux, Note, Rien, Double.\nLigne 1\n")));
    QVERIFY(all.contains(QStringLiteral("Ligne 120")));
    QVERIFY(view->state().readOnly);

    // One child per reachable link, in text order; the overlap shows its
    // part past the earlier link.
    const QStringList names{QStringLiteral("Deux"), QStringLiteral("Note"), QStringLiteral("Rien"),
                            QStringLiteral("Double"), QStringLiteral("uble.")};
    const QStringList descriptions{QStringLiteral("Ouvre l'article « Deux »"),
                                   QStringLiteral("Ouvre la note « Une note »"),
                                   QStringLiteral("Lien vers un article absent (999)"),
                                   QStringLiteral("Ouvre l'article « Généralités »"),
                                   QStringLiteral("Ouvre l'article « Deux »")};
    QCOMPARE(view->childCount(), names.size());
    for (int i = 0; i < view->childCount(); ++i) {
        QAccessibleInterface* link = view->child(i);
        QCOMPARE(link->role(), QAccessible::Link);
        QCOMPARE(link->text(QAccessible::Name), names[i]);
        QCOMPARE(link->text(QAccessible::Description), descriptions[i]);
        QCOMPARE(view->indexOfChild(link), i);
        QCOMPARE(link->parent(), view);
        QAccessibleHyperlinkInterface* hyper = link->hyperlinkInterface();
        QVERIFY(hyper != nullptr);
        QCOMPARE(text->text(hyper->startIndex(), hyper->endIndex()), names[i]);
        // The link's place on screen holds its characters.
        const QRect rect = link->rect();
        QVERIFY(rect.isValid());
        QCOMPARE(text->offsetAtPoint(rect.center()) >= hyper->startIndex() - 1, true);
        QCOMPARE(view->childAt(rect.center().x(), rect.center().y()) != nullptr, true);
        QCOMPARE(link->actionInterface()->actionNames(),
                 QStringList{QAccessibleActionInterface::pressAction()});
    }

    // Pressing the note's link opens its popup next to it, article kept.
    QAccessibleInterface* note = view->child(1);
    const QRect noteRect = note->rect();
    note->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QVERIFY(CPopupWnd::IsOpen());
    QCOMPARE(v.view()->currentArticle(), 1);
    QVERIFY(noteRect.adjusted(-2, -2, 2, 2).contains(CTolvaneView::lastLinkClick()));
    CPopupWnd::ClosePopup();

    // Pressing "Deux" shows article 2: the old links are gone, the new
    // article's are there.
    QAccessibleInterface* two = view->child(0);
    two->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(v.view()->currentArticle(), 2);
    QVERIFY(!two->isValid());
    two->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(v.view()->currentArticle(), 2);
    QCOMPARE(view->childCount(), 1);
    QCOMPARE(view->child(0)->text(QAccessible::Name), QStringLiteral("Deux"));
    QVERIFY(view->text(QAccessible::Name).contains(QStringLiteral("Deux")));
    QVERIFY(text->text(0, text->characterCount()).startsWith(QStringLiteral("Deux ligne 0\n")));
}

void TestAccessibility::linkOutsideTextOrUnderAnEarlierOneIsLeftOut() {
    TempDir dir;
    const std::string base = dir.file("liens");
    DataSourceWriter w;
    const std::string body = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\fs20 "
                             "Un deux trois quatre.\\par}";
    // "Un deux trois quatre." + CR LF: positions 0 to 22.
    w.addArticle(1, "Liens", body,
                 {{3, 7, 2, 0},     // "deux " wins
                  {4, 6, 3, 0},     // wholly under the first: never reached
                  {7, 12, 3, 0},    // "trois" past the first's end
                  {30, 40, 2, 0},   // past the text
                  {19, 200, 2, 0},  // runs past the end: "e.\r\n" kept
                  {12, 11, 2, 0}}); // reversed
    w.addArticle(2, "Deux", body);
    w.addArticle(3, "Trois", body);
    w.write(base);
    RecordingServices services;
    CTolvaneApp app(services);
    struct Exit {
        CTolvaneApp& app;
        ~Exit() { app.ExitInstance(); }
    } exit{app};
    QVERIFY(app.InitInstance({"/D:" + base, "/A:" + dir.file("user")}, "/nonexistent/tolvane"));
    QVERIFY(QTest::qWaitFor([&app] { return app.mainFrame()->initialLoadDone(); }));
    const auto links = app.mainFrame()->view()->ShownLinks();
    QStringList anchors;
    for (const auto& link : links)
        anchors << link.anchor + QLatin1Char('>') + QString::number(link.target);
    QCOMPARE(anchors, (QStringList{QStringLiteral("deux>2"), QStringLiteral("trois>3"),
                                   QStringLiteral("e.>2")}));
}

void TestAccessibility::escapeClosesDialogsAndPopup() {
    Viewer v;
    QVERIFY(v.waitLoaded());
    v.frame()->show();
    QVERIFY(QTest::qWaitForWindowExposed(v.frame()));

    v.app->OnFind();
    QTRY_VERIFY(v.app->findDialog()->isVisible());
    QTest::keyClick(v.app->findDialog(), Qt::Key_Escape);
    QVERIFY(!v.app->findDialog()->isVisible());
    for (CListWindow* list :
         {v.app->historyWindow(), v.app->resultsWindow(), v.app->bookmarksWindow()}) {
        list->ShowList();
        QTRY_VERIFY(list->isVisible());
        QTest::keyClick(list->listBox(), Qt::Key_Escape);
        QVERIFY2(!list->isVisible(), qPrintable(list->windowTitle()));
    }

    CBookmarkNameDialog name(QStringLiteral("Ajouter un signet"), QStringLiteral("Accueil"),
                             v.frame());
    QCOMPARE(execPressing(name, Qt::Key_Escape), int(QDialog::Rejected));
    CAboutDlg about(v.frame());
    QCOMPARE(execPressing(about, Qt::Key_Escape), int(QDialog::Rejected));

    // Escape in the view closes the popup only; the window stays.
    const QPoint note = v.view()->posFromChar(kPopupLinkFirst + 1) + QPoint(1, 4);
    QTest::mouseClick(v.view()->viewport(), Qt::LeftButton, {}, note);
    QTRY_VERIFY(CPopupWnd::IsOpen());
    QTest::keyClick(v.view(), Qt::Key_Escape);
    QVERIFY(!CPopupWnd::IsOpen());
    QVERIFY(!v.frame()->isMinimized());
}

void TestAccessibility::tabAndF6MoveBetweenPanes() {
    Viewer v;
    QVERIFY(v.waitLoaded());
    v.frame()->show();
    QVERIFY(QTest::qWaitForWindowExposed(v.frame()));
    QApplication::setActiveWindow(v.frame());
    OutlineTree* tree = v.frame()->outlineBar()->tree();
    auto* notes = qobject_cast<CAnnotationBar*>(v.frame()->annotationBar());
    QVERIFY(notes != nullptr);

    tree->setFocus();
    QTRY_VERIFY(tree->hasFocus());
    QTest::keyClick(tree, Qt::Key_Tab);
    QTRY_VERIFY(v.view()->hasFocus());
    // The annotation pane is hidden: F6 goes round the two shown panes.
    QTest::keyClick(v.view(), Qt::Key_F6);
    QTRY_VERIFY(tree->hasFocus());
    QTest::keyClick(tree, Qt::Key_F6, Qt::ShiftModifier);
    QTRY_VERIFY(v.view()->hasFocus());

    v.app->OnAnnotation();
    QTRY_VERIFY(notes->isVisible());
    QTest::keyClick(v.view(), Qt::Key_F6);
    QTRY_VERIFY(notes->edit()->hasFocus());
    QTest::keyClick(notes->edit(), Qt::Key_F6);
    QTRY_VERIFY(tree->hasFocus());
    QTest::keyClick(tree, Qt::Key_F6, Qt::ShiftModifier);
    QTRY_VERIFY(notes->edit()->hasFocus());
    // F6 changed no text and no article.
    QVERIFY(notes->edit()->toPlainText().isEmpty());
    QCOMPARE(v.view()->currentArticle(), 1);
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
