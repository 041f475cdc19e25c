// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/authoring/BitmapConverter.h"

#include "core/common/HexDigit.h"
#include "core/common/LittleEndian.h"

#include <array>
#include <new>
#include <vector>
#include <zlib.h>

namespace tolvane::authoring {

namespace {

void AppendU32BE(std::string& out, uint32_t v) {
    out += static_cast<char>(v >> 24);
    out += static_cast<char>(v >> 16);
    out += static_cast<char>(v >> 8);
    out += static_cast<char>(v);
}

void AppendChunk(std::string& png, const char* type, const std::string& data) {
    AppendU32BE(png, static_cast<uint32_t>(data.size()));
    std::string body = type;
    body += data;
    png += body;
    AppendU32BE(png, static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(body.data()),
                                                 static_cast<uInt>(body.size()))));
}

uint32_t U32(std::string_view b, size_t at) {
    return at + 4 <= b.size() ? loadU32LE(reinterpret_cast<const unsigned char*>(b.data()) + at)
                              : 0;
}
uint16_t U16(std::string_view b, size_t at) {
    return at + 2 <= b.size() ? static_cast<uint16_t>(static_cast<unsigned char>(b[at]) |
                                                      static_cast<unsigned char>(b[at + 1]) << 8)
                              : 0;
}

bool Fail(std::string* reason, const char* text) {
    if (reason)
        *reason = text;
    return false;
}

// Expands RLE8 or RLE4 data into one palette index per pixel, bottom row
// first as stored.
void DecodeRle(std::string_view data, int bits, int32_t width, int32_t height,
               std::string& indexes) {
    indexes.assign(static_cast<size_t>(width) * height, '\0');
    int32_t x = 0, y = 0;
    size_t i = 0;
    auto put = [&](unsigned char v) {
        if (x < width && y < height)
            indexes[static_cast<size_t>(y) * width + x] = static_cast<char>(v);
        ++x;
    };
    while (i + 1 < data.size() && y < height) {
        const unsigned char count = static_cast<unsigned char>(data[i]);
        const unsigned char value = static_cast<unsigned char>(data[i + 1]);
        i += 2;
        if (count > 0) {
            for (int k = 0; k < count; ++k)
                put(bits == 8 ? value : (k % 2 == 0 ? value >> 4 : value & 0x0F));
        } else if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            if (i + 1 >= data.size())
                break;
            x += static_cast<unsigned char>(data[i]);
            y += static_cast<unsigned char>(data[i + 1]);
            i += 2;
        } else {
            const size_t bytes = bits == 8 ? value : (value + 1u) / 2;
            for (int k = 0;
                 k < value && i + static_cast<size_t>(bits == 8 ? k : k / 2) < data.size(); ++k) {
                const unsigned char b =
                    static_cast<unsigned char>(data[i + (bits == 8 ? k : k / 2)]);
                put(bits == 8 ? b : (k % 2 == 0 ? b >> 4 : b & 0x0F));
            }
            i += (bytes + 1) & ~size_t{1};
        }
    }
}

} // namespace

