// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/rtf/RichDocument.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tolvane::rtf {

// Gathers what a \pict group says (its format, sizes and data) and turns it
// into a Picture: PNG and JPEG data as is, a device-independent bitmap
// (\dibitmap) or a monochrome or true-colour device bitmap (\wbitmapN) as a
// complete BMP file, anything else (metafiles, QuickDraw...) as a
// placeholder of the declared size. Sizes: \picwgoal / \pichgoal in twips,
// else \picw / \pich (hundredths of a millimetre for metafiles, pixels
// otherwise), times \picscalex / \picscaley percent.
class RtfPictureBuilder {
public:
    enum class Format : uint8_t { Unknown, Png, Jpeg, Dib, Ddb, Metafile, Pixels };

    explicit RtfPictureBuilder(bool keepData) : m_keepData(keepData) {}

    void reset();
    void setFormat(Format format) { m_format = format; }
    void setWidth(int32_t v) { m_width = v; }
    void setHeight(int32_t v) { m_height = v; }
    void setGoalWidth(int32_t v) { m_goalWidth = v; }
    void setGoalHeight(int32_t v) { m_goalHeight = v; }
    void setScaleX(int32_t v) { m_scaleX = v; }
    void setScaleY(int32_t v) { m_scaleY = v; }
    void setBitsPerPixel(int32_t v) { m_bitsPerPixel = v; }
    void setWidthBytes(int32_t v) { m_widthBytes = v; }

    // Hex digits of the picture data; anything else between them is skipped.
    void addHex(std::string_view text);
    // Raw bytes of a \bin inside the picture.
    void addBinary(std::string_view bytes);

    Picture build() const;

private:
    std::string bmpFromDib() const;
    std::string bmpFromDdb() const;

    bool m_keepData;
    Format m_format = Format::Unknown;
    int32_t m_width = 0;
    int32_t m_height = 0;
    int32_t m_goalWidth = 0;
    int32_t m_goalHeight = 0;
    int32_t m_scaleX = 100;
    int32_t m_scaleY = 100;
    int32_t m_bitsPerPixel = 1;
    int32_t m_widthBytes = 0;
    int m_highNibble = -1;
    std::string m_data;
};

} // namespace tolvane::rtf
