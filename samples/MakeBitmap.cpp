// Draws the guide's picture, the Tolvane logo, as a BMP file at build time
// so that no binary file needs to be kept in the repository.
#include <cstdint>
#include <cstdio>
#include <string>

namespace {

void Put16(std::string& out, uint16_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}

void Put32(std::string& out, uint32_t v) {
    Put16(out, static_cast<uint16_t>(v & 0xFFFF));
    Put16(out, static_cast<uint16_t>(v >> 16));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE.bmp\n", argv[0]);
        return 2;
    }
    const int w = 96, h = 64;
    const uint32_t stride = w * 3; // 288, a multiple of 4
    std::string bmp = "BM";
    Put32(bmp, 54 + stride * h);
    Put32(bmp, 0);
    Put32(bmp, 54);
    Put32(bmp, 40);
    Put32(bmp, w);
    Put32(bmp, h);
    Put16(bmp, 1);
    Put16(bmp, 24);
    Put32(bmp, 0);
    Put32(bmp, stride * h);
    Put32(bmp, 2835);
    Put32(bmp, 2835);
    Put32(bmp, 0);
    Put32(bmp, 0);
    for (int row = h - 1; row >= 0; --row) { // bottom-up
        for (int x = 0; x < w; ++x) {
            // A blue page with a green "T" and a fold in the corner.
            unsigned char r = 235, g = 242, b = 250;
            const bool border = x < 2 || x >= w - 2 || row < 2 || row >= h - 2;
            const bool bar = row >= 12 && row < 20 && x >= 24 && x < 72;
            const bool stem = row >= 20 && row < 54 && x >= 44 && x < 52;
            const bool fold = x + row > w + 10;
            if (border) {
                r = 0, g = 64, b = 128;
            } else if (bar || stem) {
                r = 0, g = 128, b = 0;
            } else if (fold && row < 24) {
                r = 190, g = 205, b = 225;
            }
            bmp += static_cast<char>(b);
            bmp += static_cast<char>(g);
            bmp += static_cast<char>(r);
        }
    }
    std::FILE* f = std::fopen(argv[1], "wb");
    if (!f || std::fwrite(bmp.data(), 1, bmp.size(), f) != bmp.size() || std::fclose(f) != 0) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
