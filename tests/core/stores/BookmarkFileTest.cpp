// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/stores/BookmarkFile.h"

#include "core/common/Cp1252.h"
#include "core/common/LittleEndian.h"
#include "support/FaultyFileOperations.h"
#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvane {
namespace {

using test::FaultyFileOperations;
using test::TempDir;
using Rows = std::vector<BookmarkRow>;

// "zèbre" in Windows-1252.
const std::string kZebre = std::string("z\xE8") + "bre";

size_t entriesIn(const std::string& dir) {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir), {}));
}

TEST(BookmarkFileTest, OneBookmark_IsTheSeventeenByteExample) {
    TempDir dir;
    const std::string path = dir.file("GUIDE.SIG");
    ASSERT_TRUE(BookmarkFile::SaveBookmarks(path, {{"Index", 12}}));
    const std::string expected("\x01\x00\x00\x00\x0C\x00\x00\x00\x05\x00\x00\x00Index", 17);
    EXPECT_EQ(TempDir::readFile(path), expected);
    EXPECT_EQ(BookmarkFile::LoadBookmarks(path), (Rows{{"Index", 12}}));
    // Only the file itself: no temporary name left behind.
    EXPECT_EQ(entriesIn(dir.path()), 1u);
}

TEST(BookmarkFileTest, RoundTrip_KeepsTheGivenOrderAndEveryName) {
    const std::vector<Rows> cases = {
        {},
        {{"Abricot", 3}, {kZebre, 1}},
        {{kZebre, 1}, {"Abricot", 3}},
        {{"", 7}, {"", 7}, {"m\xEAme", 7}, {"m\xEAme", -4}},
        {{std::string("\0\xFF\r\n", 4), 0}},
    };
    for (const Rows& rows : cases) {
        SCOPED_TRACE(rows.size());
        TempDir dir;
        const std::string path = dir.file("GUIDE.SIG");
        ASSERT_TRUE(BookmarkFile::SaveBookmarks(path, rows));
        std::string expected;
        appendI32LE(expected, static_cast<int32_t>(rows.size()));
        for (const BookmarkRow& row : rows) {
            appendI32LE(expected, row.article);
            appendI32LE(expected, static_cast<int32_t>(row.name.size()));
            expected += row.name;
        }
        EXPECT_EQ(TempDir::readFile(path), expected);
        EXPECT_EQ(BookmarkFile::LoadBookmarks(path), rows);
    }
}

TEST(BookmarkFileTest, MalformedFile_KeepsTheWholeRecordsBeforeTheFault) {
    const std::string two = BookmarkFile::Bytes({{"un", 1}, {"deux", 2}});
    auto withCount = [&](int32_t count) {
        std::string bytes = two;
        std::string head;
        appendI32LE(head, count);
        return bytes.replace(0, 4, head);
    };
    std::string negativeLength = withCount(3);
    appendI32LE(negativeLength, 3);
    appendI32LE(negativeLength, -1);
    negativeLength += "trois";
    std::string lengthPastEnd = withCount(3);
    appendI32LE(lengthPastEnd, 3);
    appendI32LE(lengthPastEnd, 6);
    lengthPastEnd += "trois";
    struct Case {
        const char* name;
        std::string bytes;
        Rows rows;
    };
    const Rows first = {{"un", 1}};
    const Rows both = {{"un", 1}, {"deux", 2}};
    const std::vector<Case> cases = {
        {"empty file", "", {}},
        {"count cut short", two.substr(0, 3), {}},
        {"zero count", withCount(0), {}},
        {"negative count", withCount(-2), {}},
        {"most negative count", withCount(INT32_MIN), {}},
        {"count larger than records", withCount(INT32_MAX), both},
        {"count smaller than records", withCount(1), first},
        {"negative length", negativeLength, both},
        {"length past the end", lengthPastEnd, both},
        {"cut in the name", two.substr(0, two.size() - 1), first},
        {"cut in the length", two.substr(0, two.size() - 6), first},
        {"cut in the article", two.substr(0, two.size() - 10), first},
    };
    TempDir dir;
    const std::string path = dir.file("GUIDE.SIG");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir::writeFile(path, c.bytes);
        EXPECT_EQ(BookmarkFile::LoadBookmarks(path), c.rows);
    }
    EXPECT_EQ(BookmarkFile::LoadBookmarks(dir.file("ABSENT.SIG")), Rows{});
}

