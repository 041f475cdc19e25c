// SPDX-License-Identifier: GPL-3.0-or-later
// The annotation pane in the real main window, offscreen, on a fixture data
// source: visibility, the text across article changes, the toolbar button's
// images, the commit after a pause in typing, the height rule, the close
// order and its failures, and a run killed after typing notes.

#include "core/stores/AnnotationStore.h"
#include "support/Viewer.h"
#include "ui/base/CSash.h"
#include "ui/base/CommandTable.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QToolBar>

using namespace tolvane;
using namespace tolvane::test;

namespace {

const QString kViewer = QStringLiteral(TOLVANE_BINARY_DIR "/tolvane-harness");

// The standard fixture with article 3 annotated from an earlier run.
struct Notes : Viewer {
    Notes() { writeEarlierRun(base, "Note ancienne\r\nsur deux lignes"); }
    std::string notFile() const { return base + ".NOT"; }
    std::string pendingFile() const { return base + ".NO$"; }
    bool pendingExists() const { return QFile::exists(QString::fromStdString(pendingFile())); }
};

bool buttonShowsText(const Viewer& v) {
    const qint64 shown = v.frame()->action(cmd::kAnnotation)->icon().cacheKey();
    const qint64 written = v.frame()->action(cmd::kAnnotationPresent)->icon().cacheKey();
    return v.frame()->annotationButtonShowsText() && shown == written;
}

} // namespace

class TestAnnotationBar : public QObject {
    Q_OBJECT

private slots:
    void hiddenAtStartAndToggledByTheCommand();
    void textTypedWhileShownIsCommittedAtTheArticleChange();
    void buttonFollowsTheText();
    void pauseInTypingCommitsTheText();
    void heightRule_data();
    void heightRule();
    void textConversions_data();
    void textConversions();
    void closeCommitsThenWritesNotesThenBookmarks();
    void failedSavesAreReportedAndLoseNothing();
    void failedCommitsAreReportedOnceAndKeptForTheSave();
    void killedRunKeepsItsNotes();
};

void TestAnnotationBar::hiddenAtStartAndToggledByTheCommand() {
    Notes v;
    QVERIFY(v.start());
    QVERIFY(v.bar()->isHidden());
    QVERIFY(v.frame()->action(cmd::kAnnotation)->isEnabled());
    QVERIFY(!v.frame()->action(cmd::kAnnotation)->isCheckable());

    v.view()->setFocus();
    const int fullHeight = v.view()->height();
    v.trigger(cmd::kAnnotation);
    QVERIFY(v.bar()->isVisible());
    QTRY_VERIFY(v.view()->height() < fullHeight);
    QTRY_COMPARE(v.bar()->height(), CAnnotationBar::kAnnotationMinHeight);
    QCOMPARE(QApplication::focusWidget(), v.view());

    v.trigger(cmd::kAnnotation);
    QVERIFY(v.bar()->isHidden());
    QTRY_COMPARE(v.view()->height(), fullHeight);
    QCOMPARE(QApplication::focusWidget(), v.view());
    // Neither showing nor hiding wrote anything.
    QVERIFY(v.services.files.log.empty());
}

