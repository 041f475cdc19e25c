// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/common/UserFileSafety.h"

#include "core/common/Cp1252.h"
#include "core/common/FileOperations.h"
#include "core/common/PathResolver.h"
#include "core/common/UserFileLock.h"
#include "support/PlantedFiles.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tolvane {
namespace {

using test::Planted;
using test::TempDir;
using test::Victim;
using Exposure = UserFileSafety::FolderExposure;

constexpr int kRefused = UserFileSafety::kNotOwnRegularFile;

std::vector<std::string> entries(const std::string& dir) {
    std::vector<std::string> names;
    PathResolver::listDirectory(dir, names);
    return names;
}

TEST(UserFileSafetyTest, FolderExposure_ByModeAndOwner) {
    struct Case {
        mode_t mode;
        bool ownedByOther;
        Exposure expected;
    };
    const Case cases[] = {
        {0700, false, Exposure::Private},
        {0755, false, Exposure::Private},
        {0775, false, Exposure::WritableByOthers},
        {0757, false, Exposure::WritableByOthers},
        {0777, false, Exposure::WritableByOthers},
        {01777, false, Exposure::Private}, // sticky, as /tmp
        {01770, false, Exposure::Private},
        {0700, true, Exposure::OwnedByOther},
        {01777, true, Exposure::OwnedByOther},
    };
    const uid_t me = 1000;
    for (const Case& c : cases) {
        struct stat st {};
        st.st_mode = S_IFDIR | c.mode;
        st.st_uid = c.ownedByOther ? me + 1 : me;
        EXPECT_EQ(UserFileSafety::folderExposure(st, me), c.expected)
            << std::oct << c.mode << " owned by other: " << c.ownedByOther;
    }

    TempDir dir;
    EXPECT_EQ(UserFileSafety::folderExposure(dir.path()), Exposure::Private);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);
    EXPECT_EQ(UserFileSafety::folderExposure(dir.path() + "/"), Exposure::WritableByOthers);
    EXPECT_EQ(UserFileSafety::folderExposure(dir.file("absent")), Exposure::Unknown);
    TempDir::writeFile(dir.file("plain"), "x");
    EXPECT_EQ(UserFileSafety::folderExposure(dir.file("plain")), Exposure::Unknown);
}

// Before: the pending notes were appended with open(O_WRONLY | O_CREAT),
// so a link planted at GUIDE.NO$ had the next note written into, and the
// file truncated at, whatever it pointed to.
TEST(UserFileSafetyTest, NothingWrittenThroughAPlantedName) {
    enum class Operation { AppendFirst, AppendLater, Replace, KeepCopy, Lock };
    struct Case {
        const char* name;
        Operation operation;
        const char* file;
    };
    const Case cases[] = {
        {"first pending record", Operation::AppendFirst, "GUIDE.NO$"},
        {"later pending record", Operation::AppendLater, "GUIDE.NO$"},
        {"notes replaced", Operation::Replace, "GUIDE.NOT"},
        {"bookmarks replaced", Operation::Replace, "GUIDE.SIG"},
        {"copy of a damaged file", Operation::KeepCopy, "GUIDE.NOT"},
        {"lock", Operation::Lock, "GUIDE.LCK"},
    };
    FileOperations& files = FileOperations::system();
    for (const Case& c : cases) {
        for (const Planted kind : test::kAllPlanted) {
            SCOPED_TRACE(std::string(c.name) + ", " + test::plantedName(kind));
            Victim victim;
            TempDir dir;
            const std::string path = dir.file(c.file);
            if (!test::plant(kind, path, victim)) {
                ASSERT_EQ(kind, Planted::OtherUsers); // needs root
                continue;
            }
            switch (c.operation) {
            case Operation::AppendFirst:
                EXPECT_EQ(files.appendSynced(path, 0, "note"), kRefused);
                break;
            case Operation::AppendLater:
                EXPECT_EQ(files.appendSynced(path, 4, "note"), kRefused);
                break;
            case Operation::Replace:
                EXPECT_EQ(files.replaceAtomically(path, "nouveau"), kRefused);
                break;
            case Operation::KeepCopy:
                EXPECT_EQ(files.keepCopy(path), kRefused);
                break;
            case Operation::Lock: {
                // Nothing is ever written to a lock file: another user's
                // regular one still locks, anything else cannot.
                std::unique_ptr<FileLock> lock;
                EXPECT_EQ(UserFileLock::take(path, lock), kind == Planted::OtherUsers
                                                              ? LockResult::Taken
                                                              : LockResult::Unavailable);
                lock.reset();
                if (kind == Planted::OtherUsers)
                    continue; // released by removing its name
                break;
            }
            }
            EXPECT_TRUE(victim.untouched());
            EXPECT_TRUE(test::stillPlanted(kind, path));
            // No temporary file or copy left beside it.
            EXPECT_EQ(entries(dir.path()), std::vector<std::string>{c.file});
            EXPECT_EQ(
                FileOperations::errorText(kRefused),
                cp1252::fromUtf8("ce n'est pas un fichier ordinaire appartenant à l'utilisateur"));
        }
    }
}

TEST(UserFileSafetyTest, OwnFilesWrittenAndPlantedSideNamesLeftAlone) {
    Victim victim;
    TempDir dir;
    FileOperations& files = FileOperations::system();
    const std::string notes = dir.file("GUIDE.NOT");
    // Names a careless writer would use for its temporary file or its copy.
    const std::vector<std::string> sideNames = {"GUIDE.NOT.tmp", "GUIDE.NOT.tmp-XXXXXX",
                                                "GUIDE.NOT.BAK", "GUIDE.NO$.tmp"};
    for (const std::string& name : sideNames)
        ASSERT_TRUE(test::plant(Planted::LinkOutside, dir.file(name), victim));

    ASSERT_EQ(files.appendSynced(dir.file("GUIDE.NO$"), 0, "un"), 0);
    ASSERT_EQ(files.appendSynced(dir.file("GUIDE.NO$"), 2, "deux"), 0);
    EXPECT_EQ(TempDir::readFile(dir.file("GUIDE.NO$")), "undeux");
    // At a later offset the file must be there: a new one would start with
    // a hole where the earlier records were.
    EXPECT_NE(files.appendSynced(dir.file("AUTRE.NO$"), 4, "x"), 0);

    ASSERT_EQ(files.replaceAtomically(notes, "ancien"), 0);
    ASSERT_EQ(::chmod(notes.c_str(), 0600), 0);
    // The copy skips the name a link holds and keeps the file's bytes.
    ASSERT_EQ(files.keepCopy(notes), 0);
    EXPECT_EQ(TempDir::readFile(dir.file("GUIDE.NOT.BAK2")), "ancien");
    ASSERT_EQ(files.replaceAtomically(notes, "nouveau"), 0);
    EXPECT_EQ(TempDir::readFile(notes), "nouveau");
    struct stat st {};
    ASSERT_EQ(::stat(notes.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    EXPECT_TRUE(victim.untouched());
    for (const std::string& name : sideNames)
        EXPECT_TRUE(test::stillPlanted(Planted::LinkOutside, dir.file(name))) << name;
    EXPECT_EQ(entries(dir.path()).size(), sideNames.size() + 3);
}

} // namespace
} // namespace tolvane
