// The BMP header check: SDL's loader gets a picture only once its header describes one that SDL 1.2
// and its successors read alike and that the blitter can draw without reading past its pixels.
#include "plix/PlixBytes.h"
#include "plix/PlixMedia.h"
#include "plix/PlixPlatform.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr Uint32 BI_RGB = 0;
constexpr Uint32 BI_BITFIELDS = 3;
constexpr size_t FILE_HEADER = 14;
constexpr Uint32 CORE_HEADER = 12; // OS/2's, with 16-bit sizes and 3-byte palette entries
constexpr Uint32 INFO_HEADER = 40;
// Where SDL 1.2 reads a palette (and bit field masks): right after these 40 bytes, whatever the
// header's own size says.
constexpr size_t AFTER_INFO = FILE_HEADER + INFO_HEADER;
// The largest file a picture of the largest size can take: headers, palette and 32-bit pixels.
constexpr size_t MAX_FILE = 32u << 20;

// A reason with numbers in it, kept in a buffer of its own: the caller copies it straight away.
const char* reason(const char* format, long long a, long long b = 0, long long c = 0,
                   long long d = 0, long long e = 0, long long f = 0) {
    static char text[200];
    std::snprintf(text, sizeof text, format, a, b, c, d, e, f);
    return text;
}

// The bit field layouts, red, green and blue, that SDL 1.2 and SDL 2 both read alike: 5-6-5 and
// 5-5-5 at 16 bits, 8-8-8 at 32, in either order. SDL 2 refuses any other, and SDL 1.2 widens
// most others to colours past 255, which its blitters take for table indexes.
constexpr Uint32 LAYOUTS[][4] = {
    {16, 0xf800, 0x07e0, 0x001f},       {16, 0x001f, 0x07e0, 0xf800},
    {16, 0x7c00, 0x03e0, 0x001f},       {16, 0x001f, 0x03e0, 0x7c00},
    {32, 0xff0000, 0xff00, 0xff},       {32, 0xff, 0xff00, 0xff0000},
    {32, 0xff000000, 0xff0000, 0xff00}, {32, 0xff00, 0xff0000, 0xff000000},
};

// SDL 2 also reads an alpha mask after them in a header of 56 bytes or more; SDL 1.2 ignores it.
const char* maskProblem(const Uint8* masks, Uint32 headerSize, int bits) {
    const Uint32 alpha = headerSize >= 56 ? le32(masks + 12) : 0;
    for (const Uint32* layout : LAYOUTS)
        if (layout[0] == Uint32(bits) && le32(masks) == layout[1] && le32(masks + 4) == layout[2] &&
            le32(masks + 8) == layout[3] && alpha == 0)
            return nullptr;
    return reason("masks %#llx, %#llx and %#llx (alpha %#llx), not a layout of %lld bits SDL knows",
                  le32(masks), le32(masks + 4), le32(masks + 8), alpha, bits);
}

// Under a palette shorter than the bits can index, a pixel past its end, which SDL refuses.
const char* paletteProblem(const Uint8* pixels, long long width, long long height, int bits,
                           Uint32 colours) {
    if (bits > 8 || colours == 0 || colours >= 1u << bits) return nullptr;
    const long long rowBytes = (width * bits + 31) / 32 * 4;
    for (long long y = 0; y < height; ++y)
        for (long long x = 0, at = 0; x < width; ++x, at += bits) {
            const Uint8 byte = pixels[y * rowBytes + at / 8];
            const Uint32 colour = byte >> (8 - bits - at % 8) & ((1u << bits) - 1);
            if (colour >= colours)
                return reason("a pixel of colour %lld, past the %lld of the palette", colour,
                              colours);
        }
    return nullptr;
}

bool knownHeader(Uint32 size) {
    // Windows' 40, 52 and 56-byte variants, its V4 and V5 headers, and OS/2's first. OS/2's 64-byte
    // header gives compression numbers other meanings and is left out.
    for (Uint32 known : {CORE_HEADER, INFO_HEADER, 52u, 56u, 108u, 124u})
        if (size == known) return true;
    return false;
}

} // namespace

