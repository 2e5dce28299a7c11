// The skin's generated bitmaps read back for tests: the generator's manifest (resource name to
// file) and a reader for its 4- and 8-bit palette BMPs, so tests can look at real pixels.
#pragma once
#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

// A palette bitmap read back: size, depth and each pixel's colour (0xRRGGBB, row 0 at the top).
struct Picture {
    int w = 0, h = 0, bpp = 0;
    std::vector<uint32_t> px;
    uint32_t At(int x, int y) const { return px[(size_t)y * w + x]; }
};

inline uint32_t PictureLe(const std::string& b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | (uint8_t)b[at + i];
    return v;
}

inline int ReadPicture(const std::string& path, Picture* out) {
    std::ifstream in(path, std::ios::binary);
    std::string b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return 0;
    out->w = (int)PictureLe(b, 18, 4);
    out->h = (int)PictureLe(b, 22, 4);
    out->bpp = (int)PictureLe(b, 28, 2);
    uint32_t offBits = PictureLe(b, 10, 4), colours = PictureLe(b, 46, 4);
    if (out->bpp != 4 && out->bpp != 8) return 0;
    if (colours == 0) colours = 1u << out->bpp;
    size_t rowBytes = ((size_t)out->w * out->bpp + 31) / 32 * 4;
    if (b.size() < offBits + rowBytes * out->h || 54 + 4 * colours > offBits) return 0;
    out->px.assign((size_t)out->w * out->h, 0);
    for (int y = 0; y < out->h; ++y) {
        size_t row = offBits + rowBytes * (out->h - 1 - y);
        for (int x = 0; x < out->w; ++x) {
            uint8_t v = (uint8_t)b[row + (out->bpp == 8 ? x : x / 2)];
            if (out->bpp == 4) v = x % 2 ? v & 15 : v >> 4;
            if (v >= colours) return 0;
            out->px[(size_t)y * out->w + x] = PictureLe(b, 54 + 4 * v, 3);
        }
    }
    return 1;
}

// Resource name (as resource.h spells it) to the generated file, from the build tree.
inline std::map<std::string, std::string> SkinManifest() {
    std::map<std::string, std::string> files;
    std::ifstream in(std::string(QD_BINARY_DIR) + "/skin/skin_manifest.txt");
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string name, file;
        words >> name >> file;
        files[name] = file;
    }
    return files;
}
