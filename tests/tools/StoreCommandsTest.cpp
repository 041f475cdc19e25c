// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/common/LittleEndian.h"
#include "core/stores/AnnotationFile.h"
#include "core/stores/BookmarkFile.h"
#include "support/ShellTool.h"
#include "support/TempDir.h"

#include <array>
#include <cstdio>
#include <gtest/gtest.h>
#include <sys/wait.h>

namespace tolvane {
namespace {

using test::TempDir;

// "zèbre" in Windows-1252.
const std::string kZebre = std::string("z\xE8") + "bre";

TEST(StoreCommandsTest, NotesAndBookmarks_ListShowAndExitStatus) {
    TempDir dir;
    std::string notes;
    appendI32LE(notes, 3);
    AnnotationFile::AppendRecord(notes, 12, "premi\xE8re\r\nligne");
    AnnotationFile::AppendRecord(notes, 5, "cinq");
    AnnotationFile::AppendRecord(notes, 12, "r\xE9vis\xE9");
    TempDir::writeFile(dir.file("guide.not"), notes);
    TempDir::writeFile(dir.file("Guide.Sig"),
                       BookmarkFile::Bytes({{kZebre, 3}, {"", 7}, {"Index", 12}}));
    const std::string base = dir.file("GUIDE");
    test::ExpectToolCases({
        {"notes " + base, 0, "12 15\n5 4\n12 6\nannotations: 2\n"},
        {"notes " + base + ".sig", 0, "12 15\n5 4\n12 6\nannotations: 2\n"},
        {"notes " + base + " --show 12", 0, "révisé"},
        {"notes " + base + " --show 5", 0, "cinq"},
        {"notes " + base + " --show 6", 1, ""},
        {"notes " + base + " --show x", 2, ""},
        {"notes " + dir.file("ABSENT"), 1, ""},
        {"notes", 2, ""},
        {"bookmarks " + base + ".NO$", 0,
         std::string("3 zè") + "bre\n7 \n12 Index\nbookmarks: 3\n"},
        {"bookmarks " + dir.file("ABSENT"), 1, ""},
        {"bookmarks", 2, ""},
    });
}

} // namespace
} // namespace tolvane
