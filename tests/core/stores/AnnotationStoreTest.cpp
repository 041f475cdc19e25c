// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/stores/AnnotationStore.h"

#include "core/common/Cp1252.h"
#include "core/common/InputFile.h"
#include "core/common/LittleEndian.h"
#include "core/common/UserFileSafety.h"
#include "core/stores/AnnotationFile.h"
#include "support/FaultyFileOperations.h"
#include "support/PlantedFiles.h"
#include "support/TempDir.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace tolvane {
namespace {

using test::FaultyFileOperations;
using test::TempDir;
using Notes = std::vector<std::pair<ArticleNumber, std::string>>;

std::string record(ArticleNumber article, const std::string& text) {
    std::string bytes;
    AnnotationFile::AppendRecord(bytes, article, text);
    return bytes;
}

std::string notFile(int32_t count, const Notes& notes) {
    std::string bytes;
    appendI32LE(bytes, count);
    for (const auto& [article, text] : notes)
        bytes += record(article, text);
    return bytes;
}

std::string notFile(const Notes& notes) {
    return notFile(static_cast<int32_t>(notes.size()), notes);
}

bool fileExists(const std::string& path) {
    return ::access(path.c_str(), F_OK) == 0;
}

class AnnotationStoreTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string base = dir.file("GUIDE");
    std::string notPath = base + ".NOT";
    std::string pendingPath = base + ".NO$";

    // Real file operations until a test tells them to fail.
    FaultyFileOperations files;

    std::string pendingBytes() const { return TempDir::readFile(pendingPath); }
};

// A store opened on the annotations of base.
struct OpenedStore : AnnotationStore {
    explicit OpenedStore(const std::string& base, FileOperations& files = FileOperations::system())
        : AnnotationStore(files) {
        OpenAnnotations(base);
    }
};

TEST_F(AnnotationStoreTest, FirstRun_NoteOnOneArticle_SavedAsOneRecord) {
    OpenedStore store(base);
    EXPECT_EQ(store.LoadAnnotation(12), "");
    ASSERT_TRUE(store.CommitAnnotation(12, "Voir aussi l'index"));
    // The text is on the disk before the article changes.
    EXPECT_EQ(pendingBytes(), record(12, "Voir aussi l'index"));
    EXPECT_EQ(store.LoadAnnotation(5), "");
    ASSERT_TRUE(store.CommitAnnotation(5, ""));

    std::string error;
    ASSERT_TRUE(store.SaveAnnotations(&error)) << error;
    EXPECT_EQ(TempDir::readFile(notPath), notFile({{12, "Voir aussi l'index"}}));
    EXPECT_FALSE(fileExists(pendingPath));
}

TEST_F(AnnotationStoreTest, NoteChangedTwice_LatestShownAndSaved) {
    OpenedStore store(base);
    store.LoadAnnotation(12);
    store.CommitAnnotation(12, "premier");
    store.LoadAnnotation(5);
    EXPECT_EQ(store.LoadAnnotation(12), "premier");
    store.CommitAnnotation(12, "second");
    store.LoadAnnotation(5);
    EXPECT_EQ(pendingBytes(), record(12, "premier") + record(12, "second"));
    EXPECT_EQ(store.LoadAnnotation(12), "second");
    ASSERT_TRUE(store.SaveAnnotations());
    EXPECT_EQ(TempDir::readFile(notPath), notFile({{12, "second"}}));
}

TEST_F(AnnotationStoreTest, ClearedNote_RemovedAtClose) {
    TempDir::writeFile(notPath, notFile({{12, "x"}, {7, "y"}}));
    OpenedStore store(base);
    EXPECT_EQ(store.LoadAnnotation(12), "x");
    store.CommitAnnotation(12, "");
    EXPECT_EQ(store.LoadAnnotation(12), "");
    ASSERT_TRUE(store.SaveAnnotations());
    EXPECT_EQ(TempDir::readFile(notPath), notFile({{7, "y"}}));
}

