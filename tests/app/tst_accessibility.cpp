// SPDX-License-Identifier: GPL-3.0-or-later
// Accessibility and keyboard use of the viewer's windows, through Qt's
// accessibility interfaces: names and descriptions, the article's text and
// links for screen readers, mnemonics, focus order and Escape.

#include "app/CMainFrame.h"
#include "app/CTolvaneApp.h"
#include "support/Viewer.h"
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
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSet>
#include <QSizeGrip>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include <algorithm>
#include <functional>
#include <memory>

using namespace tolvane;
using namespace tolvane::test;

namespace {

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

// The fixture's first article as Tab reaches its links.
const QStringList kLinkNames{QStringLiteral("Deux"), QStringLiteral("Note"), QStringLiteral("Rien"),
                             QStringLiteral("Double"), QStringLiteral("uble.")};

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
    void tabGoesFromLinkToLinkAndEnterFollows();
    void currentLinkFramedInEitherPalette();
    void f7CaretMovesSelectsAndIsKept();
    void notesAreToldAsTooltips();
    void namesFollowTitlesAndStatusMessages();
    void menusOutlineListsAndInnerParts();
};

void TestAccessibility::everyShownControlHasNameAndDescription() {
    Viewer v;
    QVERIFY(v.start());
    v.frame()->show();
    v.app->onAnnotation();
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
    QTRY_VERIFY(CPopupWnd::isOpen());
    QAccessibleInterface* popup = QAccessible::queryAccessibleInterface(CPopupWnd::openPopup());
    QCOMPARE(popup->text(QAccessible::Name), QStringLiteral("Note : Une note"));
    missing << unnamedControls(popup);
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QStringLiteral("; "))));
}

void TestAccessibility::actionsHaveFrenchTipsAndMenusUniqueMnemonics() {
    Viewer v;
    QVERIFY(v.start());
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
    QCOMPARE(v.frame()->action(cmd::kBack)->toolTip(), QStringLiteral("Page précédente"));
    // A screen reader's action on a window's button opens the window, as a
    // click does, and again closes it.
    v.frame()->show();
    QWidget* findButton = v.frame()->toolBar()->widgetForAction(v.frame()->action(cmd::kFind));
    QAccessibleActionInterface* press =
        QAccessible::queryAccessibleInterface(findButton)->actionInterface();
    QVERIFY(!press->actionNames().isEmpty());
    press->doAction(press->actionNames().first());
    QTRY_VERIFY(v.app->findDialog()->isVisible());
    QVERIFY(v.frame()->action(cmd::kFind)->isChecked());
    press->doAction(press->actionNames().first());
    QTRY_VERIFY(!v.app->findDialog()->isVisible());

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
    QVERIFY(v.start());
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
    QVERIFY(CPopupWnd::isOpen());
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

    // Lines are the lines on screen: a narrow article wraps its first
    // paragraph, read back line after line up to its end.
    int start = -1;
    int end = -1;
    QCOMPARE(text->textAtOffset(2, QAccessible::LineBoundary, &start, &end),
             QStringLiteral("Deux ligne 0\n"));
    QCOMPARE(text->textAfterOffset(2, QAccessible::LineBoundary, &start, &end),
             QStringLiteral("Deux ligne 1\n"));
    QCOMPARE(text->textBeforeOffset(start, QAccessible::LineBoundary, &start, &end),
             QStringLiteral("Deux ligne 0\n"));
    QCOMPARE(text->textBeforeOffset(0, QAccessible::LineBoundary, &start, &end), QString());
    v.view()->setLineWrapMode(QTextEdit::FixedPixelWidth);
    v.view()->setLineWrapColumnOrWidth(
        v.view()->fontMetrics().horizontalAdvance(QStringLiteral("Deux li")));
    QString paragraph = text->textAtOffset(0, QAccessible::LineBoundary, &start, &end);
    QCOMPARE(start, 0);
    int lines = 1;
    while (!paragraph.endsWith(QLatin1Char('\n')) && lines < 10) {
        paragraph += text->textAfterOffset(start, QAccessible::LineBoundary, &start, &end);
        ++lines;
    }
    QVERIFY(lines > 1);
    QCOMPARE(paragraph, QStringLiteral("Deux ligne 0\n"));
    v.view()->setLineWrapMode(QTextEdit::WidgetWidth);
}