void TestAnnotationBar::textTypedWhileShownIsCommittedAtTheArticleChange() {
    Notes v;
    QVERIFY(v.start());
    v.trigger(cmd::kAnnotation);
    typeText(v.bar()->edit(), QStringLiteral("Première"));
    QTest::keyClick(v.bar()->edit(), Qt::Key_Return);
    typeText(v.bar()->edit(), QStringLiteral("ligne"));
    QCOMPARE(v.note(), QStringLiteral("Première\nligne"));
    v.trigger(cmd::kAnnotation);
    QVERIFY(v.bar()->isHidden());
    QCOMPARE(v.note(), QStringLiteral("Première\nligne"));
    QVERIFY(!v.pendingExists());

    QVERIFY(v.app->ShowArticle(2, 0));
    QVERIFY(v.pendingExists());
    QCOMPARE(v.note(), QString());
    QVERIFY(v.app->ShowArticle(3, 0));
    QCOMPARE(v.note(), QStringLiteral("Note ancienne\nsur deux lignes"));
    QVERIFY(v.app->ShowArticle(1, 0));
    QCOMPARE(v.note(), QStringLiteral("Première\nligne"));

    // Leaving an article without typing appends nothing.
    const std::string pending = TempDir::readFile(v.pendingFile());
    QVERIFY(v.app->ShowArticle(2, 0));
    QCOMPARE(TempDir::readFile(v.pendingFile()), pending);

    v.close();
    QCOMPARE(noteRecords(TempDir::readFile(v.notFile())),
             (NoteTexts{{1, "Premi\xE8re\r\nligne"}, {3, "Note ancienne\r\nsur deux lignes"}}));
    QVERIFY(!v.pendingExists());
}

void TestAnnotationBar::buttonFollowsTheText() {
    Notes v;
    QVERIFY(v.start());
    QVERIFY(!buttonShowsText(v));

    v.trigger(cmd::kAnnotation);
    QTest::keyClick(v.bar()->edit(), Qt::Key_X);
    // The button changes once the typing has been handled, not during it.
    QVERIFY(!buttonShowsText(v));
    QTRY_VERIFY(buttonShowsText(v));
    QTest::keyClick(v.bar()->edit(), Qt::Key_Backspace);
    QTRY_VERIFY(!buttonShowsText(v));

    // An annotated article shows the written sheet at once, pane hidden.
    v.trigger(cmd::kAnnotation);
    QVERIFY(v.app->ShowArticle(3, 0));
    QVERIFY(buttonShowsText(v));
    QVERIFY(v.app->ShowArticle(2, 0));
    QVERIFY(!buttonShowsText(v));
    // The menu's update leaves the command enabled and unchecked.
    v.frame()->updateCommandStates();
    QVERIFY(v.frame()->action(cmd::kAnnotation)->isEnabled());
    QVERIFY(!v.frame()->action(cmd::kAnnotation)->isChecked());
}

void TestAnnotationBar::pauseInTypingCommitsTheText() {
    Notes v;
    QVERIFY(v.start());
    QCOMPARE(v.bar()->idleCommitDelay(), 2000);
    // The pause is ended by the test, not by the clock: while typing goes on
    // the wait is longer than any test run.
    v.bar()->setIdleCommitDelay(3600 * 1000);
    v.trigger(cmd::kAnnotation);

    // Each key starts the wait again: no commit while typing goes on.
    for (const char c : std::string("abcde")) {
        QTest::keyClick(v.bar()->edit(), c);
        QVERIFY(v.bar()->idleCommitPending());
        QVERIFY(!v.pendingExists());
    }
    v.bar()->setIdleCommitDelay(0); // the pause
    QTRY_VERIFY_WITH_TIMEOUT(v.pendingExists(), 10000);
    const std::string once = TempDir::readFile(v.pendingFile());
    QCOMPARE(once, std::string("\x01\0\0\0\x05\0\0\0abcde", 13));

    // A pause with nothing new appends nothing, nor does the article change.
    QTest::keyClick(v.bar()->edit(), Qt::Key_F);
    QTest::keyClick(v.bar()->edit(), Qt::Key_Backspace);
    QTRY_VERIFY_WITH_TIMEOUT(!v.bar()->idleCommitPending(), 10000);
    QCOMPARE(TempDir::readFile(v.pendingFile()), once);
    QVERIFY(v.app->ShowArticle(2, 0));
    QCOMPARE(TempDir::readFile(v.pendingFile()), once);
    // Loading an article's text is not typing.
    QVERIFY(v.app->ShowArticle(3, 0));
    QVERIFY(!v.bar()->idleCommitPending());
}

