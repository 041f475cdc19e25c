// SPDX-License-Identifier: GPL-3.0-or-later
// Two runs sharing one user-file base (/A): the first holds the base's lock
// for its whole run, the second shows the notes and bookmarks but changes
// and writes nothing, and says so in its status bar. Runs in this process
// are told apart by their data sources (two class names); runs in other
// processes are the built viewer.

#include "app/InstanceChannel.h"
#include "core/common/Cp1252.h"
#include "core/startup/DataSourceLocation.h"
#include "core/stores/AnnotationFile.h"
#include "core/stores/AnnotationStore.h"
#include "core/stores/BookmarkFile.h"
#include "support/Viewer.h"
#include "ui/base/CommandTable.h"

#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QStatusBar>

using namespace tolvane;
using namespace tolvane::test;

namespace {

const QString kViewer = QStringLiteral(TOLVANE_BINARY_DIR "/tolvane-harness");
const QString kReadOnlyNotice = QStringLiteral(
    "Notes et signets en lecture seule : une autre fenêtre de Tolvane utilise les mêmes "
    "fichiers personnels.");

// Skips a test that runs the viewer in another process when it is not built.
#define SKIP_WITHOUT_VIEWER()                                                                      \
    do {                                                                                           \
        if (!QFile::exists(kViewer))                                                               \
            QSKIP("the viewer executable is not built");                                           \
    } while (false)

// Two data sources and one user base beside them, which already holds a
// note on article 3 and one bookmark.
struct Shared {
    TempDir dir;
    std::string first = dir.file("aide");
    std::string second = dir.file("autre");
    std::string user = dir.file("perso");

    Shared() {
        writeFixture(first);
        writeFixture(second);
        writeEarlierRun(user, "Ancienne note", "Signet ancien");
    }
    std::string notes() const { return TempDir::readFile(user + ".NOT"); }
    std::string pending() const { return TempDir::readFile(user + ".NO$"); }
    std::string bookmarks() const { return TempDir::readFile(user + ".SIG"); }
    bool pendingExists() const { return QFile::exists(QString::fromStdString(user + ".NO$")); }
    // The three files' bytes, to see that a run wrote nothing.
    std::vector<std::string> files() const { return {notes(), pending(), bookmarks()}; }

    // Starts v on the shared user files; true when it started with them
    // read-only or not as said, and its status bar telling which.
    bool start(Viewer& v, bool readOnly) const {
        v.userBase = user;
        if (!v.start())
            return false;
        const QString status = v.frame()->statusBar()->currentMessage();
        if (v.app->userFilesReadOnly() == readOnly &&
            status == (readOnly ? kReadOnlyNotice : QStringLiteral("Prêt")))
            return true;
        qWarning() << "read-only:" << v.app->userFilesReadOnly() << "status:" << status;
        return false;
    }
};

// Whether act opens a modal dialog (which is then closed).
bool opensDialog(const std::function<void()>& act) {
    bool opened = false;
    QTimer::singleShot(0, [&opened] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            opened = true;
            dialog->reject();
        }
    });
    act();
    QCoreApplication::processEvents();
    return opened;
}

// The viewer in another process on base with the user files of user,
// typing notes ("N=text|...") once its first article is shown.
struct ViewerProcess {
    QProcess process;

    bool start(const std::string& base, const std::string& user, const QString& notes) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("TOLVANE_TYPE_NOTES"), notes);
        process.setProcessEnvironment(env);
        process.start(kViewer, {QStringLiteral("/D:") + QString::fromStdString(base),
                                QStringLiteral("/A:") + QString::fromStdString(user)});
        if (!process.waitForStarted(10000))
            return false;
        QByteArray output;
        return QTest::qWaitFor(
                   [&] {
                       output += process.readAllStandardOutput();
                       return output.contains("notes typed") ||
                              process.state() == QProcess::NotRunning;
                   },
                   60000) &&
               process.state() == QProcess::Running;
    }
    ~ViewerProcess() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(10000);
        }
    }
};

} // namespace

class TestSharedFiles : public QObject {
    Q_OBJECT

private slots:
    void secondRunInThisProcessIsReadOnly();
    void secondRunBesideAnotherProcessWritesNothing();
    void lockOfAKilledProcessDoesNotBlock();
};