TEST_F(AnnotationStoreTest, UnchangedText_AppendsNothing) {
    TempDir::writeFile(notPath, notFile({{12, "x"}}));
    OpenedStore store(base);
    store.LoadAnnotation(12);
    EXPECT_TRUE(store.CommitAnnotation(12, "x"));
    store.LoadAnnotation(5);
    EXPECT_TRUE(store.CommitAnnotation(5, ""));
    EXPECT_FALSE(fileExists(pendingPath));

    // The pane's idle commit calls again and again with the same text.
    store.CommitAnnotation(5, "nouveau");
    store.CommitAnnotation(5, "nouveau");
    // An article other than the loaded one compares with its stored text.
    store.CommitAnnotation(12, "x");
    EXPECT_EQ(pendingBytes(), record(5, "nouveau"));
}

TEST_F(AnnotationStoreTest, UntouchedNotes_KeptByteForByte) {
    const std::string binary("\0\x01\xFF\x80\r\n\xE9t\xE9", 9);
    const std::string lines = "ligne 1\r\nligne 2\r\n\r\n";
    TempDir::writeFile(notPath, notFile({{40, binary}, {3, lines}, {-2, "n\xE9gatif"}}));
    OpenedStore store(base);
    store.LoadAnnotation(9);
    store.CommitAnnotation(9, "nouvelle");
    ASSERT_TRUE(store.SaveAnnotations());

    OpenedStore next(base);
    EXPECT_EQ(next.LoadAnnotation(40), binary);
    EXPECT_EQ(next.LoadAnnotation(3), lines);
    EXPECT_EQ(next.LoadAnnotation(-2), "n\xE9gatif");
    EXPECT_EQ(next.LoadAnnotation(9), "nouvelle");
    EXPECT_EQ(TempDir::readFile(notPath),
              notFile({{-2, "n\xE9gatif"}, {3, lines}, {9, "nouvelle"}, {40, binary}}));
}

TEST_F(AnnotationStoreTest, CountZero_NoAnnotationsAndRewrittenAsCountZero) {
    TempDir::writeFile(notPath, notFile(0, {{12, "ignored"}}));
    OpenedStore store(base);
    EXPECT_EQ(store.LoadAnnotation(12), "");
    ASSERT_TRUE(store.SaveAnnotations());
    EXPECT_EQ(TempDir::readFile(notPath), notFile({}));
}

TEST_F(AnnotationStoreTest, CrLf_KeptAcrossRuns) {
    const std::string text = "premi\xE8re ligne\r\ndeuxi\xE8me\r\n";
    {
        OpenedStore store(base);
        store.LoadAnnotation(1);
        store.CommitAnnotation(1, text);
        ASSERT_TRUE(store.SaveAnnotations());
    }
    OpenedStore store(base);
    EXPECT_EQ(store.LoadAnnotation(1), text);
}