const char* bmpProblem(const Uint8* data, size_t size, PlixBmpShape& shape) {
    if (size < FILE_HEADER + 4 || data[0] != 'B' || data[1] != 'M') return "not a BMP file";
    const Uint32 headerSize = le32(data + 14);
    if (!knownHeader(headerSize))
        return reason("a header of %lld bytes, not 12, 40, 52, 56, 108 or 124", headerSize);
    if (size < FILE_HEADER + headerSize) return "the header is cut short";
    const Uint8* h = data + FILE_HEADER;
    const bool core = headerSize == CORE_HEADER;
    // 64-bit, so that the top-down sign of -2^31 has a positive value to become.
    const long long width = core ? le16(h + 4) : Sint32(le32(h + 4));
    const long long rawHeight = core ? le16(h + 6) : Sint32(le32(h + 8));
    const long long height = rawHeight < 0 ? -rawHeight : rawHeight;
    const Uint16 planes = le16(h + (core ? 8 : 12));
    const Uint16 bits = le16(h + (core ? 10 : 14));
    const Uint32 compression = core ? BI_RGB : le32(h + 16);
    const Uint32 colours = core ? 0 : le32(h + 32);

    if (planes != 1) return reason("%lld planes, not 1", planes);
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return reason("%lld bits a pixel, not 1, 4, 8, 16, 24 or 32", bits);
    const bool bitFields = compression == BI_BITFIELDS && (bits == 16 || bits == 32);
    if (compression != BI_RGB && !bitFields)
        return reason("compression %lld at %lld bits, not none (or bit fields at 16 or 32 bits)",
                      compression, bits);
    if (width < 1 || width > PLIX_BMP_MAX_WIDTH)
        return reason("a width of %lld, not 1 to %lld", width, PLIX_BMP_MAX_WIDTH);
    if (height < 1 || height > PLIX_BMP_MAX_HEIGHT)
        return reason("a height of %lld, not 1 to %lld (or -1 to -%lld from the top down)",
                      rawHeight, PLIX_BMP_MAX_HEIGHT, PLIX_BMP_MAX_HEIGHT);

    // Everything before the pixels: the headers, then bit field masks or a palette.
    size_t before = FILE_HEADER + headerSize;
    if (bitFields) before = std::max(before, AFTER_INFO + 12);
    if (bits <= 8) {
        const long long most = 1LL << bits;
        if (colours > most)
            return reason("%lld colours, more than %lld bits can tell apart", colours, bits);
        // SDL 1.2 reads the palette right after the first 40 bytes of a longer header, where its
        // successors read it after the whole header: the two would colour the picture differently.
        if (!core && headerSize != INFO_HEADER)
            return reason("a palette after a header of %lld bytes", headerSize);
        before += size_t(colours ? colours : most) * (core ? 3 : 4);
    }
    const Uint32 pixels = le32(data + 10);
    if (pixels < before)
        return reason("the pixels start at byte %lld, inside the %lld bytes of header and palette",
                      pixels, (long long)before);
    // Without masks in the file SDL 1.2 still takes a gap before 16 or 32-bit pixels for masks.
    if (compression == BI_RGB && (bits == 16 || bits == 32) && pixels != FILE_HEADER + headerSize)
        return reason("%lld bytes between the header and the pixels of a %lld-bit picture",
                      (long long)(pixels - FILE_HEADER - headerSize), bits);
    const long long rowBytes = (width * bits + 31) / 32 * 4;
    if (pixels + rowBytes * height > (long long)size)
        return "the pixels run past the end of the file";
    const char* problem = bitFields ? maskProblem(data + AFTER_INFO, headerSize, bits)
                                    : paletteProblem(data + pixels, width, height, bits, colours);
    if (problem) return problem;

    shape.width = int(width);
    shape.height = int(height);
    shape.bytesPerPixel = bits <= 8 ? 1 : bits / 8;
    return nullptr;
}

SDL_Surface* loadCheckedBMP(const char* fileName, const char*& problem) {
    std::vector<Uint8> bytes;
    bool opened = false;
    problem = readResource(fileName, bytes, MAX_FILE, opened);
    if (problem) return nullptr;
    // What cannot be opened goes to SDL as it is, for its own words.
    if (!opened) return SDL_LoadBMP(fileName);
    PlixBmpShape shape;
    problem = bmpProblem(bytes.data(), bytes.size(), shape);
    if (problem) return nullptr;
    SDL_Surface* surface = Plix_platformLoadBMP(fileName, bytes.data(), bytes.size());
    if (!surface) return nullptr;
    // A second guard, for whatever the header check may have missed: the blitter trusts these.
    const int bytesPerPixel = Plix_platformPictureBytes(shape.bytesPerPixel);
    if (surface->w != shape.width || surface->h != shape.height ||
        surface->format->BytesPerPixel != bytesPerPixel) {
        problem = reason("SDL made a %lld x %lld picture of %lld bytes a pixel, not the %lld x "
                         "%lld of %lld the header promised",
                         surface->w, surface->h, surface->format->BytesPerPixel, shape.width,
                         shape.height, bytesPerPixel);
        SDL_FreeSurface(surface);
        return nullptr;
    }
    return surface;
}
