// Image registry and drawing: BMPs under string keys, blits of them, and solid rectangle fills.
#include "plix/Plix.h"
#include "plix/PlixMedia.h"
#include "plix/PlixPlatform.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int KEY_TOP_LEFT =
    -1; // red value that takes the transparent colour from the top-left pixel

// The raw pixel value at the top-left corner, whatever the surface's depth; the surface is locked.
Uint32 topLeftPixel(const SDL_Surface* surface) {
    const Uint8* p = static_cast<const Uint8*>(surface->pixels);
    switch (surface->format->BytesPerPixel) {
    case 1:
        return p[0];
    case 2:
        return *reinterpret_cast<const Uint16*>(p);
    case 3:
        if (SDL_BYTEORDER == SDL_BIG_ENDIAN) return Uint32(p[0]) << 16 | Uint32(p[1]) << 8 | p[2];
        return Uint32(p[0]) | Uint32(p[1]) << 8 | Uint32(p[2]) << 16;
    default:
        return *reinterpret_cast<const Uint32*>(p);
    }
}

// On a palettized screen SDL_MapRGB searches the whole palette on every call, and a frame of play
// fills hundreds of boxes in a handful of colours; remember the answers while the palette holds.
struct ColourCache {
    static constexpr int SIZE = 256;
    unsigned version = 0;
    SDL_Color colours[SIZE] = {}; // the palette's, kept for an SDL that gives no version
    Uint32 rgb[SIZE] = {};        // packed colour + 1, so 0 marks an empty slot
    Uint32 pixel[SIZE] = {};
};
ColourCache colourCache;

// Classic SDL numbers every change of a surface's format or palette (SDL_SetColors included) from
// one counter, so no two screens, nor a screen before and after a change, share a number. Where
// the number is 0, as sdl12-compat and the browser leave it, the palette's colours are compared.
bool cacheHolds(const ColourCache& c, const SDL_Surface* screen) {
    const unsigned version = Plix_platformFormatVersion(screen);
    if (c.version != version) return false;
    const SDL_Palette* p = screen->format->palette;
    return version != 0 ||
           std::memcmp(c.colours, p->colors,
                       size_t(std::min(p->ncolors, ColourCache::SIZE)) * sizeof(SDL_Color)) == 0;
}

Uint32 screenColour(const SDL_Surface* screen, Uint8 r, Uint8 g, Uint8 b) {
    const SDL_PixelFormat* format = screen->format;
    if (format->BytesPerPixel != 1) return SDL_MapRGB(format, r, g, b);
    ColourCache& c = colourCache;
    if (!cacheHolds(c, screen)) {
        c = ColourCache();
        c.version = Plix_platformFormatVersion(screen);
        const SDL_Palette* p = format->palette;
        std::memcpy(c.colours, p->colors,
                    size_t(std::min(p->ncolors, ColourCache::SIZE)) * sizeof(SDL_Color));
    }
    Uint32 packed = (Uint32(r) << 16 | Uint32(g) << 8 | b) + 1;
    int slot = int((r * 7u + g * 3u + b) & (ColourCache::SIZE - 1));
    if (c.rgb[slot] != packed) {
        c.rgb[slot] = packed;
        c.pixel[slot] = SDL_MapRGB(format, r, g, b);
    }
    return c.pixel[slot];
}

} // namespace

void Plix_loadBMP(const std::string& key, const std::string& fileName, int red, int green,
                  int blue) {
    PlixMedia& m = plixMedia;
    if (m.images.count(key)) throw PlixError("Plix_loadBMP: Has exist key: " + key);
    const char* problem = nullptr;
    SDL_Surface* surface = loadCheckedBMP(fileName.c_str(), problem);
    if (problem) throw PlixError(std::string("Plix_loadBMP: ") + problem + ": " + fileName);
    if (!surface) throw PlixError(std::string("Plix_loadBMP: ") + SDL_GetError());
    if (red == KEY_TOP_LEFT) {
        Uint8 r = 0, g = 0, b = 0;
        SDL_LockSurface(surface);
        SDL_GetRGB(topLeftPixel(surface), surface->format, &r, &g, &b);
        SDL_UnlockSurface(surface);
        Plix_platformColorKey(surface, SDL_MapRGB(surface->format, r, g, b));
    } else if (red >= 0) {
        Plix_platformColorKey(surface,
                              SDL_MapRGB(surface->format, Uint8(red), Uint8(green), Uint8(blue)));
    }
    m.images.emplace(key, surface);
}

void Plix_draw(const char* key, int x, int y, int srcX, int srcY, int srcW, int srcH) {
    if (plixTraceOn) traceDraw(key, x, y, srcX, srcY, srcW, srcH);
    PlixMedia& m = plixMedia;
    auto found = m.images.find(key);
    if (found == m.images.end()) throw PlixError(std::string("Plix_draw: Has exist key: ") + key);
    SDL_Surface* image = found->second;
    SDL_Rect src = {Sint16(srcX), Sint16(srcY), Uint16(image->w), Uint16(image->h)};
    // Only both non-zero select a part; a single 0 still means the whole image.
    if (srcW != 0 && srcH != 0) {
        src.w = Uint16(srcW);
        src.h = Uint16(srcH);
    }
    SDL_Rect dst = {Sint16(x), Sint16(y), 0, 0};
    Plix_platformBlit(image, &src, m.screen, &dst);
}

void Plix_fillRect(int x, int y, int w, int h, int red, int green, int blue) {
    if (plixTraceOn) traceFill(x, y, w, h, red, green, blue);
    PlixMedia& m = plixMedia;
    SDL_Rect rect = {Sint16(x), Sint16(y), Uint16(w), Uint16(h)};
    if (w == 0 && h == 0) {
        rect.w = Uint16(m.videoWidth);
        rect.h = Uint16(m.videoHeight);
    }
    Plix_platformFillRect(m.screen, &rect,
                          screenColour(m.screen, Uint8(red), Uint8(green), Uint8(blue)));
}
