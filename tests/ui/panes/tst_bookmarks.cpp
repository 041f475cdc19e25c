// SPDX-License-Identifier: GPL-3.0-or-later
// The bookmarks in the real viewer, offscreen: the name dialog, adding,
// renaming and deleting rows of the bookmarks window, and the .SIG file
// read at start and written at close, one per user base.

#include "core/stores/BookmarkFile.h"
#include "support/Viewer.h"
#include "ui/base/CommandTable.h"
#include "ui/base/QtText.h"

#include <QFile>
#include <QListWidget>

using namespace tolvane;
using namespace tolvane::test;

namespace {

QPushButton* button(const CListWindow* list, const char* name) {
    return list->findChild<QPushButton*>(QLatin1String(name));
}

// Adds a bookmark named name for article through the command.
void addBookmark(Viewer& v, ArticleNumber article, const QString& name) {
    QVERIFY(v.app->ShowArticle(article, 0));
    answerNameDialog(name);
    v.trigger(cmd::kAddBookmark);
}

// The standard fixture with the bookmarks "Abricot" (article 2) and
// "zèbre" (3), and the bookmarks window shown.
struct TwoBookmarks : Viewer {
    bool started = false;
    TwoBookmarks() {
        TempDir::writeFile(base + ".SIG", BookmarkFile::Bytes({{"Abricot", 2},
                                                               {"z\xE8"
                                                                "bre",
                                                                3}}));
        started = start();
        trigger(cmd::kBookmarks);
    }
};

} // namespace

class TestBookmarks : public QObject {
    Q_OBJECT

private slots:
    void addProposesTheTitleAndKeepsTheArticle();
    void cancelChangesNothing();
    void renameMovesTheRowAndKeepsTheArticle();
    void deleteOnlyOnYes();
    void emptyNamesRoundTrip();
    void userBasesKeepSeparateFiles();
    void fileFoundWhateverItsCase();
};

void TestBookmarks::addProposesTheTitleAndKeepsTheArticle() {
    Viewer v;
    const std::string& base = v.base;
    {
        QVERIFY(v.start());
        QVERIFY(v.frame()->action(cmd::kAddBookmark)->isEnabled());
        QVERIFY(v.app->ShowArticle(3, 0));
        QString caption, proposed;
        answerNameDialog(QStringLiteral("zèbre"), true, &caption, &proposed);
        v.trigger(cmd::kAddBookmark);
        QCOMPARE(caption, QStringLiteral("Ajouter un signet"));
        QCOMPARE(proposed, QStringLiteral("Généralités"));
        addBookmark(v, 2, QStringLiteral("Abricot"));

        QCOMPARE(rowTexts(v.bookmarks()),
                 (QStringList{QStringLiteral("Abricot"), QStringLiteral("zèbre")}));
        QCOMPARE(v.bookmarks()->RowArticle(0), 2);
        QCOMPARE(v.bookmarks()->RowArticle(1), 3);
        QCOMPARE(v.bookmarks()->selectedRow(), -1);
        QVERIFY(v.bookmarks()->isHidden());
        v.close();
        v.stop();
    }
    QCOMPARE(TempDir::readFile(base + ".SIG"), BookmarkFile::Bytes({{"Abricot", 2},
                                                                    {"z\xE8"
                                                                     "bre",
                                                                     3}}));
    QVERIFY(v.services.messages.isEmpty());
}

void TestBookmarks::cancelChangesNothing() {
    Viewer v;
    QVERIFY(v.start());
    answerNameDialog(QStringLiteral("Jamais"), false);
    v.trigger(cmd::kAddBookmark);
    QCOMPARE(v.bookmarks()->RowCount(), 0);
}

void TestBookmarks::renameMovesTheRowAndKeepsTheArticle() {
    TwoBookmarks v;
    QVERIFY(v.started);
    CListWindow* list = v.bookmarks();
    QVERIFY(list->isVisible());

    // Cancelled: nothing moves.
    list->listBox()->setCurrentRow(0);
    answerNameDialog(QStringLiteral("Zoo"), false);
    QTest::mouseClick(button(list, "renameButton"), Qt::LeftButton);
    QCOMPARE(rowTexts(list), (QStringList{QStringLiteral("Abricot"), QStringLiteral("zèbre")}));

    list->listBox()->setCurrentRow(0);
    QVERIFY(button(list, "renameButton")->isEnabled());
    QString caption, proposed;
    answerNameDialog(QStringLiteral("Zoo"), true, &caption, &proposed);
    QTest::mouseClick(button(list, "renameButton"), Qt::LeftButton);
    QCOMPARE(caption, QStringLiteral("Renommer le signet"));
    QCOMPARE(proposed, QStringLiteral("Abricot"));
    QCOMPARE(rowTexts(list), (QStringList{QStringLiteral("zèbre"), QStringLiteral("Zoo")}));
    QCOMPARE(list->RowArticle(1), 2);
    QCOMPARE(list->selectedRow(), -1);
    for (const char* name : {"renameButton", "deleteButton", "showButton"})
        QVERIFY2(!button(list, name)->isEnabled(), name);
}