void TestAccessibility::linkOutsideTextOrUnderAnEarlierOneIsLeftOut() {
    DataSourceWriter w;
    const std::string body = plainBody("Un deux trois quatre.");
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
    Viewer v(w);
    QVERIFY(v.start());
    const auto links = v.view()->shownLinks();
    QStringList anchors;
    for (const auto& link : links)
        anchors << link.anchor + QLatin1Char('>') + QString::number(link.target);
    QCOMPARE(anchors, (QStringList{QStringLiteral("deux>2"), QStringLiteral("trois>3"),
                                   QStringLiteral("e.>2")}));
}

void TestAccessibility::escapeClosesDialogsAndPopup() {
    Viewer v;
    QVERIFY(v.start());
    v.frame()->show();
    QVERIFY(QTest::qWaitForWindowExposed(v.frame()));

    v.app->onFind();
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
    QTRY_VERIFY(CPopupWnd::isOpen());
    QTest::keyClick(v.view(), Qt::Key_Escape);
    QVERIFY(!CPopupWnd::isOpen());
    QVERIFY(!v.frame()->isMinimized());
}

void TestAccessibility::tabAndF6MoveBetweenPanes() {
    Viewer v;
    QVERIFY(v.start());
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

    v.app->onAnnotation();
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

void TestAccessibility::tabGoesFromLinkToLinkAndEnterFollows() {
    Viewer v;
    QVERIFY(v.show());
    CTolvaneView* view = v.view();
    OutlineTree* tree = v.frame()->outlineBar()->tree();
    QAccessibleInterface* article = QAccessible::queryAccessibleInterface(view);
    tree->setFocus();
    QTRY_VERIFY(tree->hasFocus());
    QTest::keyClick(tree, Qt::Key_Tab);
    QTRY_VERIFY(view->hasFocus());
    QCOMPARE(view->focusedLink(), -1);

    // Tab: each link in text order, focused for assistive technologies,
    // then out of the article.
    for (int i = 0; i < kLinkNames.size(); ++i) {
        QTest::keyClick(view, Qt::Key_Tab);
        QCOMPARE(view->focusedLink(), i);
        QVERIFY(view->hasFocus());
        for (int j = 0; j < article->childCount(); ++j)
            QCOMPARE(article->child(j)->state().focused, j == i);
        QVERIFY(article->child(i)->state().focusable);
    }
    QTest::keyClick(view, Qt::Key_Tab);
    QTRY_VERIFY(!view->hasFocus());
    QCOMPARE(view->focusedLink(), -1);

    // Shift+Tab comes back in to the last link and walks back to the
    // article itself, then out.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
    QTRY_COMPARE(view->focusedLink(), int(kLinkNames.size()) - 1);
    for (int i = int(kLinkNames.size()) - 2; i >= -1; --i) {
        QTest::keyClick(view, Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(view->focusedLink(), i);
        QVERIFY(view->hasFocus());
    }
    QTest::keyClick(view, Qt::Key_Tab, Qt::ShiftModifier);
    QTRY_VERIFY(!view->hasFocus());

    // Enter on the note's link opens the note next to it, the article kept.
    view->setFocus();
    QTRY_VERIFY(view->hasFocus());
    QTest::keyClick(view, Qt::Key_Tab);
    QTest::keyClick(view, Qt::Key_Tab);
    QCOMPARE(view->focusedLink(), 1);
    QTest::keyClick(view, Qt::Key_Return);
    QVERIFY(CPopupWnd::isOpen());
    QCOMPARE(view->currentArticle(), 1);
    QRect noteRect;
    for (const QRect& rect : view->linkRects(view->shownLinks()[1]))
        noteRect = noteRect.united(rect);
    QVERIFY(QRect(view->viewport()->mapToGlobal(noteRect.topLeft()), noteRect.size())
                .adjusted(-2, -2, 2, 2)
                .contains(CTolvaneView::lastLinkClick()));
    QTest::keyClick(view, Qt::Key_Escape);
    QVERIFY(!CPopupWnd::isOpen());
    QVERIFY(!v.frame()->isMinimized());

    // Enter on "Double" shows its article; Tab starts again at its links.
    QTest::keyClick(view, Qt::Key_Tab);
    QTest::keyClick(view, Qt::Key_Tab);
    QCOMPARE(view->focusedLink(), 3);
    QTest::keyClick(view, Qt::Key_Enter);
    QCOMPARE(view->currentArticle(), 3);
    QCOMPARE(view->focusedLink(), -1);
    QVERIFY(v.frame()->windowTitle().endsWith(QStringLiteral("Généralités")));
    // Without the caret the keys only scroll: Down scrolls, the caret stays.
    const int top = view->verticalScrollBar()->value();
    QTest::keyClick(view, Qt::Key_Down);
    QVERIFY(view->verticalScrollBar()->value() > top);
    QCOMPARE(view->textCursor().position(), 0);
    // No links here: Tab leaves at once.
    QTest::keyClick(view, Qt::Key_Tab);
    QTRY_VERIFY(!view->hasFocus());
}

void TestAccessibility::currentLinkFramedInEitherPalette() {
    Viewer v;
    QVERIFY(v.show());
    QVERIFY(v.focusView());
    CTolvaneView* view = v.view();
    QPalette dark;
    dark.setColor(QPalette::Base, QColor(0x20, 0x20, 0x20));
    dark.setColor(QPalette::Text, QColor(0xE8, 0xE8, 0xE8));
    QPalette light;
    light.setColor(QPalette::Base, Qt::white);
    light.setColor(QPalette::Text, Qt::black);
    for (const QPalette& palette : {light, dark}) {
        view->setPalette(palette);
        QVERIFY(!view->showsLightPage());
        view->setFocusedLink(-1);
        const QImage plain = view->viewport()->grab().toImage();
        QVERIFY(view->setFocusedLink(3));
        const QImage framed = view->viewport()->grab().toImage();
        const std::vector<QRect> rects = view->linkRects(view->shownLinks()[3]);
        QCOMPARE(rects.size(), size_t(1));
        // The frame's left edge, in the page's text colour, where the page
        // was blank.
        const qreal ratio = framed.devicePixelRatio();
        const QPoint edge(int((rects[0].left() - 2) * ratio), int(rects[0].center().y() * ratio));
        const QColor ink = palette.color(QPalette::Text);
        QCOMPARE(framed.pixelColor(edge).name(), ink.name());
        QVERIFY(plain.pixelColor(edge).name() != ink.name());
        QVERIFY(RichTextEdit::contrastRatio(ink, palette.color(QPalette::Base)) >= 4.5);
    }
    QVERIFY(!view->setFocusedLink(5));
    QVERIFY(!view->setFocusedLink(-2));
    QCOMPARE(view->focusedLink(), 3);
}

void TestAccessibility::f7CaretMovesSelectsAndIsKept() {
    {
        Viewer v;
        QVERIFY(v.show());
        CTolvaneView* view = v.view();
        QAccessibleTextInterface* text =
            QAccessible::queryAccessibleInterface(view)->textInterface();
        view->setFocus();
        QTRY_VERIFY(view->hasFocus());
        QVERIFY(!CTolvaneView::caretBrowsing());
        QCOMPARE(view->cursorWidth(), 0);
        QTest::keyClick(view, Qt::Key_F7);
        QVERIFY(CTolvaneView::caretBrowsing());
        QVERIFY(view->cursorWidth() > 0);

        const int top = view->verticalScrollBar()->value();
        QTest::keyClick(view, Qt::Key_Down);
        const int second = text->cursorPosition();
        QCOMPARE(view->toNumberingPosition(second),
                 int(std::string("Aller a Deux, Note, Rien, Double.\r\n").size()));
        QCOMPARE(view->verticalScrollBar()->value(), top);
        // Ctrl+Right goes by words, End to the end of the line, Shift+Up
        // selects back up to the first line.
        QTest::keyClick(view, Qt::Key_Right, Qt::ControlModifier);
        QVERIFY(text->cursorPosition() > second + 1);
        QTest::keyClick(view, Qt::Key_End);
        QCOMPARE(text->text(second, text->cursorPosition()), QStringLiteral("Ligne 1"));
        QTest::keyClick(view, Qt::Key_Home);
        QCOMPARE(text->cursorPosition(), second);
        QTest::keyClick(view, Qt::Key_Up, Qt::ShiftModifier);
        QCOMPARE(text->selectionCount(), 1);
        int start = 0, end = 0;
        text->selection(0, &start, &end);
        QCOMPARE(start, 0);
        QCOMPARE(end, second);
        QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(text->cursorPosition(), text->characterCount());
        // With the caret on, Enter in a link follows it.
        QVERIFY(view->setFocusedLink(0));
        QCOMPARE(view->toNumberingPosition(text->cursorPosition()), 8);
        view->setFocusedLink(-1);
        QTest::keyClick(view, Qt::Key_Return);
        QCOMPARE(view->currentArticle(), 2);
    }
    // A new window of the same run keeps the caret; F7 turns it off and the
    // arrows scroll again.
    Viewer v;
    QVERIFY(v.show());
    QVERIFY(v.focusView());
    CTolvaneView* view = v.view();
    QVERIFY(view->textInteractionFlags() & Qt::TextSelectableByKeyboard);
    QTest::keyClick(view, Qt::Key_F7);
    QVERIFY(!CTolvaneView::caretBrowsing());
    QCOMPARE(view->cursorWidth(), 0);
    QVERIFY(!(view->textInteractionFlags() & Qt::TextSelectableByKeyboard));
    const int position = view->textCursor().position();
    QTest::keyClick(view, Qt::Key_Down);
    QCOMPARE(view->textCursor().position(), position);
}

void TestAccessibility::notesAreToldAsTooltips() {
    Viewer v;
    QVERIFY(v.show());
    v.view()->setFocusedLink(1);
    QTest::keyClick(v.view(), Qt::Key_Return);
    QVERIFY(CPopupWnd::isOpen());
    CPopupWnd* popup = CPopupWnd::openPopup();
    QAccessibleInterface* note = QAccessible::queryAccessibleInterface(popup);
    QCOMPARE(note->role(), QAccessible::ToolTip);
    QCOMPARE(note->text(QAccessible::Name), QStringLiteral("Note : Une note"));
    QCOMPARE(note->text(QAccessible::Description), QStringLiteral("Texte de la note."));
    QAccessibleInterface* text = QAccessible::queryAccessibleInterface(popup->textControl());
    QVERIFY(text->state().readOnly);
    QVERIFY(!text->state().editable);
}

void TestAccessibility::namesFollowTitlesAndStatusMessages() {
    Viewer v;
    QVERIFY(v.show());
    QAccessibleInterface* frame = QAccessible::queryAccessibleInterface(v.frame());
    QCOMPARE(frame->text(QAccessible::Name), v.frame()->windowTitle());
    QVERIFY(frame->text(QAccessible::Name).endsWith(QStringLiteral(" - Accueil")));
    QVERIFY(v.view()->ShowArticle(2, 0));
    QVERIFY(frame->text(QAccessible::Name).endsWith(QStringLiteral(" - Deux")));

    QStatusBar* bar = v.frame()->statusBar();
    QAccessibleInterface* status = QAccessible::queryAccessibleInterface(bar);
    QCOMPARE(status->text(QAccessible::Name), bar->currentMessage());
    QVERIFY(!bar->currentMessage().isEmpty());
    bar->showMessage(QStringLiteral("Affiche ou masque la barre d'état"));
    QCOMPARE(status->text(QAccessible::Name), QStringLiteral("Affiche ou masque la barre d'état"));
    bar->clearMessage();
    QCOMPARE(status->text(QAccessible::Name), QStringLiteral("Barre d'état"));

    CListWindow* results = v.app->resultsWindow();
    results->setWindowTitle(QStringLiteral("Résultats (3 sujets trouvés)"));
    QCOMPARE(QAccessible::queryAccessibleInterface(results)->text(QAccessible::Name),
             results->windowTitle());
}

void TestAccessibility::menusOutlineListsAndInnerParts() {
    // On the bundled guide, whose outline has books.
    if (!Viewer::guideBuilt())
        QSKIP("the guide is not built");
    Viewer v(Viewer::guide());
    QVERIFY(v.show());
    CMainFrame* frame = v.frame();

    // Menu items: named without their mnemonic, described by their prompt;
    // the menu bar's items by their menu's description.
    QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(frame->menuBar());
    QCOMPARE(bar->childCount(), frame->menuBar()->actions().size());
    int items = 0;
    for (int i = 0; i < bar->childCount(); ++i) {
        QAccessibleInterface* title = bar->child(i);
        QMenu* menu = frame->menuBar()->actions().at(i)->menu();
        QCOMPARE(title->role(), QAccessible::MenuItem);
        QCOMPARE(title->text(QAccessible::Name), menu->title().remove(QLatin1Char('&')));
        QCOMPARE(title->text(QAccessible::Description), menu->accessibleDescription());
        QCOMPARE(title->child(0)->object(), menu);
        QAccessibleInterface* list = QAccessible::queryAccessibleInterface(menu);
        for (int j = 0; j < list->childCount(); ++j) {
            QAccessibleInterface* item = list->child(j);
            auto* action = qobject_cast<QAction*>(item->object());
            QVERIFY(action != nullptr);
            QCOMPARE(list->indexOfChild(item), j);
            if (action->isSeparator()) {
                QCOMPARE(item->role(), QAccessible::Separator);
                continue;
            }
            ++items;
            QCOMPARE(item->text(QAccessible::Name), action->text().remove(QLatin1Char('&')));
            QCOMPARE(item->text(QAccessible::Description), action->statusTip());
            QCOMPARE(item->state().checked, action->isChecked());
            QCOMPARE(item->state().disabled, !action->isEnabled());
        }
    }
    QCOMPARE(items + bar->childCount(), 25);
    // Pressing the status bar's item hides the bar, as the menu would.
    QAction* statusItem = frame->action(cmd::kStatusBar);
    QVERIFY(frame->statusBar()->isVisible());
    QAccessible::queryAccessibleInterface(statusItem)
        ->actionInterface()
        ->doAction(QAccessibleActionInterface::pressAction());
    QVERIFY(!frame->statusBar()->isVisible());
    statusItem->trigger();
    QVERIFY(frame->statusBar()->isVisible());

    // The outline: a titled column, levels, Enter opens and closes a book.
    OutlineTree* tree = frame->outlineBar()->tree();
    QCOMPARE(tree->headerItem()->text(0), QStringLiteral("Sommaire"));
    QTreeWidgetItem* book = nullptr;
    for (int i = 0; i < tree->topLevelItemCount() && book == nullptr; ++i) {
        if (tree->topLevelItem(i)->childCount() > 0)
            book = tree->topLevelItem(i);
    }
    QVERIFY(book != nullptr);
    QCOMPARE(book->data(0, Qt::AccessibleDescriptionRole).toString(), QStringLiteral("Niveau 1"));
    QCOMPARE(book->child(0)->data(0, Qt::AccessibleDescriptionRole).toString(),
             QStringLiteral("Niveau 2"));
    tree->setFocus();
    tree->setCurrentItem(book);
    const bool open = book->isExpanded();
    QTest::keyClick(tree, Qt::Key_Return);
    QCOMPARE(book->isExpanded(), !open);
    QTest::keyClick(tree, Qt::Key_Enter);
    QCOMPARE(book->isExpanded(), open);

    // A list opens with its row selected: the bookmark buttons work at once.
    CListWindow* bookmarks = v.bookmarks();
    bookmarks->AddRow("Bienvenue", 1);
    QCOMPARE(bookmarks->selectedRow(), -1);
    bookmarks->ShowList();
    QTRY_VERIFY(bookmarks->isVisible());
    QCOMPARE(bookmarks->selectedRow(), 0);
    bookmarks->hide();

    // Parts Qt adds inside the windows carry names too.
    QStringList unnamed;
    auto* notes = qobject_cast<CAnnotationBar*>(frame->annotationBar());
    QVERIFY(notes != nullptr);
    QList<QWidget*> parts{
        frame->statusBar()->findChild<QSizeGrip*>(),
        frame->toolBar()->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button")),
        notes->edit()->verticalScrollBar(), notes->edit()->horizontalScrollBar()};
    for (QComboBox* combo : v.find()->findChildren<QComboBox*>())
        parts << combo->view();
    QCOMPARE(parts.size(), 5);
    for (QWidget* part : parts) {
        QVERIFY(part != nullptr);
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(part);
        if (iface->text(QAccessible::Name).isEmpty() ||
            iface->text(QAccessible::Description).isEmpty())
            unnamed << QString::fromLatin1(part->metaObject()->className());
    }
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QStringLiteral(", "))));

    // In the find window, Alt+T is "Tous les articles" only.
    int withT = 0;
    for (QAbstractButton* button : v.find()->findChildren<QAbstractButton*>())
        withT += mnemonic(button->text()) == QLatin1Char('t') ? 1 : 0;
    QCOMPARE(withT, 1);

    // Shift+F10 in the article opens its context menu.
    CTolvaneView* view = frame->view();
    view->setFocus();
    QTRY_VERIFY(view->hasFocus());
    QString opened;
    QTimer::singleShot(0, [&opened] {
        if (!QTest::qWaitFor(
                [] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); }))
            return;
        QWidget* menu = QApplication::activePopupWidget();
        opened = menu->objectName();
        menu->close();
    });
    QTest::keyClick(view, Qt::Key_F10, Qt::ShiftModifier);
    QCOMPARE(opened, QStringLiteral("CLIC_DROIT_SUR_VUE"));
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
