// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/common/UserFileLock.h"

#include "support/TempDir.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tolvane {
namespace {

using test::TempDir;

bool exists(const std::string& path) {
    return ::access(path.c_str(), F_OK) == 0;
}

TEST(UserFileLockTest, OneHolderAtATimeAndReleasedWithTheObject) {
    TempDir dir;
    const std::string path = dir.file("PERSO.LCK");
    std::unique_ptr<FileLock> first;
    ASSERT_EQ(UserFileLock::take(path, first), LockResult::Taken);
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(exists(path));

    // A second lock of this very process conflicts like another process.
    std::unique_ptr<FileLock> second;
    EXPECT_EQ(UserFileLock::take(path, second), LockResult::HeldElsewhere);
    EXPECT_EQ(second, nullptr);

    first.reset();
    EXPECT_FALSE(exists(path));
    EXPECT_EQ(UserFileLock::take(path, second), LockResult::Taken);
    // A lock file left by an earlier run is taken over as it is.
    second.reset();
    TempDir::writeFile(path, "reste");
    EXPECT_EQ(UserFileLock::take(path, second), LockResult::Taken);
}

TEST(UserFileLockTest, NoLockWhereNoLockFileCanBe) {
    TempDir dir;
    std::unique_ptr<FileLock> lock;
    EXPECT_EQ(UserFileLock::take(dir.file("absent/PERSO.LCK"), lock), LockResult::Unavailable);
    EXPECT_EQ(lock, nullptr);
    // A lock file that may only be read still locks.
    const std::string path = dir.file("PERSO.LCK");
    TempDir::writeFile(path, "");
    ASSERT_EQ(::chmod(path.c_str(), 0400), 0);
    EXPECT_EQ(UserFileLock::take(path, lock), LockResult::Taken);
    std::unique_ptr<FileLock> other;
    EXPECT_EQ(UserFileLock::take(path, other), LockResult::HeldElsewhere);
}

TEST(UserFileLockTest, ProcessKilledWhileHoldingLeavesNoLock) {
    TempDir dir;
    const std::string path = dir.file("PERSO.LCK");
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::unique_ptr<FileLock> held;
        const char answer = UserFileLock::take(path, held) == LockResult::Taken ? 'y' : 'n';
        if (::write(ready[1], &answer, 1) != 1)
            ::_exit(2);
        for (;;)
            ::pause();
    }
    ::close(ready[1]);
    char answer = 0;
    ASSERT_EQ(::read(ready[0], &answer, 1), 1);
    ::close(ready[0]);
    ASSERT_EQ(answer, 'y');

    std::unique_ptr<FileLock> lock;
    EXPECT_EQ(UserFileLock::take(path, lock), LockResult::HeldElsewhere);
    ASSERT_EQ(::kill(child, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    // The dead holder's file is still there; its lock is not.
    EXPECT_TRUE(exists(path));
    EXPECT_EQ(UserFileLock::take(path, lock), LockResult::Taken);
}

} // namespace
} // namespace tolvane