TEST_F(AnnotationStoreTest, MalformedNot_KeepsWholeRecordsBeforeTheFault) {
    std::string negativeLength = notFile(3, {{1, "un"}});
    appendI32LE(negativeLength, 2);
    appendI32LE(negativeLength, -5);
    negativeLength += "deux";
    std::string lengthPastEnd = notFile(2, {{1, "un"}});
    appendI32LE(lengthPastEnd, 2);
    appendI32LE(lengthPastEnd, 1000);
    lengthPastEnd += "deux";
    const std::string whole = notFile({{1, "un"}, {2, "deux"}});
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<ArticleNumber> kept;
    };
    const std::vector<Case> cases = {
        {"empty file", "", {}},
        {"count cut short", std::string("\x01\x00", 2), {}},
        {"negative count", notFile(-1, {{1, "un"}}), {}},
        {"most negative count", notFile(INT32_MIN, {{1, "un"}}), {}},
        {"count larger than records", notFile(1000, {{1, "un"}, {2, "deux"}}), {1, 2}},
        {"huge count", notFile(INT32_MAX, {{1, "un"}}), {1}},
        {"count smaller than records", notFile(1, {{1, "un"}, {2, "deux"}}), {1}},
        {"negative length", negativeLength, {1}},
        {"length past the end", lengthPastEnd, {1}},
        {"cut in the text", whole.substr(0, whole.size() - 1), {1}},
        {"cut in the length", whole.substr(0, whole.size() - 6), {1}},
        {"cut in the article", whole.substr(0, whole.size() - 10), {1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir::writeFile(notPath, c.bytes);
        OpenedStore store(base);
        std::vector<ArticleNumber> kept;
        for (ArticleNumber article : {1, 2}) {
            if (!store.LoadAnnotation(article).empty())
                kept.push_back(article);
        }
        EXPECT_EQ(kept, c.kept);
        ASSERT_TRUE(store.SaveAnnotations());
        InputFile rebuilt(notPath);
        EXPECT_EQ(AnnotationFile::ReadPermanentIndex(rebuilt).size(), c.kept.size());
    }
}

TEST_F(AnnotationStoreTest, KilledRun_PendingTextsRestoredAtNextStart) {
    TempDir::writeFile(notPath, notFile({{3, "ancienne"}, {8, "intacte"}}));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        OpenedStore store(base);
        store.LoadAnnotation(3);
        store.CommitAnnotation(3, "r\xE9vis\xE9");
        store.LoadAnnotation(12);
        store.CommitAnnotation(12, "douze\r\n");
        store.LoadAnnotation(40);
        store.CommitAnnotation(40, "quarante");
        ::kill(::getpid(), SIGKILL);
        ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    EXPECT_EQ(TempDir::readFile(notPath), notFile({{3, "ancienne"}, {8, "intacte"}}));
    OpenedStore store(base);
    EXPECT_FALSE(fileExists(pendingPath));
    EXPECT_EQ(TempDir::readFile(notPath),
              notFile({{3, "r\xE9vis\xE9"}, {8, "intacte"}, {12, "douze\r\n"}, {40, "quarante"}}));
    EXPECT_EQ(store.LoadAnnotation(12), "douze\r\n");
}

TEST_F(AnnotationStoreTest, KilledRun_TornLastPendingRecordIgnored) {
    const std::string whole = record(5, "cinq") + record(6, "six");
    const std::string torn = record(7, "sept");
    std::string negative;
    appendI32LE(negative, 7);
    appendI32LE(negative, -1);
    for (const std::string& tail :
         {torn.substr(0, 2), torn.substr(0, 6), torn.substr(0, torn.size() - 1), negative}) {
        SCOPED_TRACE(tail.size());
        ::unlink(notPath.c_str());
        TempDir::writeFile(pendingPath, whole + tail);
        OpenedStore store(base);
        EXPECT_EQ(TempDir::readFile(notPath), notFile({{5, "cinq"}, {6, "six"}}));
        EXPECT_FALSE(fileExists(pendingPath));
        EXPECT_EQ(store.LoadAnnotation(7), "");
    }
}

TEST_F(AnnotationStoreTest, SaveFails_NothingLostAndMessageNamesTheFile) {
    TempDir::writeFile(notPath, notFile({{8, "intacte"}}));
    OpenedStore store(base, files);
    store.LoadAnnotation(12);
    store.CommitAnnotation(12, "douze");
    files.replaceError = ENOSPC;
    std::string error;
    EXPECT_FALSE(store.SaveAnnotations(&error));
    EXPECT_EQ(error, cp1252::fromUtf8("Impossible d'enregistrer les annotations dans «" + notPath +
                                      "» : le disque est plein."));
    EXPECT_EQ(TempDir::readFile(notPath), notFile({{8, "intacte"}}));
    EXPECT_EQ(pendingBytes(), record(12, "douze"));
    // The store stays usable and the texts are there at the next start.
    EXPECT_EQ(store.LoadAnnotation(12), "douze");
    OpenedStore next(base);
    EXPECT_EQ(TempDir::readFile(notPath), notFile({{8, "intacte"}, {12, "douze"}}));
}

TEST_F(AnnotationStoreTest, ReadOnlyFolder_SaveFailsAndNothingIsLost) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    TempDir::writeFile(notPath, notFile({{8, "intacte"}}));
    OpenedStore store(base);
    store.LoadAnnotation(12);
    store.CommitAnnotation(12, "douze");
    ASSERT_EQ(::chmod(dir.path().c_str(), 0555), 0);
    std::string error;
    EXPECT_FALSE(store.SaveAnnotations(&error));
    EXPECT_EQ(error, cp1252::fromUtf8("Impossible d'enregistrer les annotations dans «" + notPath +
                                      "» : accès refusé."));
    // Leftovers of the attempt would be another way to lose track of data.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    EXPECT_EQ(TempDir::readFile(notPath), notFile({{8, "intacte"}}));
    OpenedStore next(base);
    EXPECT_EQ(next.LoadAnnotation(12), "douze");
    EXPECT_EQ(next.LoadAnnotation(8), "intacte");
}