void TestSharedFiles::secondRunInThisProcessIsReadOnly() {
    Shared s;
    Viewer first(s.first);
    QVERIFY(s.start(first, false));
    // A note of this run waits in .NO$ when the second run starts.
    QVERIFY(first.app->ShowArticle(2, 0));
    typeText(first.bar()->edit(), QStringLiteral("Note de la première"));
    QVERIFY(first.app->ShowArticle(1, 0));
    QVERIFY(s.pendingExists());
    const std::vector<std::string> files = s.files();

    {
        Viewer second(s.second);
        QVERIFY(s.start(second, true));
        // It starts without folding or removing the first run's .NO$.
        QCOMPARE(s.files(), files);

        // It shows what the first run has: saved notes, pending ones, bookmarks.
        QVERIFY(second.app->ShowArticle(3, 0));
        QCOMPARE(second.note(), QStringLiteral("Ancienne note"));
        QVERIFY(second.app->ShowArticle(2, 0));
        QCOMPARE(second.note(), QStringLiteral("Note de la première"));
        QVERIFY(second.frame()->annotationButtonShowsText());
        QVERIFY(second.bar()->edit()->isReadOnly());

        // Bookmarks open, but are neither added, renamed nor deleted.
        CListWindow* list = second.bookmarks();
        QCOMPARE(list->RowCount(), 1);
        QVERIFY(!second.frame()->action(cmd::kAddBookmark)->isEnabled());
        QVERIFY(!opensDialog([&] { second.app->AddBookmark(); }));
        list->listBox()->setCurrentRow(0);
        QVERIFY(list->findChild<QPushButton*>(QStringLiteral("showButton"))->isEnabled());
        QVERIFY(!list->findChild<QPushButton*>(QStringLiteral("deleteButton"))->isEnabled());
        QVERIFY(!list->findChild<QPushButton*>(QStringLiteral("renameButton"))->isEnabled());
        second.services.answer = QMessageBox::Yes;
        list->DeleteSelected();
        QVERIFY(!opensDialog([&] { list->RenameSelected(); }));
        QVERIFY(second.services.questions.isEmpty());
        QCOMPARE(list->RowCount(), 1);
        QVERIFY(second.app->ShowArticle(1, 0));
        list->OpenSelected();
        QCOMPARE(second.view()->currentArticle(), 2);

        // Its store refuses a change even if one reached it.
        std::string error;
        QVERIFY(!second.bar()->store().CommitAnnotation(2, "Autre", &error));
        QVERIFY(QString::fromLatin1(error.c_str()).contains(QStringLiteral("lecture seule")));

        second.close();
        QVERIFY(!second.frame()->isVisible());
        QCOMPARE(second.services.files.log, std::vector<std::string>{});
        QVERIFY(second.services.messages.isEmpty());
        QCOMPARE(s.files(), files);
    }

    // The first run is untouched by the second and saves as usual.
    QVERIFY(first.app->ShowArticle(3, 0));
    QCOMPARE(first.note(), QStringLiteral("Ancienne note"));
    answerNameDialog(QStringLiteral("Signet de la première"));
    first.trigger(cmd::kAddBookmark);
    QCOMPARE(first.bookmarks()->RowCount(), 2);
    first.close();
    QVERIFY(first.services.messages.isEmpty());
    QCOMPARE(noteRecords(s.notes()),
             (NoteTexts{{2, "Note de la premi\xE8re"}, {3, "Ancienne note"}}));
    QCOMPARE(BookmarkFile::LoadBookmarks(s.user + ".SIG"),
             (std::vector<BookmarkRow>{{"Signet ancien", 2}, {"Signet de la premi\xE8re", 3}}));
    QVERIFY(!s.pendingExists());

    // Once the first run has ended, the base is free again.
    first.stop();
    Viewer third(s.second);
    QVERIFY(s.start(third, false));
    QVERIFY(third.frame()->action(cmd::kAddBookmark)->isEnabled());
    QVERIFY(!third.bar()->edit()->isReadOnly());
}

void TestSharedFiles::secondRunBesideAnotherProcessWritesNothing() {
    SKIP_WITHOUT_VIEWER();
    Shared s;
    ViewerProcess other;
    QVERIFY(other.start(s.first, s.user, QStringLiteral("2=Texte de l'autre processus")));
    const std::vector<std::string> files = s.files();
    {
        Viewer v(s.second);
        QVERIFY(s.start(v, true));
        QVERIFY(v.app->ShowArticle(2, 0));
        QCOMPARE(v.note(), QStringLiteral("Texte de l'autre processus"));
        v.close();
        QCOMPARE(v.services.files.log, std::vector<std::string>{});
    }
    QCOMPARE(s.files(), files);

    // The other process then closes normally and keeps its note and the old one.
    const QString socket = InstanceChannel::socketPath(
        MakeInstanceClassName(cp1252::toUpper(cp1252::fromUtf8(s.first))));
    QCOMPARE(InstanceChannel::send(socket, {InstanceMessage::Command::Close, 0}, 30000),
             InstanceChannel::SendResult::Done);
    QVERIFY(other.process.waitForFinished(20000));
    QCOMPARE(other.process.exitCode(), 0);
    QCOMPARE(noteRecords(s.notes()),
             (NoteTexts{{2, "Texte de l'autre processus"}, {3, "Ancienne note"}}));
    QCOMPARE(s.bookmarks(), files[2]);
}

void TestSharedFiles::lockOfAKilledProcessDoesNotBlock() {
    SKIP_WITHOUT_VIEWER();
    Shared s;
    {
        ViewerProcess killed;
        QVERIFY(killed.start(s.first, s.user, QStringLiteral("2=Tapé avant la fin")));
        QVERIFY(QFile::exists(QString::fromStdString(s.user + ".LCK")));
        killed.process.kill(); // SIGKILL: no chance to release anything
        QVERIFY(killed.process.waitForFinished(10000));
        QCOMPARE(killed.process.exitStatus(), QProcess::CrashExit);
    }
    // Its lock file is left behind, its lock is not.
    QVERIFY(QFile::exists(QString::fromStdString(s.user + ".LCK")));
    Viewer v(s.second);
    QVERIFY(s.start(v, false));
    QVERIFY(v.app->ShowArticle(2, 0));
    QCOMPARE(v.note(), QStringLiteral("Tapé avant la fin"));
    v.close();
    QCOMPARE(noteRecords(s.notes()).at(2), std::string("Tap\xE9 avant la fin"));
}

QTEST_MAIN(TestSharedFiles)
#include "tst_sharedfiles.moc"
