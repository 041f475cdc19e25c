// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/common/PathResolver.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tolvane {
namespace {

using test::TempDir;

void makeDir(const std::string& path) {
    ASSERT_EQ(::mkdir(path.c_str(), 0755), 0) << path;
}

TEST(PathResolverTest, ResolvesEveryComponentWithoutRegardToCase) {
    TempDir tmp;
    makeDir(tmp.file("home"));
    makeDir(tmp.file("home/ana"));
    makeDir(tmp.file("home/ana/Aide"));
    TempDir::writeFile(tmp.file("home/ana/Aide/Guide.pgd"), "x");

    const std::string base = tmp.path() + "/HOME/ANA/AIDE/GUIDE";
    EXPECT_EQ(PathResolver::resolve(base + ".PGD"), tmp.file("home/ana/Aide/Guide.pgd"));
    EXPECT_EQ(PathResolver::fileOfBase(tmp.path() + "/home/ana/aide/guide", ".PGD"),
              tmp.file("home/ana/Aide/Guide.pgd"));
    EXPECT_TRUE(PathResolver::exists(base + ".pgd"));
    EXPECT_FALSE(PathResolver::exists(base + ".PGL"));
    EXPECT_FALSE(PathResolver::exists(""));

    // Components from the first missing one on are kept as given.
    EXPECT_EQ(PathResolver::resolve(tmp.path() + "/HOME/NOBODY/AIDE/GUIDE.PGD"),
              tmp.path() + "/home/NOBODY/AIDE/GUIDE.PGD");
    // Empty components and a trailing slash survive.
    EXPECT_EQ(PathResolver::resolve(tmp.path() + "/HOME//ANA/"), tmp.path() + "/home//ana/");
}

TEST(PathResolverTest, PrefersTheExactSpellingThenTheFirstByByteOrder) {
    TempDir tmp;
    TempDir::writeFile(tmp.file("guide.pgd"), "lower");
    TempDir::writeFile(tmp.file("Guide.pgd"), "mixed");
    TempDir::writeFile(tmp.file("GUIDE.PGD"), "upper");

    struct Case {
        const char* asked;
        const char* found;
    };
    const Case cases[] = {
        {"guide.pgd", "guide.pgd"},
        {"Guide.pgd", "Guide.pgd"},
        {"GUIDE.PGD", "GUIDE.PGD"},
        {"gUIDE.pgd", "GUIDE.PGD"}, // no exact match: "GUIDE.PGD" sorts first
    };
    for (const Case& c : cases)
        EXPECT_EQ(PathResolver::resolve(tmp.file(c.asked)), tmp.file(c.found)) << c.asked;
}

TEST(PathResolverTest, FileOfBaseForAFileNotYetCreated) {
    TempDir tmp;
    makeDir(tmp.file("Aide"));
    TempDir::writeFile(tmp.file("Aide/Guide.pgd"), "x");
    TempDir::writeFile(tmp.file("Aide/Guide.pgh"), "x");

    // The directory is resolved, the stem spelled like its siblings, the
    // extension written as given.
    EXPECT_EQ(PathResolver::fileOfBase(tmp.path() + "/AIDE/GUIDE", ".NOT"),
              tmp.file("Aide/Guide.NOT"));
    // No sibling of that stem: the stem stays as given.
    EXPECT_EQ(PathResolver::fileOfBase(tmp.path() + "/aide/NOTES", ".SIG"),
              tmp.file("Aide/NOTES.SIG"));
    // A missing directory is kept as given.
    EXPECT_EQ(PathResolver::fileOfBase(tmp.path() + "/PERSO/NOTES", ".SIG"),
              tmp.path() + "/PERSO/NOTES.SIG");

    // A sibling spelled exactly as asked wins over an earlier case variant.
    TempDir::writeFile(tmp.file("Aide/GUIDE.txt"), "x");
    EXPECT_EQ(PathResolver::fileOfBase(tmp.path() + "/aide/Guide", ".SIG"),
              tmp.file("Aide/Guide.SIG"));
    EXPECT_EQ(PathResolver::fileOfBase(tmp.path() + "/aide/guide", ".SIG"),
              tmp.file("Aide/GUIDE.SIG"));
}

TEST(PathResolverTest, AccentedNamesMatchTheirUpperCase) {
    TempDir tmp;
    makeDir(tmp.file("été"));                          // été
    TempDir::writeFile(tmp.file("été/cœur.pgd"), "x"); // cœur

    EXPECT_EQ(PathResolver::resolve(tmp.path() + "/ÉTÉ/CŒUR.PGD"), tmp.file("été/cœur.pgd"));
    EXPECT_EQ(PathResolver::nameKey("été"), "\xC9T\xC9");
    EXPECT_EQ(PathResolver::nameKey("ÉTÉ"), "\xC9T\xC9");
    // No case pair: "ete" is another name.
    EXPECT_FALSE(PathResolver::exists(tmp.path() + "/ETE/CŒUR.PGD"));
}

TEST(PathResolverTest, DirectoryAndFileNameSplitAtTheLastSlash) {
    EXPECT_EQ(PathResolver::directoryOf("/a/b/c"), "/a/b/");
    EXPECT_EQ(PathResolver::fileNameOf("/a/b/c"), "c");
    EXPECT_EQ(PathResolver::directoryOf("c"), "");
    EXPECT_EQ(PathResolver::fileNameOf("c"), "c");
    EXPECT_EQ(PathResolver::directoryOf("/c"), "/");
}

} // namespace
} // namespace tolvane
