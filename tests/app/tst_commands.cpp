// SPDX-License-Identifier: GPL-3.0-or-later
// The command table in the real main window, offscreen: texts, enabling,
// check marks, shortcuts, the article view's context menu, and the popup
// closed by the bookmark-name dialog.

#include "support/Viewer.h"
#include "ui/base/CommandTable.h"
#include "ui/view/CPopupWnd.h"

#include <QContextMenuEvent>
#include <QMenu>

using namespace tolvane;
using namespace tolvane::test;

// What one command shows: its prompt, its tool tip (not checked when empty),
// whether it toggles, and its shortcut (none when empty).
struct ShownCommand {
    QString prompt;
    QString tooltip;
    bool toggles;
    QString keys;
};
Q_DECLARE_METATYPE(ShownCommand)

class TestCommands : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void commandTable_data();
    void commandTable();
    void contextMenuInOrder();
    void nameDialogClosesThePopup();

private:
    Viewer m_viewer;
};

void TestCommands::initTestCase() {
    QVERIFY(m_viewer.start());
}

void TestCommands::cleanupTestCase() {
    m_viewer.stop();
}

void TestCommands::commandTable_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<ShownCommand>("texts");
    const auto row = [](int id, const char16_t* prompt, const char16_t* tooltip, bool toggles,
                        const char* keys = "") {
        QTest::addRow("%d", id) << id
                                << ShownCommand{QString::fromUtf16(prompt),
                                                QString::fromUtf16(tooltip), toggles,
                                                QString::fromLatin1(keys)};
    };
    row(cmd::kHome, u"Retourne à la page d'accueil", u"Page d'accueil", false);
    row(cmd::kSync, u"Synchronise l'article avec l'arborescence", u"Synchroniser l'article", false);
    row(cmd::kAddBookmark, u"Définit un signet pour cette page", u"Définir signet", false);
    row(cmd::kQuit, u"Ferme l'application ; propose d'enregistrer les documents", u"Quitter",
        false);
    row(cmd::kSelectAll, u"Sélectionne le document entier", u"", false, "Ctrl+A");
    row(cmd::kFind, u"Effectue la recherche d'un mot ou d'un texte", u"Rechercher", true, "Ctrl+F");
    row(cmd::kAnnotation, u"Affiche ou masque l'annotation personnalisée relative à l'article",
        u"Annotation", false);
    row(cmd::kToolBar, u"Affiche ou masque la barre d'outils", u"Barre d'outils", true);
    row(cmd::kStatusBar, u"Affiche ou masque la barre d'état", u"Barre d'état", true);
    row(cmd::kHistory, u"Affiche ou masque la fenêtre d'historique", u"Historique", true);
    row(cmd::kBookmarks, u"Affiche ou masque la liste des signets", u"Liste des signets", true);
    row(cmd::kResults, u"Affiche ou masque les résultats de la dernière recherche",
        u"Résultats de la recherche", true);
    row(cmd::kIndex, u"Affiche ou masque l'index des mots-clés", u"Index", true, "Ctrl+I");
    row(cmd::kAbout,
        u"Affiche des informations sur le programme, le numéro de version et le copyright",
        u"A propos de", false);
    row(cmd::kPrintPreview, u"Affiche les pages de l'article telles qu'elles seront imprimées",
        u"Aperçu avant impression", false, "Ctrl+Shift+P");
    row(cmd::kNextHit,
        u"Sélectionne l'occurrence suivante du texte cherché, ou le résultat suivant",
        u"Occurrence suivante", false, "F3");
    row(cmd::kPreviousHit,
        u"Sélectionne l'occurrence précédente du texte cherché, ou le résultat précédent",
        u"Occurrence précédente", false, "Shift+F3");
}

void TestCommands::commandTable() {
    QFETCH(int, id);
    QFETCH(ShownCommand, texts);
    const auto& [prompt, tooltip, toggles, keys] = texts;
    CMainFrame* frame = m_viewer.frame();
    frame->updateCommandStates();
    QAction* action = frame->action(id);
    QVERIFY(action != nullptr);
    QCOMPARE(action->statusTip(), prompt);
    if (!tooltip.isEmpty())
        QCOMPARE(action->toolTip(), tooltip);
    QVERIFY(action->isEnabled());
    QCOMPARE(action->isCheckable(), toggles);
    if (!keys.isEmpty())
        QCOMPARE(action->shortcut(), QKeySequence(keys));
    if (toggles) {
        // The check mark follows the window: shown, then hidden again.
        const bool before = action->isChecked();
        action->trigger();
        frame->updateCommandStates();
        QTRY_COMPARE(action->isChecked(), !before);
        action->trigger();
        frame->updateCommandStates();
        QTRY_COMPARE(action->isChecked(), before);
    }
}

void TestCommands::contextMenuInOrder() {
    CTolvaneView* view = m_viewer.view();
    view->setSelection(0, 5);
    QStringList items;
    QList<bool> enabled;
    QTimer::singleShot(50, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu != nullptr);
        for (QAction* a : menu->actions()) {
            const QString keys = a->shortcut().toString();
            items << (a->isSeparator() ? QStringLiteral("-")
                                       : a->text() + (keys.isEmpty() ? QString() : u'\t' + keys));
            if (!a->isSeparator())
                enabled << a->isEnabled();
        }
        menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(10, 10),
                            view->viewport()->mapToGlobal(QPoint(10, 10)));
    QApplication::sendEvent(view->viewport(), &event);
    QCOMPARE(items,
             (QStringList{QStringLiteral("&Copier\tCtrl+C"),
                          QStringLiteral("&Tout sélectionner\tCtrl+A"), QStringLiteral("-"),
                          QStringLiteral("&Rechercher...\tCtrl+F"), QStringLiteral("-"),
                          QStringLiteral("&Historique"), QStringLiteral("Liste des &signets"),
                          QStringLiteral("-"), QStringLiteral("&Annoter...")}));
    QCOMPARE(enabled, QList<bool>(6, true));
}

void TestCommands::nameDialogClosesThePopup() {
    CTolvaneView* view = m_viewer.view();
    QVERIFY(m_viewer.app->ShowArticle(1, 0));
    QVERIFY(m_viewer.app->ShowArticle(50, 0));
    QVERIFY(CPopupWnd::isOpen());
    CBookmarkNameDialog dialog(QStringLiteral("Ajouter un signet"), QStringLiteral("x"),
                               m_viewer.frame());
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QTRY_VERIFY(!CPopupWnd::isOpen());
    QCOMPARE(view->currentArticle(), 1);
}

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
