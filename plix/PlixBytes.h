// PlixBytes: the little-endian numbers of the RIFF and BMP files, and the one BMP the project
// writes.
#pragma once

// Plain C++ with no SDL: the asset generator includes it too, for the BMP files it commits.
#include <cstddef>
#include <cstdint>
#include <vector>

inline uint16_t le16(const uint8_t* p) {
    return uint16_t(p[0] | p[1] << 8);
}

inline uint32_t le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

inline void putLE16(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

inline void putLE32(uint8_t* p, uint32_t v) {
    putLE16(p, v);
    putLE16(p + 2, v >> 16);
}

// A 24-bit uncompressed BMP of width by height pixels, rgbAt(x, y) giving each as 0xRRGGBB: the
// simplest kind SDL_LoadBMP reads, and what an image viewer opens. Rows run bottom-up, each padded
// to four bytes.
template <class RgbAt> std::vector<uint8_t> encodeBMP24(int width, int height, RgbAt rgbAt) {
    constexpr uint32_t HEADER = 54;
    constexpr uint32_t INFO_HEADER = 40;
    constexpr uint32_t PIXELS_PER_METRE = 2835; // 72 dpi
    const uint32_t rowBytes = (uint32_t(width) * 3 + 3) & ~3u;
    const uint32_t imageBytes = rowBytes * uint32_t(height);
    std::vector<uint8_t> bmp(HEADER + size_t(imageBytes));
    uint8_t* p = bmp.data();
    p[0] = 'B';
    p[1] = 'M';
    putLE32(p + 2, HEADER + imageBytes);
    putLE32(p + 10, HEADER);
    putLE32(p + 14, INFO_HEADER);
    putLE32(p + 18, uint32_t(width));
    putLE32(p + 22, uint32_t(height));
    putLE16(p + 26, 1);
    putLE16(p + 28, 24);
    putLE32(p + 34, imageBytes);
    putLE32(p + 38, PIXELS_PER_METRE);
    putLE32(p + 42, PIXELS_PER_METRE);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = p + HEADER + size_t(height - 1 - y) * rowBytes;
        for (int x = 0; x < width; ++x) {
            const uint32_t rgb = rgbAt(x, y);
            row[3 * x] = uint8_t(rgb);
            row[3 * x + 1] = uint8_t(rgb >> 8);
            row[3 * x + 2] = uint8_t(rgb >> 16);
        }
    }
    return bmp;
}
