// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/common/AtomicFile.h"

#include "core/common/PathResolver.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tolvane {
namespace {

using test::TempDir;

std::vector<std::string> entries(const std::string& dir) {
    std::vector<std::string> names;
    PathResolver::listDirectory(dir, names);
    return names;
}

TEST(AtomicFileTest, ReplacesTheWholeContent) {
    TempDir dir;
    const std::string path = dir.file("GUIDE.SIG");
    TempDir::writeFile(path, std::string(1000, 'o'));

    std::string error;
    ASSERT_TRUE(AtomicFile::write(path, "new", &error)) << error;
    EXPECT_EQ(TempDir::readFile(path), "new");
    ASSERT_TRUE(AtomicFile::write(path, std::string("\0\x01", 2)));
    EXPECT_EQ(TempDir::readFile(path), std::string("\0\x01", 2));
    ASSERT_TRUE(AtomicFile::write(path, ""));
    EXPECT_EQ(TempDir::readFile(path), "");
    EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"GUIDE.SIG"});
}

// Before: every replacement came out 0644, so a private annotation or
// bookmark file became readable by everyone at its first save.
TEST(AtomicFileTest, ReplacementKeepsThePermissions) {
    TempDir dir;
    struct Case {
        mode_t before;
        mode_t after;
    };
    const Case cases[] = {{0600, 0600}, {0640, 0640}, {0644, 0644}, {0, 0644}};
    for (const Case& c : cases) {
        const std::string path = dir.file("GUIDE.NOT");
        ::unlink(path.c_str());
        if (c.before != 0) {
            TempDir::writeFile(path, "old");
            ASSERT_EQ(::chmod(path.c_str(), c.before), 0);
        }
        ASSERT_TRUE(AtomicFile::write(path, "new"));
        struct stat st {};
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, c.after) << std::oct << c.before;
    }
}

TEST(AtomicFileTest, FailureLeavesTheTargetAndNoTemporaryFile) {
    struct Case {
        const char* name;
        bool needsPermissions; // root writes into read-only folders anyway
    };
    const Case cases[] = {{"missing directory", false},
                          {"target is a directory", false},
                          {"read-only directory", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.needsPermissions && ::geteuid() == 0)
            continue;
        TempDir dir;
        std::string target;
        const std::string name = c.name;
        if (name == "missing directory") {
            target = dir.file("absent/GUIDE.NOT");
        } else if (name == "target is a directory") {
            target = dir.file("GUIDE.NOT");
            ASSERT_EQ(::mkdir(target.c_str(), 0755), 0);
            TempDir::writeFile(target + "/inside", "kept");
        } else {
            target = dir.file("GUIDE.NOT");
            TempDir::writeFile(target, "old");
            ASSERT_EQ(::chmod(dir.path().c_str(), 0555), 0);
        }
        const std::vector<std::string> before = entries(dir.path());

        std::string error;
        EXPECT_FALSE(AtomicFile::write(target, "new", &error));
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(entries(dir.path()), before);
        if (name == "target is a directory") {
            EXPECT_EQ(TempDir::readFile(target + "/inside"), "kept");
        }
        if (name == "read-only directory") {
            EXPECT_EQ(TempDir::readFile(target), "old");
        }
    }
}

} // namespace
} // namespace tolvane
