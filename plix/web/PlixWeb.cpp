// The browser side of PlixPlatform: where Emscripten's SDL 1.2 emulation falls short, the layer
// makes up for it, with PlixWeb.js as its JavaScript half.
#include "plix/Plix.h"
#include "plix/PlixKeys.h"
#include "plix/PlixMedia.h"
#include "plix/PlixPlatform.h"

#include <emscripten.h>

#include <cstdint>
#include <vector>

namespace {

// The emulation files keys without a character of their own under scan code + 1024.
constexpr int SCAN = 1 << 10;

struct KeyIndex {
    int sdl12;
    int emulated;
};

// SDL 1.2 key codes from 256 up and where the emulation's keyboard state keeps each. Below 256 both
// use the same code: letters in lower case, digits, Escape, Return, space.
constexpr KeyIndex KEY_TABLE[] = {
    {256, SCAN | 98},  {257, SCAN | 89},  {258, SCAN | 90},  {259, SCAN | 91},  {260, SCAN | 92},
    {261, SCAN | 93},  {262, SCAN | 94},  {263, SCAN | 95},  {264, SCAN | 96},  {265, SCAN | 97},
    {266, SCAN | 99},  {267, SCAN | 84},  {268, SCAN | 85},  {269, SCAN | 86},  {270, SCAN | 87},
    {273, SCAN | 82},  {274, SCAN | 81},  {275, SCAN | 79},  {276, SCAN | 80},  {277, SCAN | 73},
    {278, SCAN | 74},  {279, SCAN | 77},  {280, SCAN | 75},  {281, SCAN | 78},  {282, SCAN | 58},
    {283, SCAN | 59},  {284, SCAN | 60},  {285, SCAN | 61},  {286, SCAN | 62},  {287, SCAN | 63},
    {288, SCAN | 64},  {289, SCAN | 65},  {290, SCAN | 66},  {291, SCAN | 67},  {292, SCAN | 68},
    {293, SCAN | 69},  {294, SCAN | 104}, {295, SCAN | 105}, {296, SCAN | 106}, {300, SCAN | 83},
    {301, SCAN | 57},  {303, SCAN | 229}, {304, SCAN | 225}, {305, SCAN | 228}, {306, SCAN | 224},
    {307, SCAN | 230}, {308, SCAN | 226}, {311, SCAN | 227}, {312, SCAN | 231}, {316, 316},
};

struct KeyMap {
    int index[PLIX_KEY_COUNT] = {};
    KeyMap() {
        for (int k = 0; k < 256; ++k)
            index[k] = k;
        for (const KeyIndex& e : KEY_TABLE)
            index[e.sdl12] = e.emulated;
    }
};
const KeyMap keyMap;
Uint8 sdl12Keys[PLIX_KEY_COUNT];
unsigned snapshots = 0;

// The keys that touch controls and gamepads hold, by their bit in the mask PlixWeb.js hands over:
// up, down, right, left, z, x, the game's controls in SDL 1.2 key codes.
constexpr int VIRTUAL_KEYS[] = {PLIX_KEY_UP,   PLIX_KEY_DOWN, PLIX_KEY_RIGHT,
                                PLIX_KEY_LEFT, PLIX_KEY_Z,    PLIX_KEY_X};

// The picture of a frame, drawn here in wasm memory and handed to the canvas once, at the flip. The
// window is 320 or 640 wide.
constexpr int FRAME_MAX_W = 640;
constexpr int FRAME_MAX_H = 480;
Uint32 frame[FRAME_MAX_W * FRAME_MAX_H];
constexpr Uint32 OPAQUE = 0xff000000; // pixels are 0xAABBGGRR, as the canvas's bytes R, G, B, A
constexpr Uint32 RGB = 0x00ffffff;
// Marks an image whose pixels have been copied out of its canvas into its buffer.
char pixelsCopied;

// JavaScript bodies: clang-format would take them for C++.
// clang-format off

// The page, its test and its benchmark count the game's frames by the snapshots taken.
EM_JS(void, publishSnapshots, (unsigned count), { Module["plixSnapshots"] = count; });

EM_JS(int, virtualKeys, (int threshold), { return PlixWeb.virtualKeys(threshold); });

EM_JS(int, pageHidden, (), { return document.hidden ? 1 : 0; });

// While the page is hidden the game stands still in its snapshot; it goes on from the same frame.
EM_ASYNC_JS(void, waitUntilShown, (), { await PlixWeb.shown(); });

EM_ASYNC_JS(void, yieldFor, (unsigned remainingMs), { await PlixWeb.yieldFor(remainingMs); });

EM_JS(int, isFullScreen, (), { return PlixWeb.isFullScreen() ? 1 : 0; });

EM_JS(void, requestFullScreen, (int on), { PlixWeb.setFullScreen(on !== 0); });

// The canvas drawing the emulation does (and fillScreenRect below): kept for the benchmark and the
// test that hold the framebuffer's pixels against it.
EM_JS(int, referenceDrawing, (), { return Module["plixReferenceDrawing"] ? 1 : 0; });

EM_JS(int, surfaceAlpha, (SDL_Surface* surface), {
    var alpha = SDL.surfaces[surface].alpha;
    return alpha === undefined ? 255 : alpha;
});

EM_JS(void, paintFrame, (const Uint32* pixels, int w, int h), { PlixWeb.paint(pixels, w, h); });

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

EM_JS(void, showLogLine, (const char* message), {
    if (Module["onRunLog"]) Module["onRunLog"](UTF8ToString(message));
});

EM_JS(Mix_Chunk*, loadSound, (const char* fileName, const uint8_t* bytes, size_t size), {
    return PlixWeb.loadSound(UTF8ToString(fileName), HEAPU8.slice(bytes, bytes + size).buffer);
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

void put16(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

void put32(uint8_t* p, uint32_t v) {
    put16(p, v);
    put16(p + 2, v >> 16);
}

} // namespace

// SDL_GetKeyboardState is indexed by the emulation's own key codes, not SDL 1.2's. Touch controls
// and gamepads hold keys of their own, added here, so every rule of the keyboard holds for them.
const Uint8* Plix_platformKeys(int* count) {
    if (pageHidden()) waitUntilShown();
    int emulatedCount = 0;
    const Uint8* state = SDL_GetKeyboardState(&emulatedCount);
    for (int k = 0; k < PLIX_KEY_COUNT; ++k) {
        int i = keyMap.index[k];
        sdl12Keys[k] = i > 0 && i < emulatedCount ? state[i] : 0;
    }
    const int held = virtualKeys(JOY_AXIS_THRESHOLD);
    for (int bit = 0; bit < int(sizeof VIRTUAL_KEYS / sizeof VIRTUAL_KEYS[0]); ++bit)
        if (held >> bit & 1) sdl12Keys[VIRTUAL_KEYS[bit]] = 1;
    // The browser's own full-screen changes (its Escape, its exit button) reach the game's state,
    // so that F9 always toggles what the player sees.
    if (isFullScreen()) {
        plixMedia.videoFlags |= SDL_FULLSCREEN;
    } else {
        plixMedia.videoFlags &= ~Uint32(SDL_FULLSCREEN);
    }
    publishSnapshots(++snapshots);
    *count = PLIX_KEY_COUNT;
    return sdl12Keys;
}

// Written where a key event from the page would have put the key.
void Plix_platformSetKey(int key, bool held) {
    int emulatedCount = 0;
    Uint8* state = const_cast<Uint8*>(SDL_GetKeyboardState(&emulatedCount));
    int i = keyMap.index[key];
    if (i > 0 && i < emulatedCount) state[i] = held;
}

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

// The emulation's surfaces carry no such number.
unsigned Plix_platformFormatVersion(const SDL_Surface*) {
    return 0;
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

// Sleeps while the deadline is far, then yields through a message to the page, which no timer
// clamp delays, until the deadline.
void Plix_platformYield(Uint32 remainingMs) {
    yieldFor(remainingMs);
}

// The page's canvas is the picture.
bool Plix_platformDriverShowsPicture() {
    return true;
}

// Gamepads come in as keys (see Plix_platformKeys), whenever the browser lists them.
int Plix_platformJoysticks() {
    return 0;
}

int Plix_platformFadeInMusic(Mix_Music* music, int loops, int fadeMs) {
    return Mix_FadeInMusic(music, loops, fadeMs);
}

// The page's canvas goes full screen, or leaves it, and keeps its surface.
SDL_Surface* Plix_platformSetVideoMode(int, int, int, Uint32 flags) {
    requestFullScreen((flags & SDL_FULLSCREEN) != 0);
    return SDL_GetVideoSurface();
}

// A page cannot iconify the browser's window.
void Plix_platformIconify() {}

// Decoded by the browser from the checked bytes.
Mix_Chunk* Plix_platformLoadWAV(const char* fileName, const Uint8* bytes, size_t size) {
    return loadSound(fileName, bytes, size);
}

// Pictures too were decoded by the page at preload time, into the canvas's 32-bit pixels.
SDL_Surface* Plix_platformLoadBMP(const char* fileName, const Uint8*, size_t) {
    return SDL_LoadBMP(fileName);
}

int Plix_platformPictureBytes(int) {
    return 4;
}

// The browser decodes the music itself and refuses what it cannot play; there is no libvorbisfile.
const char* Plix_platformMusicProblem(const char*) {
    return nullptr;
}

// The emulation cannot save a BMP, and a page has no working directory to write one to: the screen
// is written as a 24-bit BMP here and offered as a download under the same name.
void Plix_platformScreenshot(SDL_Surface* screen, const char* fileName) {
    const bool own = useFrame(screen);
    if (!own && (screen->format->BytesPerPixel != 4 || SDL_LockSurface(screen) != 0)) return;
    const Uint8* pixels =
        own ? reinterpret_cast<const Uint8*>(frame) : static_cast<const Uint8*>(screen->pixels);
    const int pitch = own ? screen->w * 4 : screen->pitch;
    constexpr int HEADER = 54;
    const int w = screen->w;
    const int h = screen->h;
    const int rowBytes = (w * 3 + 3) & ~3;
    std::vector<uint8_t> bmp(HEADER + rowBytes * h);
    uint8_t* p = bmp.data();
    p[0] = 'B';
    p[1] = 'M';
    put32(p + 2, uint32_t(bmp.size()));
    put32(p + 10, HEADER);
    put32(p + 14, 40);
    put32(p + 18, uint32_t(w));
    put32(p + 22, uint32_t(h));
    put16(p + 26, 1);
    put16(p + 28, 24);
    put32(p + 34, uint32_t(rowBytes * h));
    for (int y = 0; y < h; ++y) {
        // BMP rows run bottom-up, and each pixel is blue, green, red.
        const Uint8* src = pixels + (h - 1 - y) * pitch;
        uint8_t* dst = p + HEADER + y * rowBytes;
        for (int x = 0; x < w; ++x) {
            dst[3 * x] = src[4 * x + 2];
            dst[3 * x + 1] = src[4 * x + 1];
            dst[3 * x + 2] = src[4 * x];
        }
    }
    if (!own) SDL_UnlockSurface(screen);
    offerDownload(fileName, bmp.data(), int(bmp.size()));
}

// A fault in the page is the browser's to report, in its console.
void Plix_platformWatchCrashes() {}

// run.log lives in the page's memory, where no one reads it; the page shows the line instead.
void Plix_platformLogLine(const char* message) {
    showLogLine(message);
}
