// SPDX-License-Identifier: GPL-3.0-or-later
// The per-user files in a folder that other people can write: whatever
// another user plants at one of their names (a link to a file of the
// reader's, a file of their own) is never written through, truncated,
// copied or replaced; the notes and bookmarks of the run end up where the
// user finds them again, and a refusal names the file and says why. The
// folder itself is pointed out once in the status bar.

#include "core/stores/BookmarkFile.h"
#include "support/PlantedFiles.h"
#include "support/Viewer.h"
#include "ui/base/CommandTable.h"

#include <QStatusBar>

#include <sys/stat.h>
#include <unistd.h>

using namespace tolvane;
using namespace tolvane::test;

namespace {

const QString kNotOwnReason =
    QStringLiteral("n'est pas un fichier ordinaire appartenant à l'utilisateur");

QString statusText(const Viewer& v) {
    return v.frame()->statusBar()->currentMessage();
}

} // namespace

class TestPlantedFiles : public QObject {
    Q_OBJECT

private slots:
    void plantedNamesNeverWrittenThrough();
    void folderOthersCanWriteNotedOnce();
};

// Before: a link planted at perso.NO$ while the viewer ran took the next
// note into the file it pointed to, and truncated that file.
void TestPlantedFiles::plantedNamesNeverWrittenThrough() {
    enum class When { BeforeStart, WhileRunning, InPlaceOfOurs };
    struct Case {
        const char* name;
        std::vector<std::string> suffixes; // the names planted, after the base
        When when;
        // The file the close cannot write, named in its message ("" none).
        const char* refusedAtClose;
    };
    const Case cases[] = {
        {"pending notes, planted while running", {".NO$"}, When::WhileRunning, ""},
        {"pending notes, in place of ours", {".NO$"}, When::InPlaceOfOurs, ""},
        {"pending notes, left before the start", {".NO$"}, When::BeforeStart, ""},
        {"lock", {".LCK"}, When::BeforeStart, ""},
        {"temporary names",
         {".NOT.tmp", ".NOT.tmp-XXXXXX", ".SIG.tmp-XXXXXX"},
         When::BeforeStart,
         ""},
        {"notes", {".NOT"}, When::BeforeStart, ".NOT"},
        {"bookmarks", {".SIG"}, When::BeforeStart, ".SIG"},
    };
    for (const Case& c : cases) {
        for (const Planted kind : {Planted::LinkOutside, Planted::OtherUsers}) {
            const QByteArray what = QByteArray(c.name) + ", " + plantedName(kind);
            if (kind == Planted::OtherUsers && ::geteuid() != 0) {
                qInfo("skipped (another user's file needs root): %s", what.constData());
                continue;
            }
            Viewer v;
            v.useOwnFolder();
            const std::string& user = v.userBase;
            Victim victim;
            auto plantAll = [&] {
                for (const std::string& suffix : c.suffixes)
                    QVERIFY2(plant(kind, user + suffix, victim), what.constData());
            };
            if (c.when == When::BeforeStart)
                plantAll();
            {
                QVERIFY2(v.start(), what.constData());
                if (c.when == When::InPlaceOfOurs) {
                    QVERIFY(v.app->ShowArticle(3, 0));
                    typeText(v.bar()->edit(), QStringLiteral("Note d'avant"));
                    QVERIFY(v.app->ShowArticle(1, 0));
                    QVERIFY(::unlink((user + ".NO$").c_str()) == 0);
                }
                if (c.when != When::BeforeStart)
                    plantAll();
                QVERIFY(v.app->ShowArticle(2, 0));
                typeText(v.bar()->edit(), QStringLiteral("Note à garder"));
                QVERIFY(v.app->ShowArticle(1, 0));
                if (c.when != When::BeforeStart) {
                    // Said in the status bar, not in a message box: the
                    // note waits in memory for the close.
                    const QString status = statusText(v);
                    QVERIFY2(status.contains(QString::fromStdString(user + ".NO$")) &&
                                 status.contains(kNotOwnReason),
                             qPrintable(status));
                }
                QVERIFY(v.app->ShowArticle(2, 0));
                QCOMPARE(v.note(), QStringLiteral("Note à garder"));
                answerNameDialog(QStringLiteral("Mon signet"));
                v.trigger(cmd::kAddBookmark);
                v.close();
                v.stop();
            }
            QVERIFY2(victim.untouched(), what.constData());
            const std::string refused = c.refusedAtClose;
            if (refused.empty()) {
                QVERIFY2(v.services.messages.isEmpty(),
                         qPrintable(v.services.messages.join(u'\n')));
            } else {
                QCOMPARE(v.services.messages.size(), 1);
                const QString message = v.services.messages[0];
                QVERIFY2(message.contains(QString::fromStdString(user + refused)) &&
                             message.contains(kNotOwnReason),
                         qPrintable(message));
                QVERIFY2(stillPlanted(kind, user + refused), what.constData());
                // Nothing of what the name led to was copied aside.
                QVERIFY(!QFile::exists(QString::fromStdString(user + refused + ".BAK")));
            }
            if (c.suffixes[0].rfind(".NOT.tmp", 0) == 0) {
                for (const std::string& suffix : c.suffixes)
                    QVERIFY2(stillPlanted(kind, user + suffix), suffix.c_str());
            }

            // Once the planted names are gone, the next run shows the note
            // (from .NOT, or from the pending file the refused close kept)
            // and the bookmark, unless its own file was the one refused.
            for (const std::string& suffix : c.suffixes)
                ::unlink((user + suffix).c_str());
            QVERIFY(v.start());
            QVERIFY(v.app->ShowArticle(2, 0));
            QVERIFY2(v.note() == QStringLiteral("Note à garder"), what.constData());
            if (c.when == When::InPlaceOfOurs) {
                QVERIFY(v.app->ShowArticle(3, 0));
                QCOMPARE(v.note(), QStringLiteral("Note d'avant"));
            }
            if (refused == ".SIG") {
                QCOMPARE(v.bookmarks()->RowCount(), 0);
            } else {
                QCOMPARE(v.bookmarks()->RowCount(), 1);
                QCOMPARE(v.bookmarks()->RowText(0), std::string("Mon signet"));
            }
            v.close();
            QVERIFY2(v.services.messages.isEmpty(), qPrintable(v.services.messages.join(u'\n')));
            QVERIFY(victim.untouched());
        }
    }
}

