// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/common/InputFile.h"

#include "support/TempDir.h"

#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>
#include <iterator>
#include <sys/stat.h>

namespace tolvane {
namespace {

using test::TempDir;

TEST(InputFileTest, PositionalReadsStopAtTheEndOfTheFile) {
    TempDir dir;
    const std::string path = dir.file("data.bin");
    TempDir::writeFile(path, std::string("\x01\x02\x03\x04\x05\x06", 6));

    InputFile f(path);
    ASSERT_TRUE(f.isOpen());
    EXPECT_EQ(f.size(), 6u);

    struct Case {
        uint64_t offset;
        size_t count;
        size_t expected;
    };
    const Case cases[] = {
        {0, 6, 6},
        {2, 4, 4},
        {4, 8, 2},
        {5, 1, 1},
        {6, 1, 0},
        {7, 4, 0},
        {0xFFFFFFFFull, 4, 0},
        {UINT64_MAX - 2, 4, 0},
        {0, 0, 0},
    };
    for (const Case& c : cases) {
        char buffer[16];
        std::fill(std::begin(buffer), std::end(buffer), 'x');
        EXPECT_EQ(f.readAt(c.offset, buffer, c.count), c.expected) << c.offset << "+" << c.count;
        for (size_t k = c.expected; k < sizeof buffer; ++k)
            EXPECT_EQ(buffer[k], 'x') << "byte written past what was read";
    }

    uint32_t v = 0;
    EXPECT_TRUE(f.readU32At(2, v));
    EXPECT_EQ(v, 0x06050403u);
    v = 9;
    EXPECT_FALSE(f.readU32At(3, v)); // only 3 bytes left
    EXPECT_FALSE(f.readU32At(6, v));
    EXPECT_EQ(v, 9u);

    std::string all;
    EXPECT_TRUE(InputFile::readAll(path, all));
    EXPECT_EQ(all.size(), 6u);
}

TEST(InputFileTest, MissingDirectoryAndClosedFilesReadNothing) {
    TempDir dir;
    InputFile missing;
    EXPECT_FALSE(missing.open(dir.file("absent")));
    EXPECT_FALSE(missing.isOpen());
    char b[4];
    EXPECT_EQ(missing.readAt(0, b, 4), 0u);
    EXPECT_FALSE(InputFile(dir.path()).isOpen()) << "a directory is not a file";
    std::string out = "old";
    EXPECT_FALSE(InputFile::readAll(dir.file("absent"), out));

    TempDir::writeFile(dir.file("f"), "abcd");
    InputFile f(dir.file("f"));
    InputFile moved(std::move(f));
    EXPECT_FALSE(f.isOpen());
    EXPECT_EQ(moved.readAt(0, b, 4), 4u);
    moved.close();
    EXPECT_EQ(moved.readAt(0, b, 4), 0u);
    EXPECT_EQ(moved.size(), 0u);
}

// Before: opening a FIFO waited for a writer that never came, so a data
// source whose .PGH was a named pipe hung the viewer at start-up.
TEST(InputFileTest, FifoIsRefusedWithoutWaiting) {
    TempDir dir;
    const std::string fifo = dir.file("GUIDE.PGH");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto start = std::chrono::steady_clock::now();
    InputFile f;
    EXPECT_FALSE(f.open(fifo));
    std::string out;
    EXPECT_FALSE(InputFile::readAll(fifo, out));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

// Whole files, small and spanning several large pages at any length, read
// again into the same object; what cannot be read as a file is refused.
TEST(InputFileTest, FileContentsHoldsTheWholeFile) {
    TempDir dir;
    std::string big(5 * (size_t{1} << 20) + 4097, '\0');
    uint32_t seed = 3;
    for (char& c : big) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 24);
    }
    FileContents contents;
    for (const size_t size : {size_t{0}, size_t{1}, size_t{4096}, size_t{4097},
                              (size_t{2} << 20) - 1, size_t{2} << 20, big.size()}) {
        SCOPED_TRACE(size);
        const std::string path = dir.file("f" + std::to_string(size));
        TempDir::writeFile(path, big.substr(0, size));
        ASSERT_TRUE(contents.read(path));
        EXPECT_TRUE(contents.bytes() == std::string_view(big).substr(0, size));
    }
    EXPECT_FALSE(contents.read(dir.file("absent")));
    EXPECT_TRUE(contents.bytes().empty()) << "a failed read keeps nothing of the last one";
    EXPECT_FALSE(contents.read(dir.path())) << "a directory is not a file";
    const std::string fifo = dir.file("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(contents.read(fifo));
}

} // namespace
} // namespace tolvane
