// The browser's picture: each frame drawn in wasm memory, with the canvas's own blend, and handed
// to the canvas once, at the flip; and F12's screenshot of it.
#include "plix/PlixBytes.h"
#include "plix/PlixPlatform.h"

#include <emscripten.h>

#include <cstdint>
#include <vector>

namespace {

// Room for the widest window the game opens; a larger screen is drawn as the emulation draws.
constexpr int FRAME_MAX_W = 640;
constexpr int FRAME_MAX_H = 480;
Uint32 frame[FRAME_MAX_W * FRAME_MAX_H];
constexpr Uint32 OPAQUE = 0xff000000; // pixels are 0xAABBGGRR, as the canvas's bytes R, G, B, A
constexpr Uint32 RGB = 0x00ffffff;
// Marks an image whose pixels have been copied out of its canvas into its buffer.
char pixelsCopied;

// JavaScript bodies: clang-format would take them for C++.
// clang-format off

// The canvas drawing the emulation does (and fillScreenRect below): kept for the benchmark and the
// test that hold the framebuffer's pixels against it.
EM_JS(int, referenceDrawing, (), { return Module["plixReferenceDrawing"] ? 1 : 0; });

EM_JS(int, surfaceAlpha, (SDL_Surface* surface), {
    var alpha = SDL.surfaces[surface].alpha;
    return alpha === undefined ? 255 : alpha;
});

EM_JS(void, paintFrame, (const Uint32* pixels, int w, int h), { PlixWeb.paint(pixels, w, h); });

// The emulation's SDL_FillRect saves and restores the canvas state and parses a new colour text
// for every box; a frame of play fills well over a thousand. The canvas clips as SDL would.
EM_JS(void, fillScreenRect, (int x, int y, int w, int h, int rgb), {
    var ctx = Module["plixContext"] || (Module["plixContext"] = Module["canvas"].getContext("2d"));
    if (Module["plixFill"] !== rgb) {
        Module["plixFill"] = rgb;
        ctx.fillStyle = "#" + (0x1000000 | rgb).toString(16).slice(1);
    }
    ctx.fillRect(x, y, w, h);
});

EM_JS(void, offerDownload, (const char* name, const uint8_t* data, int size), {
    var blob = new Blob([HEAPU8.slice(data, data + size)], { type: "image/bmp" });
    var link = document.createElement("a");
    link.href = URL.createObjectURL(blob);
    link.download = UTF8ToString(name);
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(function() { URL.revokeObjectURL(link.href); }, 60000);
});

// clang-format on

bool useFrame(SDL_Surface* screen) {
    static const bool reference = referenceDrawing();
    return !reference && screen == SDL_GetVideoSurface() && screen->w <= FRAME_MAX_W &&
           screen->h <= FRAME_MAX_H;
}

// A rectangle cut to the area both of width by height and of the rectangle itself.
struct Span {
    int x0, y0, x1, y1;
};

Span clip(int x, int y, int w, int h, int width, int height) {
    Span s = {x, y, x + w, y + h};
    if (s.x0 < 0) s.x0 = 0;
    if (s.y0 < 0) s.y0 = 0;
    if (s.x1 > width) s.x1 = width;
    if (s.y1 > height) s.y1 = height;
    return s;
}

// The emulation keeps an image's pixels on a canvas of its own; locking copies them into the
// surface's buffer, once, before the first blit.
const Uint32* imagePixels(SDL_Surface* image) {
    if (image->userdata != &pixelsCopied) {
        SDL_LockSurface(image);
        SDL_UnlockSurface(image);
        image->userdata = &pixelsCopied;
    }
    return static_cast<const Uint32*>(image->pixels);
}

// The canvas's blend of a pixel over another at a global alpha of alpha / 255, to the bit: each
// channel moves from the old value towards the new by (alpha + 1) / 256 of the way, rounded down.
inline Uint32 blend(Uint32 over, Uint32 under, int alpha) {
    const int scale = alpha + 1;
    Uint32 out = OPAQUE;
    for (int shift = 0; shift < 24; shift += 8) {
        const int s = int(over >> shift & 0xff);
        const int d = int(under >> shift & 0xff);
        out |= Uint32(d + ((s - d) * scale >> 8)) << shift;
    }
    return out;
}

void blitToFrame(SDL_Surface* image, const SDL_Rect* src, const SDL_Rect* dst, int width,
                 int height) {
    const int alpha = surfaceAlpha(image);
    // The canvas draws nothing at all at alpha 0.
    if (alpha <= 0) return;
    int sx = src ? src->x : 0;
    int sy = src ? src->y : 0;
    int w = src ? src->w : image->w;
    int h = src ? src->h : image->h;
    int dx = dst ? dst->x : 0;
    int dy = dst ? dst->y : 0;
    // The source part is cut to the image and the destination moved with it, as SDL does.
    if (sx < 0) {
        w += sx;
        dx -= sx;
        sx = 0;
    }
    if (sy < 0) {
        h += sy;
        dy -= sy;
        sy = 0;
    }
    if (sx + w > image->w) w = image->w - sx;
    if (sy + h > image->h) h = image->h - sy;
    const Span to = clip(dx, dy, w, h, width, height);
    const Uint32* pixels = imagePixels(image);
    const int pitch = image->pitch / 4;
    for (int y = to.y0; y < to.y1; ++y) {
        const Uint32* from = pixels + (sy + y - dy) * pitch + (sx - dx);
        Uint32* row = frame + y * width;
        for (int x = to.x0; x < to.x1; ++x) {
            const Uint32 p = from[x];
            // The key colour became alpha 0 at load time; every other pixel is opaque.
            if ((p & OPAQUE) == 0) continue;
            row[x] = alpha == 255 ? (p | OPAQUE) : blend(p, row[x], alpha);
        }
    }
}

} // namespace