void TestBookmarks::deleteOnlyOnYes() {
    TwoBookmarks v;
    QVERIFY(v.started);
    RecordingServices& services = v.services;
    CListWindow* list = v.bookmarks();

    list->listBox()->setCurrentRow(1);
    services.answer = QMessageBox::No;
    QTest::mouseClick(button(list, "deleteButton"), Qt::LeftButton);
    QCOMPARE(services.questions,
             QStringList{QStringLiteral("Voulez-vous supprimer le signet «zèbre» ?")});
    QCOMPARE(list->RowCount(), 2);

    services.answer = QMessageBox::Yes;
    list->listBox()->setCurrentRow(1);
    QTest::mouseClick(button(list, "deleteButton"), Qt::LeftButton);
    QCOMPARE(rowTexts(list), QStringList{QStringLiteral("Abricot")});
    QCOMPARE(list->selectedRow(), -1);
    QVERIFY(!button(list, "deleteButton")->isEnabled());

    // No selection: no question.
    QTest::mouseClick(button(list, "deleteButton"), Qt::LeftButton);
    list->DeleteSelected();
    QCOMPARE(services.questions.size(), 2);
    v.close();
    QCOMPARE(TempDir::readFile(v.base + ".SIG"), BookmarkFile::Bytes({{"Abricot", 2}}));
}

void TestBookmarks::emptyNamesRoundTrip() {
    Viewer v;
    const std::string& base = v.base;
    {
        QVERIFY(v.start());
        addBookmark(v, 2, QString());
        addBookmark(v, 2, QString());
        QCOMPARE(rowTexts(v.bookmarks()), (QStringList{QString(), QString()}));
        v.close();
        v.stop();
    }
    QCOMPARE(TempDir::readFile(base + ".SIG"), BookmarkFile::Bytes({{"", 2}, {"", 2}}));
    QCOMPARE(TempDir::readFile(base + ".SIG").size(), size_t(4 + 8 + 8));
    QVERIFY(v.start());
    QCOMPARE(rowTexts(v.bookmarks()), (QStringList{QString(), QString()}));
    QCOMPARE(v.bookmarks()->RowArticle(1), 2);
}

void TestBookmarks::userBasesKeepSeparateFiles() {
    Viewer v;
    const std::string& base = v.base;
    const std::string ana = v.dir.file("ana");
    QVERIFY(v.start({"/A:" + ana}));
    addBookmark(v, 3, QStringLiteral("Pour Ana"));
    typeText(v.bar()->edit(), QStringLiteral("Note d'Ana"));
    v.close();
    QVERIFY(v.start({"/A:" + v.dir.file("bob")}));
    QCOMPARE(v.bookmarks()->RowCount(), 0);
    QVERIFY(v.app->ShowArticle(3, 0));
    QCOMPARE(v.note(), QString());
    v.close();
    // The switch's value is upper-cased like every other; the new files
    // take that name.
    QCOMPARE(TempDir::readFile(v.dir.file("ANA.SIG")), BookmarkFile::Bytes({{"Pour Ana", 3}}));
    QCOMPARE(TempDir::readFile(v.dir.file("BOB.SIG")), BookmarkFile::Bytes({}));
    QCOMPARE(noteRecords(TempDir::readFile(v.dir.file("ANA.NOT"))).at(3),
             std::string("Note d'Ana"));
    QVERIFY(noteRecords(TempDir::readFile(v.dir.file("BOB.NOT"))).empty());
    QVERIFY(!QFile::exists(QString::fromStdString(base + ".SIG")));
    QVERIFY(!QFile::exists(QString::fromStdString(base + ".NOT")));
}

void TestBookmarks::fileFoundWhateverItsCase() {
    Viewer v;
    TempDir::writeFile(v.dir.file("GUIDE.sig"), BookmarkFile::Bytes({{"Index", 12}}));
    QVERIFY(v.start());
    QCOMPARE(rowTexts(v.bookmarks()), QStringList{QStringLiteral("Index")});
    QCOMPARE(v.bookmarks()->RowArticle(0), 12);
    v.close();
    // The file found is the one rewritten; no second file appears.
    QCOMPARE(TempDir::readFile(v.dir.file("GUIDE.sig")), BookmarkFile::Bytes({{"Index", 12}}));
    QVERIFY(!QFile::exists(QString::fromStdString(v.base + ".SIG")));
}

QTEST_MAIN(TestBookmarks)
#include "tst_bookmarks.moc"
