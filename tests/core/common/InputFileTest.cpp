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

} // namespace
} // namespace tolvane
