// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tolvane::authoring {

// Turns the bitmaps help projects name ({bmc file.bmp}) into PNG for the
// bodies. Reads Windows BMP files: the 12-byte core header and the 40-byte
// and later info headers, 1, 4, 8, 16, 24 and 32 bits per pixel, without
// compression, with RLE8 or RLE4, bottom-up or top-down. The PNG is 8-bit
// RGB, each scanline unfiltered, compressed by zlib at its best level.
class BitmapConverter {
public:
    struct Image {
        int32_t width = 0;
        int32_t height = 0;
        std::string rgb; // width * height * 3 bytes, top row first
    };

    // Decodes a BMP file; false (with a reason in French, UTF-8) for
    // anything it cannot read. Sizes are capped so that bad input cannot
    // ask for unbounded memory.
    static bool decodeBmp(std::string_view bytes, Image& image, std::string* reason = nullptr);
    static std::string encodePng(const Image& image);
    // The RTF picture group of a PNG image, its size given in twips at
    // 96 pixels per inch.
    static std::string pictureGroup(const Image& image, const std::string& png);

    static constexpr int32_t kMaxSide = 8192;
};

} // namespace tolvane::authoring