TEST(BookmarkFileTest, DamagedFile_ToldAndKeptAsideByTheSave) {
    TempDir dir;
    const std::string path = dir.file("GUIDE.SIG");
    const std::string two = BookmarkFile::Bytes({{"un", 1}, {"deux", 2}});
    std::string negativeLength = two;
    negativeLength[0] = 3;
    appendI32LE(negativeLength, 3);
    appendI32LE(negativeLength, -4);
    negativeLength += "trois";
    struct Case {
        const char* name;
        std::string bytes;
        bool whole;
    };
    const std::vector<Case> cases = {
        {"whole", two, true},
        {"no bookmarks", BookmarkFile::Bytes({}), true},
        {"empty file", "", true},
        {"negative length", negativeLength, false},
        {"cut in a name", two.substr(0, two.size() - 1), false},
        {"bytes after the records", two + "x", false},
        {"negative count", std::string(4, '\xFF'), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir::writeFile(path, c.bytes);
        bool whole = !c.whole;
        BookmarkFile::LoadBookmarks(path, FileOperations::system(), &whole);
        EXPECT_EQ(whole, c.whole);
    }
    bool whole = false;
    EXPECT_TRUE(
        BookmarkFile::LoadBookmarks(dir.file("ABSENT.SIG"), FileOperations::system(), &whole)
            .empty());
    EXPECT_TRUE(whole);

    TempDir::writeFile(path, negativeLength);
    ASSERT_TRUE(
        BookmarkFile::SaveBookmarks(path, {{"un", 1}}, nullptr, FileOperations::system(), true));
    EXPECT_EQ(TempDir::readFile(path + ".BAK"), negativeLength);
    EXPECT_EQ(TempDir::readFile(path), BookmarkFile::Bytes({{"un", 1}}));
}

TEST(BookmarkFileTest, WriteFailure_OldFileKeptAndMessageNamesTheFile) {
    TempDir dir;
    const std::string path = dir.file("GUIDE.SIG");
    const std::string old = BookmarkFile::Bytes({{"ancien", 4}});
    TempDir::writeFile(path, old);
    FaultyFileOperations files;
    files.replaceError = ENOSPC;
    std::string error;
    EXPECT_FALSE(BookmarkFile::SaveBookmarks(path, {{"nouveau", 5}}, &error, files));
    EXPECT_EQ(error, cp1252::fromUtf8("Impossible d'enregistrer les signets dans «" + path +
                                      "» : le disque est plein."));
    EXPECT_EQ(TempDir::readFile(path), old);
}

TEST(BookmarkFileTest, ReadOnlyFolder_OldFileKeptAndNoTemporaryLeft) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    TempDir dir;
    const std::string path = dir.file("GUIDE.SIG");
    const std::string old = BookmarkFile::Bytes({{"ancien", 4}});
    TempDir::writeFile(path, old);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0555), 0);
    std::string error;
    EXPECT_FALSE(BookmarkFile::SaveBookmarks(path, {{"nouveau", 5}}, &error));
    ::chmod(dir.path().c_str(), 0755);
    EXPECT_EQ(error, cp1252::fromUtf8("Impossible d'enregistrer les signets dans «" + path +
                                      "» : accès refusé."));
    EXPECT_EQ(TempDir::readFile(path), old);
    EXPECT_EQ(entriesIn(dir.path()), 1u);
}

TEST(BookmarkFileTest, FileName_FoundWhateverItsCase) {
    TempDir dir;
    EXPECT_EQ(BookmarkFile::FileName(dir.file("GUIDE")), dir.file("GUIDE.SIG"));
    TempDir::writeFile(dir.file("Guide.pgd"), "");
    EXPECT_EQ(BookmarkFile::FileName(dir.file("GUIDE")), dir.file("Guide.SIG"));
    TempDir::writeFile(dir.file("guide.sig"), "");
    EXPECT_EQ(BookmarkFile::FileName(dir.file("GUIDE")), dir.file("guide.sig"));
}

} // namespace
} // namespace tolvane