TEST_F(AnnotationStoreTest, AppendFailsAfterSomeBytes_TextKeptAndTornTailOverwritten) {
    OpenedStore store(base, files);
    store.LoadAnnotation(1);
    store.CommitAnnotation(1, "un");
    files.appendBytesBeforeFailure = 5;
    store.LoadAnnotation(2);
    std::string error;
    EXPECT_FALSE(store.CommitAnnotation(2, "deux", &error));
    EXPECT_EQ(error, cp1252::fromUtf8("Impossible d'enregistrer l'annotation dans «" + pendingPath +
                                      "» : le disque est plein."));
    EXPECT_EQ(pendingBytes(), record(1, "un") + record(2, "deux").substr(0, 5));
    EXPECT_EQ(store.LoadAnnotation(2), "deux");

    files.appendBytesBeforeFailure = -1;
    store.LoadAnnotation(3);
    ASSERT_TRUE(store.CommitAnnotation(3, "trois"));
    EXPECT_EQ(pendingBytes(), record(1, "un") + record(3, "trois"));
    ASSERT_TRUE(store.SaveAnnotations());
    EXPECT_EQ(TempDir::readFile(notPath), notFile({{1, "un"}, {2, "deux"}, {3, "trois"}}));
}

TEST_F(AnnotationStoreTest, FoldFailsAtStart_PendingTextsStayAndLaterAppendsFollowThem) {
    TempDir::writeFile(pendingPath, record(5, "cinq") + record(6, "s"));
    files.replaceError = EROFS;
    {
        OpenedStore store(base, files);
        EXPECT_EQ(store.LoadAnnotation(5), "cinq");
        store.CommitAnnotation(5, "CINQ");
    }
    OpenedStore store(base);
    EXPECT_EQ(TempDir::readFile(notPath), notFile({{5, "CINQ"}, {6, "s"}}));
}

TEST_F(AnnotationStoreTest, UnreadableNot_NotReplacedByTheNewTexts) {
    TempDir::writeFile(notPath, notFile({{8, "intacte"}}));
    files.unreadablePath = notPath;
    OpenedStore store(base, files);
    EXPECT_EQ(store.LoadAnnotation(8), "");
    store.CommitAnnotation(12, "douze");
    std::string error;
    EXPECT_FALSE(store.SaveAnnotations(&error));
    EXPECT_NE(error.find(notPath), std::string::npos);
    EXPECT_EQ(TempDir::readFile(notPath), notFile({{8, "intacte"}}));
    EXPECT_EQ(pendingBytes(), record(12, "douze"));
}

TEST_F(AnnotationStoreTest, ReadOnly_ShowsTheOtherRunsTextsAndNeverWrites) {
    TempDir::writeFile(notPath, notFile({{8, "huit"}, {12, "douze"}}));
    OpenedStore holder(base);
    holder.LoadAnnotation(12);
    ASSERT_TRUE(holder.CommitAnnotation(12, "douze, revu"));
    const std::string notBytes = TempDir::readFile(notPath);
    const std::string pendingAtStart = pendingBytes();

    AnnotationStore reader;
    reader.OpenAnnotations(base, true);
    EXPECT_TRUE(reader.readOnly());
    // Opening neither folds nor removes the holder's pending texts.
    EXPECT_EQ(pendingBytes(), pendingAtStart);
    EXPECT_EQ(reader.LoadAnnotation(8), "huit");
    EXPECT_EQ(reader.LoadAnnotation(12), "douze, revu");
    std::string error;
    EXPECT_FALSE(reader.CommitAnnotation(12, "autre", &error));
    EXPECT_NE(error.find("lecture seule"), std::string::npos);
    EXPECT_TRUE(reader.CommitAnnotation(12, "douze, revu"));
    EXPECT_TRUE(reader.SaveAnnotations());
    EXPECT_EQ(TempDir::readFile(notPath), notBytes);
    EXPECT_EQ(pendingBytes(), pendingAtStart);

    // The holder's close replaces .NOT and removes .NO$; the reader still
    // reads the texts it opened, not bytes at stale offsets of new files.
    holder.LoadAnnotation(8);
    ASSERT_TRUE(holder.CommitAnnotation(8, "un texte bien plus long que huit"));
    ASSERT_TRUE(holder.SaveAnnotations());
    EXPECT_FALSE(fileExists(pendingPath));
    EXPECT_EQ(reader.LoadAnnotation(8), "huit");
    EXPECT_EQ(reader.LoadAnnotation(12), "douze, revu");
}