bool BitmapConverter::decodeBmp(std::string_view b, Image& image, std::string* reason) {
    if (b.size() < 26 || b[0] != 'B' || b[1] != 'M')
        return Fail(reason, "pas un fichier BMP");
    const uint32_t dataOffset = U32(b, 10);
    const uint32_t headerSize = U32(b, 14);
    int32_t width = 0, height = 0;
    int bits = 0;
    uint32_t compression = 0, colours = 0;
    size_t paletteEntry = 4;
    if (headerSize == 12) {
        width = U16(b, 18);
        height = static_cast<int16_t>(U16(b, 20));
        bits = U16(b, 24);
        paletteEntry = 3;
    } else if (headerSize >= 40 && b.size() >= 54) {
        width = static_cast<int32_t>(U32(b, 18));
        height = static_cast<int32_t>(U32(b, 22));
        bits = U16(b, 28);
        compression = U32(b, 30);
        colours = U32(b, 46);
    } else {
        return Fail(reason, "en-tête BMP inconnu");
    }
    const bool topDown = height < 0;
    if (height == INT32_MIN)
        return Fail(reason, "dimensions BMP invalides");
    height = topDown ? -height : height;
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide)
        return Fail(reason, "dimensions BMP invalides");
    const bool rle = (compression == 1 && bits == 8) || (compression == 2 && bits == 4);
    if (compression != 0 && compression != 3 && !rle)
        return Fail(reason, "compression BMP non prise en charge");
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return Fail(reason, "profondeur BMP non prise en charge");
    if (static_cast<uint64_t>(width) * height > 16u * 1024 * 1024)
        return Fail(reason, "image BMP trop grande");

    std::vector<std::array<unsigned char, 3>> palette;
    if (bits <= 8) {
        const size_t count = colours != 0 && colours <= (1u << bits) ? colours : (1u << bits);
        const size_t start = 14 + headerSize;
        for (size_t k = 0; k < count; ++k) {
            const size_t at = start + k * paletteEntry;
            if (at + 3 > b.size())
                break;
            palette.push_back({static_cast<unsigned char>(b[at + 2]),
                               static_cast<unsigned char>(b[at + 1]),
                               static_cast<unsigned char>(b[at])});
        }
    }
    if (dataOffset >= b.size())
        return Fail(reason, "données BMP absentes");
    const std::string_view data = b.substr(dataOffset);

    image.width = width;
    image.height = height;
    image.rgb.assign(static_cast<size_t>(width) * height * 3, '\0');
    auto setPixel = [&](int32_t x, int32_t storedRow, unsigned char r, unsigned char g,
                        unsigned char bl) {
        const int32_t y = topDown ? storedRow : height - 1 - storedRow;
        const size_t at = (static_cast<size_t>(y) * width + x) * 3;
        image.rgb[at] = static_cast<char>(r);
        image.rgb[at + 1] = static_cast<char>(g);
        image.rgb[at + 2] = static_cast<char>(bl);
    };
    auto fromPalette = [&](int32_t x, int32_t row, unsigned index) {
        if (index < palette.size())
            setPixel(x, row, palette[index][0], palette[index][1], palette[index][2]);
    };

    if (rle) {
        std::string indexes;
        DecodeRle(data, bits, width, height, indexes);
        for (int32_t row = 0; row < height; ++row)
            for (int32_t x = 0; x < width; ++x)
                fromPalette(
                    x, row,
                    static_cast<unsigned char>(indexes[static_cast<size_t>(row) * width + x]));
        return true;
    }
    const size_t stride = ((static_cast<size_t>(width) * bits + 31) / 32) * 4;
    for (int32_t row = 0; row < height; ++row) {
        const size_t rowAt = static_cast<size_t>(row) * stride;
        if (rowAt + stride > data.size())
            break;
        const unsigned char* p = reinterpret_cast<const unsigned char*>(data.data()) + rowAt;
        for (int32_t x = 0; x < width; ++x) {
            switch (bits) {
            case 1:
                fromPalette(x, row, (p[x / 8] >> (7 - x % 8)) & 1);
                break;
            case 4:
                fromPalette(x, row, x % 2 == 0 ? p[x / 2] >> 4 : p[x / 2] & 0x0F);
                break;
            case 8:
                fromPalette(x, row, p[x]);
                break;
            case 16: {
                const unsigned v = p[x * 2] | p[x * 2 + 1] << 8;
                setPixel(x, row, static_cast<unsigned char>(((v >> 10) & 31) * 255 / 31),
                         static_cast<unsigned char>(((v >> 5) & 31) * 255 / 31),
                         static_cast<unsigned char>((v & 31) * 255 / 31));
                break;
            }
            case 24:
                setPixel(x, row, p[x * 3 + 2], p[x * 3 + 1], p[x * 3]);
                break;
            default:
                setPixel(x, row, p[x * 4 + 2], p[x * 4 + 1], p[x * 4]);
                break;
            }
        }
    }
    return true;
}

std::string BitmapConverter::encodePng(const Image& image) {
    // Raw scanlines, each led by filter type 0.
    std::string raw;
    const size_t rowBytes = static_cast<size_t>(image.width) * 3;
    raw.reserve((rowBytes + 1) * image.height);
    for (int32_t y = 0; y < image.height; ++y) {
        raw += '\0';
        raw.append(image.rgb, y * rowBytes, rowBytes);
    }
    // One zlib stream. Into a buffer of compressBound bytes compress2 fails
    // only when it cannot allocate its state, as the strings here would.
    uLongf zSize = compressBound(static_cast<uLong>(raw.size()));
    std::string z(zSize, '\0');
    if (compress2(reinterpret_cast<Bytef*>(z.data()), &zSize,
                  reinterpret_cast<const Bytef*>(raw.data()), static_cast<uLong>(raw.size()),
                  Z_BEST_COMPRESSION) != Z_OK)
        throw std::bad_alloc();
    z.resize(zSize);

    std::string png = "\x89PNG\r\n\x1A\n";
    std::string ihdr;
    AppendU32BE(ihdr, static_cast<uint32_t>(image.width));
    AppendU32BE(ihdr, static_cast<uint32_t>(image.height));
    ihdr += std::string("\x08\x02\x00\x00\x00", 5); // 8-bit RGB, no interlace
    AppendChunk(png, "IHDR", ihdr);
    AppendChunk(png, "IDAT", z);
    AppendChunk(png, "IEND", std::string());
    return png;
}

std::string BitmapConverter::pictureGroup(const Image& image, const std::string& png) {
    std::string out = "{\\pict\\pngblip\\picw" + std::to_string(image.width) + "\\pich" +
                      std::to_string(image.height) + "\\picwgoal" +
                      std::to_string(image.width * 15) + "\\pichgoal" +
                      std::to_string(image.height * 15) + "\n";
    out.reserve(out.size() + png.size() * 2 + png.size() / 64 + 2);
    for (size_t k = 0; k < png.size(); ++k) {
        const unsigned char c = static_cast<unsigned char>(png[k]);
        out += hexDigit(c >> 4);
        out += hexDigit(c);
        if (k % 64 == 63)
            out += '\n';
    }
    out += "}";
    return out;
}

} // namespace tolvane::authoring
