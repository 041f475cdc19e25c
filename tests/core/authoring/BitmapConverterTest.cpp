// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/authoring/BitmapConverter.h"

#include "core/common/LittleEndian.h"

#include <gtest/gtest.h>

namespace tolvane::authoring {
namespace {

void Put16(std::string& out, uint16_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}

// A BMP file with a 40-byte header; palette is BGR0 entries.
std::string Bmp(int32_t w, int32_t h, int bits, uint32_t compression, const std::string& palette,
                const std::string& pixels) {
    std::string b = "BM";
    const uint32_t offset = 54 + static_cast<uint32_t>(palette.size());
    appendU32LE(b, offset + static_cast<uint32_t>(pixels.size()));
    appendU32LE(b, 0);
    appendU32LE(b, offset);
    appendU32LE(b, 40);
    appendI32LE(b, w);
    appendI32LE(b, h);
    Put16(b, 1);
    Put16(b, static_cast<uint16_t>(bits));
    appendU32LE(b, compression);
    appendU32LE(b, static_cast<uint32_t>(pixels.size()));
    appendU32LE(b, 0);
    appendU32LE(b, 0);
    appendU32LE(b, static_cast<uint32_t>(palette.size() / 4));
    appendU32LE(b, 0);
    return b + palette + pixels;
}

const std::string kPalette = std::string("\x00\x00\xFF\x00"
                                         "\x00\xFF\x00\x00",
                                         8); // red, green

TEST(BitmapConverter, DecodesEachPixelFormat) {
    struct Case {
        const char* name;
        std::string bmp;
        std::string rgb; // top row first
    };
    const std::string redGreen = std::string("\xFF\x00\x00\x00\xFF\x00", 6);
    const std::string greenRed = std::string("\x00\xFF\x00\xFF\x00\x00", 6);
    const Case cases[] = {
        // 2x2, bottom row stored first: bottom = red green, top = green red.
        {"24 bits",
         Bmp(2, 2, 24, 0, "",
             std::string("\x00\x00\xFF\x00\xFF\x00\x00\x00"
                         "\x00\xFF\x00\x00\x00\xFF\x00\x00",
                         16)),
         greenRed + redGreen},
        {"8 bits", Bmp(2, 2, 8, 0, kPalette, std::string("\x00\x01\x00\x00\x01\x00\x00\x00", 8)),
         greenRed + redGreen},
        {"4 bits", Bmp(2, 2, 4, 0, kPalette, std::string("\x01\x00\x00\x00\x10\x00\x00\x00", 8)),
         greenRed + redGreen},
        {"1 bit", Bmp(2, 2, 1, 0, kPalette, std::string("\x40\x00\x00\x00\x80\x00\x00\x00", 8)),
         greenRed + redGreen},
        {"RLE8",
         Bmp(2, 2, 8, 1, kPalette,
             std::string("\x01\x00\x01\x01\x00\x00\x01\x01\x01\x00\x00\x01", 12)),
         greenRed + redGreen},
        {"top-down 24 bits",
         Bmp(2, -1, 24, 0, "", std::string("\x00\x00\xFF\x00\xFF\x00\x00\x00", 8)), redGreen},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BitmapConverter::Image image;
        ASSERT_TRUE(BitmapConverter::decodeBmp(c.bmp, image));
        EXPECT_EQ(image.rgb, c.rgb);
    }
}

TEST(BitmapConverter, RefusesBadFiles) {
    BitmapConverter::Image image;
    for (const std::string& bad :
         {std::string(), std::string("BM"), Bmp(0, 2, 24, 0, "", ""), Bmp(2, 2, 7, 0, "", ""),
          Bmp(100000, 100000, 24, 0, "", "x"), Bmp(2, 2, 24, 4, "", "xxxx"),
          Bmp(2, static_cast<int32_t>(0x80000000u), 24, 0, "", "")}) {
        std::string reason;
        EXPECT_FALSE(BitmapConverter::decodeBmp(bad, image, &reason));
        EXPECT_FALSE(reason.empty());
    }
    // Pixel data cut short is read as far as it goes.
    EXPECT_TRUE(BitmapConverter::decodeBmp(Bmp(4, 4, 24, 0, "", "abc"), image));
}

uint32_t Be32(const std::string& s, size_t at) {
    return static_cast<uint32_t>(
        static_cast<unsigned char>(s[at]) << 24 | static_cast<unsigned char>(s[at + 1]) << 16 |
        static_cast<unsigned char>(s[at + 2]) << 8 | static_cast<unsigned char>(s[at + 3]));
}

// The PNG holds the pixels in stored deflate blocks: unpacking them by hand
// gives back every scanline, across the 65535-byte block limit.
TEST(BitmapConverter, PngKeepsThePixels) {
    BitmapConverter::Image image;
    image.width = 300;
    image.height = 100;
    for (int k = 0; k < image.width * image.height * 3; ++k)
        image.rgb += static_cast<char>(k * 7 % 251);
    const std::string png = BitmapConverter::encodePng(image);
    ASSERT_EQ(png.compare(0, 8, "\x89PNG\r\n\x1A\n"), 0);
    EXPECT_EQ(png.substr(12, 4), "IHDR");
    EXPECT_EQ(Be32(png, 16), 300u);
    EXPECT_EQ(Be32(png, 20), 100u);
    const size_t idatLength = Be32(png, 33);
    ASSERT_EQ(png.substr(37, 4), "IDAT");
    const std::string z = png.substr(41, idatLength);
    std::string raw;
    size_t at = 2;
    bool last = false;
    while (!last && at + 5 <= z.size()) {
        last = z[at] & 1;
        const size_t n =
            static_cast<unsigned char>(z[at + 1]) | static_cast<unsigned char>(z[at + 2]) << 8;
        raw += z.substr(at + 5, n);
        at += 5 + n;
    }
    ASSERT_EQ(raw.size(), static_cast<size_t>((300 * 3 + 1) * 100));
    for (int y = 0; y < 100; ++y) {
        EXPECT_EQ(raw[y * 901], '\0');
        EXPECT_EQ(raw.substr(y * 901 + 1, 900), image.rgb.substr(y * 900, 900));
    }
    EXPECT_EQ(png.substr(png.size() - 8, 4), "IEND");
}

} // namespace
} // namespace tolvane::authoring