TEST_F(AnnotationStoreTest, DamagedNot_CopyKeptBeforeItIsReplaced) {
    const std::string copyPath = notPath + ".BAK";
    struct Case {
        const char* name;
        std::string bytes;
        bool copied;
    };
    const std::string whole = notFile({{1, "un"}, {2, "deux"}});
    const std::vector<Case> cases = {
        {"whole file", whole, false},
        {"no annotations", notFile({}), false},
        {"empty file", "", false},
        {"cut in a record", whole.substr(0, whole.size() - 2), true},
        {"count larger than records", notFile(3, {{1, "un"}, {2, "deux"}}), true},
        {"bytes after the records", whole + "xyz", true},
        {"negative count", notFile(-1, {{1, "un"}}), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ::unlink(copyPath.c_str());
        TempDir::writeFile(notPath, c.bytes);
        OpenedStore store(base);
        store.LoadAnnotation(7);
        store.CommitAnnotation(7, "sept");
        ASSERT_TRUE(store.SaveAnnotations());
        EXPECT_EQ(fileExists(copyPath), c.copied);
        if (c.copied) {
            EXPECT_EQ(TempDir::readFile(copyPath), c.bytes);
        }
        EXPECT_EQ(store.LoadAnnotation(7), "sept");
    }

    // An older copy is never overwritten; a copy that cannot be made stops
    // the save before anything is replaced.
    const std::string damaged = whole.substr(0, whole.size() - 1);
    TempDir::writeFile(notPath, damaged);
    OpenedStore store(base, files);
    ASSERT_TRUE(fileExists(copyPath));
    const std::string olderCopy = TempDir::readFile(copyPath);
    files.replaceError = ENOSPC;
    std::string error;
    EXPECT_FALSE(store.SaveAnnotations(&error));
    EXPECT_NE(error.find(notPath), std::string::npos);
    EXPECT_EQ(TempDir::readFile(notPath), damaged);
    files.replaceError = 0;
    ASSERT_TRUE(store.SaveAnnotations());
    EXPECT_EQ(TempDir::readFile(copyPath), olderCopy);
    EXPECT_EQ(TempDir::readFile(notPath + ".BAK2"), damaged);
    EXPECT_EQ(TempDir::readFile(notPath), notFile({{1, "un"}}));
}

TEST_F(AnnotationStoreTest, FilesFoundWhateverTheirCase) {
    const std::string lower = dir.file("guide.not");
    TempDir::writeFile(lower, notFile({{12, "douze"}}));
    OpenedStore store(base);
    EXPECT_EQ(store.AnnotationFileName(true), lower);
    EXPECT_EQ(store.AnnotationFileName(false), dir.file("guide.NO$"));
    EXPECT_EQ(store.LoadAnnotation(12), "douze");
    store.CommitAnnotation(12, "DOUZE");
    ASSERT_TRUE(store.SaveAnnotations());
    EXPECT_EQ(TempDir::readFile(lower), notFile({{12, "DOUZE"}}));
    EXPECT_FALSE(fileExists(notPath));
}

} // namespace
} // namespace tolvane