void TestPlantedFiles::folderOthersCanWriteNotedOnce() {
    struct Case {
        const char* name;
        mode_t mode;
        bool otherOwner;
        const char* expected; // in the note; "" for no note at all
    };
    const Case cases[] = {
        {"private", 0755, false, ""},
        {"sticky, as /tmp", 01777, false, ""},
        {"group may write", 0775, false, "D'autres utilisateurs peuvent écrire"},
        {"anyone may write", 0777, false, "D'autres utilisateurs peuvent écrire"},
        {"another user's", 0755, true, "appartient à un autre utilisateur"},
    };
    for (const Case& c : cases) {
        if (c.otherOwner && ::geteuid() != 0) {
            qInfo("skipped (a folder of another user needs root): %s", c.name);
            continue;
        }
        Viewer v;
        const std::string folder = v.useOwnFolder();
        const std::string& user = v.userBase;
        QVERIFY(::chmod(folder.c_str(), c.mode) == 0);
        if (c.otherOwner)
            QVERIFY(::chown(folder.c_str(), kOtherUser, kOtherUser) == 0);
        QVERIFY2(v.start(), c.name);
        const QString status = statusText(v);
        const QString expected = QString::fromUtf8(c.expected);
        if (expected.isEmpty()) {
            QVERIFY2(status == QStringLiteral("Prêt"), qPrintable(status));
        } else {
            QVERIFY2(status.contains(expected) && status.contains(QStringLiteral("/A")) &&
                         status.contains(QString::fromStdString(folder)),
                     qPrintable(status));
        }
        // Nothing is refused for the folder alone.
        QVERIFY(v.app->ShowArticle(2, 0));
        typeText(v.bar()->edit(), QStringLiteral("Note"));
        answerNameDialog(QStringLiteral("Signet"));
        v.trigger(cmd::kAddBookmark);
        v.close();
        QVERIFY2(v.services.messages.isEmpty(), qPrintable(v.services.messages.join(u'\n')));
        QCOMPARE(BookmarkFile::LoadBookmarks(user + ".SIG").size(), size_t(1));
        QVERIFY(QFile::exists(QString::fromStdString(user + ".NOT")));
    }
}

QTEST_MAIN(TestPlantedFiles)
#include "tst_plantedfiles.moc"