// The emulation's SDL_SetColorKey does nothing, so the key colour becomes alpha 0 once, at load
// time; blits then leave those pixels out.
void Plix_platformColorKey(SDL_Surface* surface, Uint32 key) {
    if (surface->format->BytesPerPixel != 4 || SDL_LockSurface(surface) != 0) return;
    for (int y = 0; y < surface->h; ++y) {
        Uint32* row =
            reinterpret_cast<Uint32*>(static_cast<Uint8*>(surface->pixels) + y * surface->pitch);
        for (int x = 0; x < surface->w; ++x)
            if ((row[x] & RGB) == (key & RGB)) row[x] &= RGB;
    }
    SDL_UnlockSurface(surface);
    surface->userdata = &pixelsCopied;
}

void Plix_platformFillRect(SDL_Surface* surface, SDL_Rect* rect, Uint32 colour) {
    if (useFrame(surface)) {
        const Span s = clip(rect->x, rect->y, rect->w, rect->h, surface->w, surface->h);
        const Uint32 pixel = colour | OPAQUE;
        for (int y = s.y0; y < s.y1; ++y) {
            Uint32* row = frame + y * surface->w;
            for (int x = s.x0; x < s.x1; ++x)
                row[x] = pixel;
        }
        return;
    }
    if (surface != SDL_GetVideoSurface()) {
        SDL_FillRect(surface, rect, colour);
        return;
    }
    // The emulation's colours are 0xAABBGGRR; CSS wants red first.
    int rgb = int((colour & 0xff) << 16 | (colour & 0xff00) | (colour >> 16 & 0xff));
    fillScreenRect(rect->x, rect->y, rect->w, rect->h, rgb);
}

void Plix_platformBlit(SDL_Surface* image, SDL_Rect* src, SDL_Surface* screen, SDL_Rect* dst) {
    if (useFrame(screen)) {
        blitToFrame(image, src, dst, screen->w, screen->h);
    } else {
        SDL_BlitSurface(image, src, screen, dst);
    }
}

void Plix_platformFlip(SDL_Surface* screen) {
    if (useFrame(screen)) paintFrame(frame, screen->w, screen->h);
}

// The emulation cannot save a BMP, and a page has no working directory to write one to: the screen
// is written here and offered as a download under the same name.
void Plix_platformScreenshot(SDL_Surface* screen, const char* fileName) {
    const bool own = useFrame(screen);
    if (!own && (screen->format->BytesPerPixel != 4 || SDL_LockSurface(screen) != 0)) return;
    const Uint8* pixels =
        own ? reinterpret_cast<const Uint8*>(frame) : static_cast<const Uint8*>(screen->pixels);
    const int pitch = own ? screen->w * 4 : screen->pitch;
    const std::vector<uint8_t> bmp = encodeBMP24(screen->w, screen->h, [=](int x, int y) {
        const Uint8* p = pixels + y * pitch + 4 * x;
        return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    });
    if (!own) SDL_UnlockSurface(screen);
    offerDownload(fileName, bmp.data(), int(bmp.size()));
}
