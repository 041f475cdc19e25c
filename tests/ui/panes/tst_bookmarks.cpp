// SPDX-License-Identifier: GPL-3.0-or-later
// The bookmarks in the real viewer, offscreen: the name dialog, adding,
// renaming and deleting rows of the bookmarks window, and the .SIG file
// read at start and written at close, one per user base.

#include "core/stores/BookmarkFile.h"
#include "support/NotesFixture.h"
#include "ui/base/CommandTable.h"
#include "ui/base/QtText.h"

#include <QFile>
#include <QListWidget>

using namespace tolvane;
using namespace tolvane::test;

namespace {

QStringList rows(const CListWindow* list) {
    QStringList texts;
    for (int i = 0; i < list->RowCount(); ++i)
        texts << fromCp1252(list->RowText(i));
    return texts;
}

QPushButton* button(const CListWindow* list, const char* name) {
    return list->findChild<QPushButton*>(QLatin1String(name));
}

// Adds a bookmark named name for article through the command.
void addBookmark(NotesViewer& v, ArticleNumber article, const QString& name) {
    QVERIFY(v.app->ShowArticle(article, 0));
    answerNameDialog(name);
    v.trigger(cmd::AddBookmark);
}

// The guide with the bookmarks "Abricot" (article 2) and "zèbre" (3), and
// the viewer on it with the bookmarks window shown.
struct TwoBookmarks {
    TempDir dir;
    const std::string base = dir.file("guide");
    NotesServices services;
    std::unique_ptr<NotesViewer> viewer;