void TestAnnotationBar::heightRule_data() {
    QTest::addColumn<float>("dragged");
    QTest::addColumn<int>("height");
    QTest::newRow("below the floor") << 30.0f << 46;
    QTest::newRow("at the floor") << 46.0f << 46;
    QTest::newRow("above") << 120.0f << 120;
    QTest::newRow("fraction truncated") << 120.9f << 120;
    QTest::newRow("negative") << -5.0f << 46;
}

void TestAnnotationBar::heightRule() {
    QFETCH(float, dragged);
    QFETCH(int, height);
    QCOMPARE(CAnnotationBar::paneHeight(dragged), height);

    Notes v;
    QVERIFY(v.start());
    v.trigger(cmd::kAnnotation);
    QTRY_COMPARE(v.bar()->height(), 46);
    v.bar()->sash()->setValue(dragged);
    v.bar()->updateSize();
    v.frame()->RecalcLayout();
    QTRY_COMPARE(v.bar()->height(), height);
    // The height stays at the next layouts.
    v.frame()->resize(v.frame()->width() + 10, v.frame()->height());
    QCoreApplication::processEvents();
    v.frame()->RecalcLayout();
    QTRY_COMPARE(v.bar()->height(), height);
    QCOMPARE(v.bar()->dockedSize().width(), v.frame()->width());
}

void TestAnnotationBar::textConversions_data() {
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QByteArray>("stored");
    QTest::newRow("empty") << QString() << QByteArray();
    QTest::newRow("accents") << QStringLiteral("été €") << QByteArray("\xE9t\xE9 \x80");
    QTest::newRow("line feed") << QStringLiteral("a\nb") << QByteArray("a\r\nb");
    QTest::newRow("paragraph separator") << QStringLiteral("a\u2029b") << QByteArray("a\r\nb");
    QTest::newRow("line separator") << QStringLiteral("a\u2028b") << QByteArray("a\r\nb");
    QTest::newRow("CR LF kept single") << QStringLiteral("a\r\nb") << QByteArray("a\r\nb");
    QTest::newRow("lone CR") << QStringLiteral("a\rb") << QByteArray("a\r\nb");
    QTest::newRow("no-break space kept") << QStringLiteral("a\u00A0b")
                                         << QByteArray("a\xA0"
                                                       "b");
    QTest::newRow("outside the code page") << QStringLiteral("\u0416") << QByteArray("?");
}

void TestAnnotationBar::textConversions() {
    QFETCH(QString, shown);
    QFETCH(QByteArray, stored);
    QCOMPARE(QByteArray::fromStdString(CAnnotationBar::storedText(shown)), stored);
    // Back to the control, one line break per CR LF.
    const QString back = CAnnotationBar::shownText(stored.toStdString());
    QCOMPARE(QByteArray::fromStdString(CAnnotationBar::storedText(back)), stored);
    QVERIFY(!back.contains(u'\r'));
}

void TestAnnotationBar::closeCommitsThenWritesNotesThenBookmarks() {
    Notes v;
    QVERIFY(v.start());
    QVERIFY(v.app->ShowArticle(2, 0));
    typeText(v.bar()->edit(), QStringLiteral("Deux"));
    v.services.files.log.clear();
    v.close();
    QVERIFY(!v.frame()->isVisible());
    QCOMPARE(v.services.files.log, (std::vector<std::string>{"append .NO$", "replace .NOT",
                                                             "remove .NO$", "replace .SIG"}));
    QVERIFY(v.services.messages.isEmpty());
    const auto records = noteRecords(TempDir::readFile(v.notFile()));
    QCOMPARE(records.at(2), std::string("Deux"));
    QCOMPARE(TempDir::readFile(v.base + ".SIG"), std::string("\0\0\0\0", 4));
}