namespace tolvane {
namespace {

using test::Planted;
using test::Victim;

const std::string kNotOwnReason =
    cp1252::fromUtf8("n'est pas un fichier ordinaire appartenant à l'utilisateur");

// Before: the pending file was opened through whatever stood at its name,
// so a link planted at GUIDE.NO$ while the viewer ran took the next note
// into the file it pointed to, and truncated it.
TEST_F(AnnotationStoreTest, PlantedPendingName_NotesKeptInMemoryAndSavedToNot) {
    for (const Planted kind : test::kAllPlanted) {
        for (const bool afterFirstNote : {false, true}) {
            SCOPED_TRACE(std::string(test::plantedName(kind)) +
                         (afterFirstNote ? ", in place of ours" : ", before the first note"));
            ::unlink(notPath.c_str());
            Victim victim;
            OpenedStore store(base);
            if (afterFirstNote) {
                // In a folder others can write, ours can be removed and
                // replaced: the texts already written are read from the
                // file the store holds, not from whatever took its name.
                store.LoadAnnotation(5);
                ASSERT_TRUE(store.CommitAnnotation(5, "cinq"));
                ASSERT_EQ(::unlink(pendingPath.c_str()), 0);
            }
            if (!test::plant(kind, pendingPath, victim))
                continue; // another user's file needs root
            store.LoadAnnotation(12);
            std::string error;
            int errorNumber = 0;
            EXPECT_FALSE(store.CommitAnnotation(12, "douze", &error, &errorNumber));
            EXPECT_EQ(errorNumber, UserFileSafety::kNotOwnRegularFile);
            EXPECT_NE(error.find(pendingPath), std::string::npos) << error;
            EXPECT_NE(error.find(kNotOwnReason), std::string::npos) << error;
            EXPECT_EQ(store.LoadAnnotation(12), "douze");
            EXPECT_TRUE(test::stillPlanted(kind, pendingPath));

            EXPECT_TRUE(store.SaveAnnotations(&error)) << error;
            const Notes expected =
                afterFirstNote ? Notes{{5, "cinq"}, {12, "douze"}} : Notes{{12, "douze"}};
            EXPECT_EQ(TempDir::readFile(notPath), notFile(expected));
            EXPECT_TRUE(victim.untouched());
            if (kind == Planted::Directory) {
                ASSERT_EQ(::rmdir(pendingPath.c_str()), 0);
            }
            ::unlink(pendingPath.c_str());
        }
    }
}

TEST_F(AnnotationStoreTest, PlantedNames_ReadForWhatTheyShowButNeverReplacedOrCopied) {
    struct Case {
        const char* name;
        std::string target; // what the link points to
        bool pendingLeftOver;
    };
    const std::string aNotFile = notFile({{8, "huit"}});
    const Case cases[] = {
        {"permanent file elsewhere", aNotFile, false},
        {"someone's document", "# fichier de la victime\n", false},
        {"pending file elsewhere, left by a run", record(4, "quatre"), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ::unlink(notPath.c_str());
        ::unlink(pendingPath.c_str());
        ::unlink((notPath + ".BAK").c_str());
        Victim victim;
        victim.bytes = c.target;
        TempDir::writeFile(victim.path, c.target);
        const std::string& linked = c.pendingLeftOver ? pendingPath : notPath;
        ASSERT_TRUE(test::plant(Planted::LinkOutside, linked, victim));

        OpenedStore store(base);
        if (c.pendingLeftOver) {
            // Folded into a new .NOT of ours; the link itself goes.
            EXPECT_EQ(store.LoadAnnotation(4), "quatre");
            EXPECT_EQ(TempDir::readFile(notPath), notFile({{4, "quatre"}}));
            EXPECT_FALSE(fileExists(pendingPath));
        } else {
            EXPECT_EQ(store.LoadAnnotation(8), c.target == aNotFile ? "huit" : "");
        }
        ASSERT_TRUE(store.CommitAnnotation(12, "douze"));
        std::string error;
        const bool saved = store.SaveAnnotations(&error);
        EXPECT_TRUE(victim.untouched());
        // No copy of someone else's bytes in a file of ours.
        EXPECT_FALSE(fileExists(notPath + ".BAK"));
        if (c.pendingLeftOver) {
            EXPECT_TRUE(saved) << error;
            EXPECT_EQ(TempDir::readFile(notPath), notFile({{4, "quatre"}, {12, "douze"}}));
            continue;
        }
        EXPECT_FALSE(saved);
        EXPECT_NE(error.find(notPath), std::string::npos) << error;
        EXPECT_NE(error.find(kNotOwnReason), std::string::npos) << error;
        EXPECT_TRUE(test::stillPlanted(Planted::LinkOutside, notPath));
        // The note waits in .NO$ for a run that can save it.
        EXPECT_EQ(pendingBytes(), record(12, "douze"));
    }
}

} // namespace
} // namespace tolvane