    TwoBookmarks() {
        writeFixture(base);
        TempDir::writeFile(base + ".SIG", BookmarkFile::Bytes({{"Abricot", 2},
                                                               {"z\xE8"
                                                                "bre",
                                                                3}}));
        viewer = std::make_unique<NotesViewer>(services, base);
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
    TempDir dir;
    const std::string base = dir.file("guide");
    writeFixture(base);
    NotesServices services;
    {
        NotesViewer v(services, base);
        QVERIFY(v.started);
        QVERIFY(v.frame()->action(cmd::AddBookmark)->isEnabled());
        QVERIFY(v.app->ShowArticle(3, 0));
        QString caption, proposed;
        answerNameDialog(QStringLiteral("zèbre"), true, &caption, &proposed);
        v.trigger(cmd::AddBookmark);
        QCOMPARE(caption, QStringLiteral("Ajouter un signet"));
        QCOMPARE(proposed, QStringLiteral("Généralités"));
        addBookmark(v, 2, QStringLiteral("Abricot"));

        QCOMPARE(rows(v.bookmarks()),
                 (QStringList{QStringLiteral("Abricot"), QStringLiteral("zèbre")}));
        QCOMPARE(v.bookmarks()->RowArticle(0), 2);
        QCOMPARE(v.bookmarks()->RowArticle(1), 3);
        QCOMPARE(v.bookmarks()->SelectedRow(), -1);
        QVERIFY(v.bookmarks()->isHidden());
        v.close();
    }
    QCOMPARE(TempDir::readFile(base + ".SIG"), BookmarkFile::Bytes({{"Abricot", 2},
                                                                    {"z\xE8"
                                                                     "bre",
                                                                     3}}));
    QVERIFY(services.messages.isEmpty());
}

void TestBookmarks::cancelChangesNothing() {
    TempDir dir;
    const std::string base = dir.file("guide");
    writeFixture(base);
    NotesServices services;
    NotesViewer v(services, base);
    QVERIFY(v.started);
    answerNameDialog(QStringLiteral("Jamais"), false);
    v.trigger(cmd::AddBookmark);
    QCOMPARE(v.bookmarks()->RowCount(), 0);
}

void TestBookmarks::renameMovesTheRowAndKeepsTheArticle() {
    TwoBookmarks g;
    NotesViewer& v = *g.viewer;
    QVERIFY(v.started);
    CListWindow* list = v.bookmarks();
    v.trigger(cmd::Bookmarks);
    QVERIFY(list->isVisible());

    // Cancelled: nothing moves.
    list->listBox()->setCurrentRow(0);
    answerNameDialog(QStringLiteral("Zoo"), false);
    QTest::mouseClick(button(list, "renameButton"), Qt::LeftButton);
    QCOMPARE(rows(list), (QStringList{QStringLiteral("Abricot"), QStringLiteral("zèbre")}));

    list->listBox()->setCurrentRow(0);
    QVERIFY(button(list, "renameButton")->isEnabled());
    QString caption, proposed;
    answerNameDialog(QStringLiteral("Zoo"), true, &caption, &proposed);
    QTest::mouseClick(button(list, "renameButton"), Qt::LeftButton);
    QCOMPARE(caption, QStringLiteral("Renommer le signet"));
    QCOMPARE(proposed, QStringLiteral("Abricot"));
    QCOMPARE(rows(list), (QStringList{QStringLiteral("zèbre"), QStringLiteral("Zoo")}));
    QCOMPARE(list->RowArticle(1), 2);
    QCOMPARE(list->SelectedRow(), -1);
    for (const char* name : {"renameButton", "deleteButton", "showButton"})
        QVERIFY2(!button(list, name)->isEnabled(), name);
}

void TestBookmarks::deleteOnlyOnYes() {
    TwoBookmarks g;
    NotesServices& services = g.services;
    NotesViewer& v = *g.viewer;
    QVERIFY(v.started);
    CListWindow* list = v.bookmarks();
    v.trigger(cmd::Bookmarks);

    list->listBox()->setCurrentRow(1);
    services.answer = QMessageBox::No;
    QTest::mouseClick(button(list, "deleteButton"), Qt::LeftButton);
    QCOMPARE(services.questions,
             QStringList{QStringLiteral("Voulez-vous supprimer le signet «zèbre» ?")});
    QCOMPARE(list->RowCount(), 2);

    services.answer = QMessageBox::Yes;
    list->listBox()->setCurrentRow(1);
    QTest::mouseClick(button(list, "deleteButton"), Qt::LeftButton);
    QCOMPARE(rows(list), QStringList{QStringLiteral("Abricot")});
    QCOMPARE(list->SelectedRow(), -1);
    QVERIFY(!button(list, "deleteButton")->isEnabled());

    // No selection: no question.
    QTest::mouseClick(button(list, "deleteButton"), Qt::LeftButton);
    list->DeleteSelected();
    QCOMPARE(services.questions.size(), 2);
    v.close();
    QCOMPARE(TempDir::readFile(g.base + ".SIG"), BookmarkFile::Bytes({{"Abricot", 2}}));
}

void TestBookmarks::emptyNamesRoundTrip() {
    TempDir dir;
    const std::string base = dir.file("guide");
    writeFixture(base);
    NotesServices services;
    {
        NotesViewer v(services, base);
        QVERIFY(v.started);
        addBookmark(v, 2, QString());
        addBookmark(v, 2, QString());
        QCOMPARE(rows(v.bookmarks()), (QStringList{QString(), QString()}));
        v.close();
    }
    QCOMPARE(TempDir::readFile(base + ".SIG"), BookmarkFile::Bytes({{"", 2}, {"", 2}}));
    QCOMPARE(TempDir::readFile(base + ".SIG").size(), size_t(4 + 8 + 8));
    NotesViewer again(services, base);
    QVERIFY(again.started);
    QCOMPARE(rows(again.bookmarks()), (QStringList{QString(), QString()}));
    QCOMPARE(again.bookmarks()->RowArticle(1), 2);
}

void TestBookmarks::userBasesKeepSeparateFiles() {
    TempDir dir;
    const std::string base = dir.file("guide");
    writeFixture(base);
    const std::string ana = dir.file("ana");
    const std::string bob = dir.file("bob");
    NotesServices services;
    {
        NotesViewer v(services, base, ana);
        QVERIFY(v.started);
        addBookmark(v, 3, QStringLiteral("Pour Ana"));
        typeText(v.bar()->edit(), QStringLiteral("Note d'Ana"));
        v.close();
    }
    {
        NotesViewer v(services, base, bob);
        QVERIFY(v.started);
        QCOMPARE(v.bookmarks()->RowCount(), 0);
        QVERIFY(v.app->ShowArticle(3, 0));
        QCOMPARE(v.note(), QString());
        v.close();
    }
    // The switch's value is upper-cased like every other; the new files
    // take that name.
    QCOMPARE(TempDir::readFile(dir.file("ANA.SIG")), BookmarkFile::Bytes({{"Pour Ana", 3}}));
    QCOMPARE(TempDir::readFile(dir.file("BOB.SIG")), BookmarkFile::Bytes({}));
    QCOMPARE(noteRecords(TempDir::readFile(dir.file("ANA.NOT"))).at(3), std::string("Note d'Ana"));
    QVERIFY(noteRecords(TempDir::readFile(dir.file("BOB.NOT"))).empty());
    QVERIFY(!QFile::exists(QString::fromStdString(base + ".SIG")));
    QVERIFY(!QFile::exists(QString::fromStdString(base + ".NOT")));
}

void TestBookmarks::fileFoundWhateverItsCase() {
    TempDir dir;
    const std::string base = dir.file("guide");
    writeFixture(base);
    TempDir::writeFile(dir.file("GUIDE.sig"), BookmarkFile::Bytes({{"Index", 12}}));
    NotesServices services;
    NotesViewer v(services, base);
    QVERIFY(v.started);
    QCOMPARE(rows(v.bookmarks()), QStringList{QStringLiteral("Index")});
    QCOMPARE(v.bookmarks()->RowArticle(0), 12);
    v.close();
    // The file found is the one rewritten; no second file appears.
    QCOMPARE(TempDir::readFile(dir.file("GUIDE.sig")), BookmarkFile::Bytes({{"Index", 12}}));
    QVERIFY(!QFile::exists(QString::fromStdString(base + ".SIG")));
}

QTEST_MAIN(TestBookmarks)
#include "tst_bookmarks.moc"