void TestAnnotationBar::failedSavesAreReportedAndLoseNothing() {
    Notes v;
    const std::string sig = v.base + ".SIG";
    TempDir::writeFile(sig, std::string("\x01\0\0\0\x02\0\0\0\x03\0\0\0Ici", 15));
    const std::string oldNotes = TempDir::readFile(v.notFile());
    const std::string oldBookmarks = TempDir::readFile(sig);
    QVERIFY(v.start());
    QCOMPARE(v.bookmarks()->RowCount(), 1);
    QVERIFY(v.app->ShowArticle(2, 0));
    typeText(v.bar()->edit(), QStringLiteral("Gardé"));
    v.services.files.refusedExtensions = {".NOT", ".SIG"};
    v.close();

    QVERIFY(!v.frame()->isVisible());
    const QStringList& messages = v.services.messages;
    QCOMPARE(messages.size(), 2);
    QVERIFY2(messages[0].contains(QString::fromStdString(v.notFile())), qPrintable(messages[0]));
    QVERIFY2(messages[1].contains(QString::fromStdString(sig)), qPrintable(messages[1]));
    QVERIFY(messages[0].startsWith(QStringLiteral("Impossible d'enregistrer")));
    QCOMPARE(TempDir::readFile(v.notFile()), oldNotes);
    QCOMPARE(TempDir::readFile(sig), oldBookmarks);

    // The note typed waits in .NO$ and comes back at the next start.
    v.stop();
    QVERIFY(v.pendingExists());
    v.services.files.refusedExtensions.clear();
    QVERIFY(v.start());
    QVERIFY(v.app->ShowArticle(2, 0));
    QCOMPARE(v.note(), QStringLiteral("Gardé"));
    QVERIFY(v.app->ShowArticle(3, 0));
    QCOMPARE(v.note(), QStringLiteral("Note ancienne\nsur deux lignes"));
    QVERIFY(messages.isEmpty());
}

void TestAnnotationBar::failedCommitsAreReportedOnceAndKeptForTheSave() {
    Notes v;
    QVERIFY(v.start());
    const QStringList& messages = v.services.messages;
    v.services.files.refusedExtensions = {".NO$"};
    typeText(v.bar()->edit(), QStringLiteral("Un"));
    QVERIFY(v.app->ShowArticle(2, 0));
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages[0].contains(QString::fromStdString(v.pendingFile())));
    typeText(v.bar()->edit(), QStringLiteral("Deux"));
    QVERIFY(v.app->ShowArticle(1, 0));
    QCOMPARE(messages.size(), 1);
    QCOMPARE(v.note(), QStringLiteral("Un"));
    v.close();
    QCOMPARE(messages.size(), 1);
    v.stop();
    const auto records = noteRecords(TempDir::readFile(v.notFile()));
    QCOMPARE(records.size(), size_t(3));
    QCOMPARE(records.at(1), std::string("Un"));
    QCOMPARE(records.at(2), std::string("Deux"));
}

void TestAnnotationBar::killedRunKeepsItsNotes() {
    if (!QFile::exists(kViewer))
        QSKIP("the viewer executable is not built");
    Notes v;
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("TOLVANE_TYPE_NOTES"),
               QStringLiteral("2=Deux\nlignes|1=Accueil modifié|3=Trois"));
    process.setProcessEnvironment(env);
    process.start(kViewer, {QStringLiteral("/D:") + QString::fromStdString(v.base)});
    QVERIFY(process.waitForStarted(10000));
    QByteArray output;
    QTRY_VERIFY_WITH_TIMEOUT((output += process.readAllStandardOutput()).contains("notes typed") ||
                                 process.state() == QProcess::NotRunning,
                             30000);
    QVERIFY2(process.state() == QProcess::Running, process.readAllStandardError().constData());
    process.kill();
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitStatus(), QProcess::CrashExit);
    QVERIFY(v.pendingExists());

    QVERIFY(v.start());
    QCOMPARE(v.note(), QStringLiteral("Accueil modifié"));
    QVERIFY(v.app->ShowArticle(2, 0));
    QCOMPARE(v.note(), QStringLiteral("Deux\nlignes"));
    QVERIFY(v.app->ShowArticle(3, 0));
    QCOMPARE(v.note(), QStringLiteral("Trois"));
}

QTEST_MAIN(TestAnnotationBar)
#include "tst_annotationbar.moc"
