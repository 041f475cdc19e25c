// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/common/LittleEndian.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace tolvane {
namespace {

TEST(LittleEndianTest, FieldsAreLeastSignificantByteFirst) {
    const unsigned char bytes[] = {0x0C, 0x00, 0x00, 0x00, 0x40, 0x1F, 0x00, 0x00,
                                   0xF0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F};
    EXPECT_EQ(loadU32LE(bytes), 12u);
    EXPECT_EQ(loadU32LE(bytes + 4), 8000u);
    EXPECT_EQ(loadU32LE(bytes + 8), 0xFFFFFFF0u);
    EXPECT_EQ(loadI32LE(bytes + 8), -16);
    EXPECT_EQ(loadI32LE(bytes + 12), INT32_MAX);

    std::string out;
    appendU32LE(out, 0x04030201u);
    appendI32LE(out, -2);
    EXPECT_EQ(out, std::string("\x01\x02\x03\x04\xFE\xFF\xFF\xFF", 8));
}

TEST(LittleEndianTest, ByteReaderNeverStepsPastItsBuffer) {
    // The buffer lives in its own allocation so that AddressSanitizer sees
    // a read one byte too far.
    const size_t size = 10;
    std::unique_ptr<unsigned char[]> data(new unsigned char[size]);
    for (size_t i = 0; i < size; ++i)
        data[i] = static_cast<unsigned char>(i + 1);
    ByteReader r(data.get(), size);

    uint32_t u = 0;
    ASSERT_TRUE(r.readU32(u));
    EXPECT_EQ(u, 0x04030201u);
    int32_t i = 0;
    ASSERT_TRUE(r.readI32(i));
    EXPECT_EQ(i, 0x08070605);
    EXPECT_EQ(r.remaining(), 2u);

    // A read that does not fit fails and consumes nothing.
    u = 77;
    EXPECT_FALSE(r.readU32(u));
    EXPECT_EQ(u, 77u);
    EXPECT_FALSE(r.readI32(i));
    std::string s = "kept";
    EXPECT_FALSE(r.readBytes(3, s));
    EXPECT_EQ(s, "kept");
    EXPECT_FALSE(r.skip(3));
    EXPECT_FALSE(r.readBytes(SIZE_MAX, s));
    EXPECT_FALSE(r.skip(SIZE_MAX));
    EXPECT_EQ(r.position(), 8u);

    ASSERT_TRUE(r.readBytes(2, s));
    EXPECT_EQ(s, "\x09\x0A");
    EXPECT_TRUE(r.atEnd());
    EXPECT_EQ(r.remaining(), 0u);
    EXPECT_FALSE(r.readU32(u));
    EXPECT_TRUE(r.readBytes(0, s));
    EXPECT_TRUE(s.empty());

    ByteReader empty(nullptr, 0);
    EXPECT_TRUE(empty.atEnd());
    EXPECT_FALSE(empty.readU32(u));
    EXPECT_FALSE(empty.skip(1));
}

} // namespace
} // namespace tolvane
