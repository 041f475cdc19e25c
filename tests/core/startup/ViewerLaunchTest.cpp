// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/startup/ViewerLaunch.h"

#include "support/TempDir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvane {
namespace {

using test::TempDir;
using Status = ViewerLaunch::Status;

bool writable(const std::string&) {
    return true;
}
bool readOnly(const std::string&) {
    return false;
}

// The test folder as realpath spells it (/tmp may be a link).
std::string real(const std::string& path) {
    char* r = ::realpath(path.c_str(), nullptr);
    std::string out = r != nullptr ? r : "";
    std::free(r);
    return out;
}

TEST(ViewerLaunchTest, PrepareViewerLaunch_OneDSwitchWithTheAbsoluteBase) {
    TempDir dir;
    const std::string root = real(dir.path());
    ::mkdir(dir.file("Mes aides").c_str(), 0755);
    ::mkdir(dir.file("sub").c_str(), 0755);
    ::mkdir(dir.file("x.PGD").c_str(), 0755);
    const std::string spaced = dir.file("Mes aides/Été 2.PGD");
    TempDir::writeFile(spaced, "");
    TempDir::writeFile(dir.file("guide.pgd"), "");
    TempDir::writeFile(dir.file("Aide.Pgd"), "");
    TempDir::writeFile(dir.file("notes.txt"), "");
    TempDir::writeFile(dir.file("日.PGD"), ""); // no Windows-1252 form
    ASSERT_EQ(::symlink(dir.file("Mes aides").c_str(), dir.file("lien").c_str()), 0);

    struct Case {
        std::string file;
        std::string cwd;
        Status status;
        std::string base; // checked when Ok
    };
    const Case cases[] = {
        {spaced, "/", Status::Ok, root + "/Mes aides/Été 2"},
        {"guide.pgd", dir.path(), Status::Ok, root + "/guide"},
        {"./sub/../Aide.Pgd", dir.path(), Status::Ok, root + "/Aide"},
        {"Mes aides/Été 2.PGD", dir.path(), Status::Ok, root + "/Mes aides/Été 2"},
        // Through a link to the folder: the same base, so the same instance.
        {dir.file("lien/Été 2.PGD"), "/", Status::Ok, root + "/Mes aides/Été 2"},
        {dir.file("notes.txt"), "/", Status::NotDataFile, ""},
        {dir.file(".PGD"), "/", Status::NotDataFile, ""},
        {dir.file("guide.pgdx"), "/", Status::NotDataFile, ""},
        {dir.file("guide.PGH"), "/", Status::NotDataFile, ""},
        {"", dir.path(), Status::NotDataFile, ""},
        {dir.file("absent.PGD"), "/", Status::Missing, ""},
        {dir.file("nowhere/guide.pgd"), "/", Status::Missing, ""},
        {dir.file("x.PGD"), "/", Status::Missing, ""}, // a folder
        {"guide.pgd", dir.file("nowhere"), Status::Missing, ""},
        {dir.file("日.PGD"), "/", Status::Unrepresentable, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file + " in " + c.cwd);
        const ViewerLaunch launch = PrepareViewerLaunch(c.file, c.cwd, "/home/ana/x", writable);
        EXPECT_EQ(launch.status, c.status);
        if (c.status == Status::Ok) {
            EXPECT_EQ(launch.base, c.base);
            EXPECT_EQ(launch.arguments, std::vector<std::string>{"/D:" + c.base});
            EXPECT_EQ(launch.userBase, "");
        } else {
            EXPECT_TRUE(launch.arguments.empty());
        }
    }
}

TEST(ViewerLaunchTest, PrepareViewerLaunch_ReadOnlyFolderSendsTheNotesToTheUsersFolder) {
    TempDir dir;
    const std::string root = real(dir.path());
    TempDir::writeFile(dir.file("Guide.PGD"), "");
    ViewerLaunch launch =
        PrepareViewerLaunch(dir.file("Guide.PGD"), "/", "/home/ana/.local/share/tolvane", readOnly);
    ASSERT_EQ(launch.status, Status::Ok);
    EXPECT_EQ(launch.userBase, "/home/ana/.local/share/tolvane/Guide");
    EXPECT_EQ(launch.arguments, (std::vector<std::string>{
                                    "/D:" + root + "/Guide",
                                    "/A:/home/ana/.local/share/tolvane/Guide",
                                }));
    // No user folder known, or one the viewer could not read: no /A.
    launch = PrepareViewerLaunch(dir.file("Guide.PGD"), "/", "", readOnly);
    EXPECT_EQ(launch.arguments, std::vector<std::string>{"/D:" + root + "/Guide"});
    launch = PrepareViewerLaunch(dir.file("Guide.PGD"), "/", "/home/日", readOnly);
    EXPECT_EQ(launch.arguments, std::vector<std::string>{"/D:" + root + "/Guide"});
    EXPECT_EQ(launch.userBase, "");
}

TEST(ViewerLaunchTest, FindViewer_BesideTheToolThenAlongThePath) {
    TempDir dir;
    for (const char* d : {"tool", "a", "b", "c", "c/tolvane"})
        ::mkdir(dir.file(d).c_str(), 0755);
    const std::string tool = dir.file("tool/tolvane-tool");
    TempDir::writeFile(dir.file("a/tolvane"), "#!/bin/sh\n"); // not executable
    TempDir::writeFile(dir.file("b/tolvane"), "#!/bin/sh\n");
    ::chmod(dir.file("b/tolvane").c_str(), 0755);
    const std::string path = dir.file("a") + ":" + dir.file("c") + ":" + dir.file("b");

    EXPECT_EQ(FindViewer(tool, path), dir.file("b/tolvane"));
    EXPECT_EQ(FindViewer(tool, dir.file("a") + ":" + dir.file("c")), "");
    EXPECT_EQ(FindViewer(tool, ""), "");
    // Empty entries do not stand for the current folder, even when it holds a viewer.
    char here[4096];
    ASSERT_NE(::getcwd(here, sizeof here), nullptr);
    ASSERT_EQ(::chdir(dir.file("b").c_str()), 0);
    const std::string fromEmpty = FindViewer(tool, "");
    const std::string fromEmptyEntry = FindViewer(tool, ":" + dir.file("a") + ":");
    ASSERT_EQ(::chdir(here), 0);
    EXPECT_EQ(fromEmpty, "");
    EXPECT_EQ(fromEmptyEntry, "");

    TempDir::writeFile(dir.file("tool/tolvane"), "#!/bin/sh\n");
    ::chmod(dir.file("tool/tolvane").c_str(), 0755);
    EXPECT_EQ(FindViewer(tool, path), dir.file("tool/tolvane"));
    EXPECT_EQ(FindViewer("tolvane-tool", dir.file("b")), dir.file("b/tolvane"));
}

} // namespace
} // namespace tolvane
