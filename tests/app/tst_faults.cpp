// SPDX-License-Identifier: GPL-3.0-or-later
// The viewer's close against a disk that refuses the user files: a full
// file system and a read-only one (small tmpfs mounts made by the test when
// it runs as root, a folder without write permission otherwise), and the
// files changing under a running viewer: the data source removed or cut,
// a .NOT cut in a record, a .SIG with a negative length. In each, what was
// on disk before is still there byte for byte afterwards, and a save that
// fails is reported in French with the file's name.

#include "core/common/LittleEndian.h"
#include "core/stores/AnnotationFile.h"
#include "core/stores/AnnotationStore.h"
#include "core/stores/BookmarkFile.h"
#include "support/Viewer.h"
#include "ui/base/CommandTable.h"
#include "ui/view/CPopupWnd.h"
#include "ui/view/RichTextEdit.h"

#include <QStatusBar>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tolvane;
using namespace tolvane::test;

namespace {

// A tmpfs of a few kilobytes mounted on a folder for the life of the
// object; unmounted by the destructor, so a failing check leaves no mount.
class SmallDisk {
public:
    explicit SmallDisk(const std::string& folder) : m_folder(folder) {
        ::mkdir(folder.c_str(), 0755);
        if (::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=16k,mode=0755") == 0)
            m_mounted = true;
        else
            m_error = std::strerror(errno);
    }
    ~SmallDisk() {
        if (m_mounted)
            ::umount2(m_folder.c_str(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return m_mounted; }
    const std::string& error() const { return m_error; }
    bool setReadOnly(bool readOnly) {
        const unsigned long flags = MS_REMOUNT | (readOnly ? MS_RDONLY : 0);
        return ::mount("tmpfs", m_folder.c_str(), "tmpfs", flags, "size=16k") == 0;
    }
    // Writes a file until the disk is full; true when it is.
    bool fill() const {
        const std::string path = m_folder + "/remplissage";
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0)
            return false;
        const std::string block(512, 'z');
        ssize_t n = 0;
        while ((n = ::write(fd, block.data(), block.size())) > 0) {
        }
        const bool full = n < 0 && errno == ENOSPC;
        ::close(fd);
        return full;
    }
    void empty() const { ::unlink((m_folder + "/remplissage").c_str()); }

private:
    std::string m_folder;
    bool m_mounted = false;
    std::string m_error;
};

// The viewer on the standard fixture with its user files in a folder of
// their own, where earlier runs may have left a note on article 3 and a
// bookmark.
struct Files : Viewer {
    std::string folder = useOwnFolder();
    std::string user = userBase;

    std::string notesBytes() const { return TempDir::readFile(user + ".NOT"); }
    std::string bookmarksBytes() const { return TempDir::readFile(user + ".SIG"); }
};

// Runs the viewer v that types a note on article 2, adds a bookmark,
// breaks the disk with spoil, then closes; checks the close reports both
// files with reason and that the earlier files are whole.
void closeOnABrokenDisk(Files& v, const std::function<bool()>& spoil, const QString& reason) {
    writeEarlierRun(v.user, "Note ancienne", "Signet ancien");
    const std::string notes = v.notesBytes();
    const std::string bookmarks = v.bookmarksBytes();
    {
        QVERIFY(v.start());
        QVERIFY(!v.app->userFilesReadOnly());
        QVERIFY(v.app->ShowArticle(3, 0));
        QCOMPARE(v.note(), QStringLiteral("Note ancienne"));
        QVERIFY(v.app->ShowArticle(2, 0));
        typeText(v.bar()->edit(), QStringLiteral("Note tapée avant la panne"));
        QVERIFY(v.app->ShowArticle(1, 0));
        answerNameDialog(QStringLiteral("Nouveau signet"));
        v.trigger(cmd::kAddBookmark);
        QCOMPARE(v.bookmarks()->RowCount(), 2);
        QVERIFY(spoil());
        v.close();
        QVERIFY(!v.frame()->isVisible());
        v.stop();
    }
    const QStringList& messages = v.services.messages;
    const QString notesPath = QString::fromStdString(v.user + ".NOT");
    const QString bookmarksPath = QString::fromStdString(v.user + ".SIG");
    QCOMPARE(messages.size(), 2);
    QVERIFY2(messages[0].startsWith(QStringLiteral("Impossible d'enregistrer les "
                                                   "annotations dans «") +
                                    notesPath + QStringLiteral("» : ") + reason),
             qPrintable(messages[0]));
    QVERIFY2(messages[1].startsWith(QStringLiteral("Impossible d'enregistrer les "
                                                   "signets dans «") +
                                    bookmarksPath + QStringLiteral("» : ") + reason),
             qPrintable(messages[1]));
    QCOMPARE(v.notesBytes(), notes);
    QCOMPARE(v.bookmarksBytes(), bookmarks);
    // No temporary file was left behind in the user folder.
    const QStringList left = QDir(QString::fromStdString(v.folder)).entryList(QDir::Files);
    for (const QString& name : left)
        QVERIFY2(!name.contains(QStringLiteral(".tmp-")), qPrintable(name));
}

} // namespace

class TestFaults : public QObject {
    Q_OBJECT

private slots:
    void closeOnAFullDisk();
    void closeOnAReadOnlyDisk();
    void dataSourceRemovedOrCutWhileRunning();
    void damagedUserFilesLoseNothing();
};

void TestFaults::closeOnAFullDisk() {
    if (::geteuid() != 0)
        QSKIP("a full disk is a tmpfs mounted by the test: needs root");
    Files v;
    SmallDisk disk(v.folder);
    if (!disk.mounted())
        QSKIP(qPrintable(QStringLiteral("tmpfs cannot be mounted here: ") +
                         QString::fromStdString(disk.error())));
    closeOnABrokenDisk(
        v, [&] { return disk.fill(); }, QStringLiteral("le disque est plein"));
    if (QTest::currentTestFailed())
        return;

    // With room again, the next run has every earlier note and bookmark.
    disk.empty();
    QVERIFY(v.start());
    QVERIFY(v.app->ShowArticle(3, 0));
    QCOMPARE(v.note(), QStringLiteral("Note ancienne"));
    QCOMPARE(v.bookmarks()->RowText(0), std::string("Signet ancien"));
    QVERIFY(v.app->ShowArticle(2, 0));
    QCOMPARE(v.note(), QStringLiteral("Note tapée avant la panne"));
    v.close();
    QVERIFY(v.services.messages.isEmpty());
}

void TestFaults::closeOnAReadOnlyDisk() {
    Files v;
    std::unique_ptr<SmallDisk> disk;
    std::function<bool()> spoil;
    QString reason;
    if (::geteuid() == 0) {
        disk = std::make_unique<SmallDisk>(v.folder);
        if (!disk->mounted())
            QSKIP(qPrintable(QStringLiteral("root ignores folder permissions and tmpfs cannot "
                                            "be mounted here: ") +
                             QString::fromStdString(disk->error())));
        spoil = [&] { return disk->setReadOnly(true); };
        reason = QStringLiteral("le support est en lecture seule");
    } else {
        spoil = [&] { return ::chmod(v.folder.c_str(), 0555) == 0; };
        reason = QStringLiteral("accès refusé");
    }
    closeOnABrokenDisk(v, spoil, reason);
    if (disk)
        QVERIFY(disk->setReadOnly(false));
    else
        ::chmod(v.folder.c_str(), 0755);
    if (QTest::currentTestFailed())
        return;

    // The note committed before the disk turned read-only waited in .NO$
    // and becomes permanent at the next start.
    QVERIFY(v.start());
    QVERIFY(v.app->ShowArticle(2, 0));
    QCOMPARE(v.note(), QStringLiteral("Note tapée avant la panne"));
    QVERIFY(v.app->ShowArticle(3, 0));
    QCOMPARE(v.note(), QStringLiteral("Note ancienne"));
    v.close();
    QVERIFY(v.services.messages.isEmpty());
}

void TestFaults::dataSourceRemovedOrCutWhileRunning() {
    for (const char* change : {"cut in a body", "cut to nothing", "removed"}) {
        Viewer v;
        QVERIFY2(v.start(), change);
        QVERIFY(v.app->ShowArticle(2, 0));
        const QString pgd = QString::fromStdString(v.base + ".PGD");
        const std::string bytes = TempDir::readFile(v.base + ".PGD");
        const QString before = v.view()->toPlainText();
        if (std::strcmp(change, "cut in a body") == 0)
            QVERIFY(QFile::resize(pgd, qint64(bytes.size() * 2 / 3)));
        else if (std::strcmp(change, "cut to nothing") == 0)
            QVERIFY(QFile::resize(pgd, 0));
        else
            QVERIFY(QFile::remove(pgd));

        // Nothing shows text that is no longer there: an article that cannot
        // be read has no title, so it counts as a popup note, empty, and the
        // view keeps what it showed.
        for (ArticleNumber article : {3, 1, 50, 2}) {
            v.app->ShowArticle(article, 0);
            if (std::strcmp(change, "cut in a body") == 0)
                continue;
            const QString shown = v.view()->toPlainText();
            QVERIFY2(shown.trimmed().isEmpty() || shown == before, change);
            if (CPopupWnd::isOpen())
                QVERIFY2(CPopupWnd::openPopup()->textControl()->toPlainText().trimmed().isEmpty(),
                         change);
        }
        v.app->GoBack();
        v.app->GoHome();
        v.app->SearchArticles("ligne", false, false, true, true);
        QVERIFY2(v.frame()->isVisible(), change);
        QVERIFY2(v.services.messages.isEmpty(), qPrintable(v.services.messages.join(u'\n')));
        v.close();
    }
}

void TestFaults::damagedUserFilesLoseNothing() {
    Files v;
    std::string notes;
    appendI32LE(notes, 3);
    AnnotationFile::AppendRecord(notes, 1, "Note enti\xE8re");
    AnnotationFile::AppendRecord(notes, 2, "Note coupée au milieu");
    notes.resize(notes.size() - 8);
    std::string bookmarks = BookmarkFile::Bytes({{"Premier", 1}, {"Second", 3}});
    bookmarks[0] = 3;
    appendI32LE(bookmarks, 2);
    appendI32LE(bookmarks, -7);
    bookmarks += "perdu?";
    TempDir::writeFile(v.user + ".NOT", notes);
    TempDir::writeFile(v.user + ".SIG", bookmarks);

    {
        QVERIFY(v.start());
        QCOMPARE(v.note(), QStringLiteral("Note entière"));
        QVERIFY(v.app->ShowArticle(2, 0));
        QCOMPARE(v.note(), QString());
        typeText(v.bar()->edit(), QStringLiteral("Nouvelle"));
        QCOMPARE(v.bookmarks()->RowCount(), 2);
        v.close();
        v.stop();
    }
    QVERIFY2(v.services.messages.isEmpty(), qPrintable(v.services.messages.join(u'\n')));
    // The damaged files are kept aside as they were, the new ones hold
    // what could be read of them and the run's changes.
    QCOMPARE(TempDir::readFile(v.user + ".NOT.BAK"), notes);
    QCOMPARE(TempDir::readFile(v.user + ".SIG.BAK"), bookmarks);
    QCOMPARE(noteRecords(v.notesBytes()), (NoteTexts{{1, "Note enti\xE8re"}, {2, "Nouvelle"}}));
    QCOMPARE(BookmarkFile::LoadBookmarks(v.user + ".SIG"),
             (std::vector<BookmarkRow>{{"Premier", 1}, {"Second", 3}}));

    // A second run finds whole files: no further copy.
    QVERIFY(v.start());
    v.close();
    QVERIFY(!QFile::exists(QString::fromStdString(v.user + ".NOT.BAK2")));
    QVERIFY(!QFile::exists(QString::fromStdString(v.user + ".SIG.BAK2")));
}

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
