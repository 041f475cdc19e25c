// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/authoring/BitmapConverter.h"

#include "core/common/LittleEndian.h"
#include "support/CorpusFiles.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <iostream>
#include <utility>
#include <vector>
#include <zlib.h>

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

// Reads a PNG as the converter writes it (8-bit RGB, unfiltered rows) the
// way a viewer would: every chunk's CRC checked, the IDAT data inflated by
// zlib. Returns the pixels, top row first; fails the test on any fault.
std::string PngPixels(const std::string& png, const BitmapConverter::Image& image) {
    EXPECT_EQ(png.compare(0, 8, "\x89PNG\r\n\x1A\n"), 0);
    std::string idat;
    bool ended = false;
    for (size_t at = 8; at + 12 <= png.size() && !ended; at += 12 + Be32(png, at)) {
        const size_t length = Be32(png, at);
        const std::string type = png.substr(at + 4, 4);
        const std::string body = png.substr(at + 4, 4 + length);
        EXPECT_EQ(Be32(png, at + 8 + length), crc32(0, reinterpret_cast<const Bytef*>(body.data()),
                                                    static_cast<uInt>(body.size())))
            << type;
        if (type == "IHDR") {
            EXPECT_EQ(Be32(png, at + 8), static_cast<uint32_t>(image.width));
            EXPECT_EQ(Be32(png, at + 12), static_cast<uint32_t>(image.height));
            EXPECT_EQ(body.substr(12), std::string("\x08\x02\x00\x00\x00", 5));
        }
        if (type == "IDAT")
            idat += body.substr(4);
        ended = type == "IEND";
    }
    EXPECT_TRUE(ended);
    const size_t rowBytes = static_cast<size_t>(image.width) * 3;
    std::string raw((rowBytes + 1) * static_cast<size_t>(image.height) + 1, '\0');
    uLongf rawSize = raw.size();
    EXPECT_EQ(uncompress(reinterpret_cast<Bytef*>(raw.data()), &rawSize,
                         reinterpret_cast<const Bytef*>(idat.data()), idat.size()),
              Z_OK);
    EXPECT_EQ(rawSize, raw.size() - 1);
    std::string rgb;
    for (size_t row = 0; row < static_cast<size_t>(image.height); ++row) {
        EXPECT_EQ(raw[row * (rowBytes + 1)], '\0') << "filter of row " << row;
        rgb += raw.substr(row * (rowBytes + 1) + 1, rowBytes);
    }
    return rgb;
}

// A large varied image (compressed well below its raw size) and every
// bitmap of the corpus come back from the PNG pixel for pixel.
TEST(BitmapConverter, PngKeepsThePixels) {
    std::vector<std::pair<std::string, BitmapConverter::Image>> images;
    BitmapConverter::Image varied;
    varied.width = 300;
    varied.height = 100;
    for (int k = 0; k < varied.width * varied.height * 3; ++k)
        varied.rgb += static_cast<char>(k * 7 % 251);
    images.emplace_back("300x100", varied);
    for (const std::string& file : test::FilesWithExtension({test::CorpusDir()}, ".bmp")) {
        BitmapConverter::Image image;
        if (BitmapConverter::decodeBmp(test::TempDir::readFile(file), image))
            images.emplace_back(file, image);
    }
    if (images.size() < 2)
        std::cout << "corpus absent, only the made-up image: " << test::CorpusDir() << "\n";
    for (const auto& [name, image] : images) {
        SCOPED_TRACE(name);
        const std::string png = BitmapConverter::encodePng(image);
        EXPECT_EQ(PngPixels(png, image), image.rgb);
    }
    EXPECT_LT(BitmapConverter::encodePng(varied).size(), varied.rgb.size() / 4);
}

} // namespace
} // namespace tolvane::authoring
