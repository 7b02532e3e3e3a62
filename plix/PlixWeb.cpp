// The browser side of PlixPlatform: where Emscripten's SDL 1.2 emulation falls short, the layer
// makes up for it.
#include "plix/PlixPlatform.h"

#include <emscripten.h>

#include <cstdint>
#include <vector>

namespace {

constexpr int SDL12_KEY_COUNT = 323;
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
    int index[SDL12_KEY_COUNT] = {};
    KeyMap() {
        for (int k = 0; k < 256; ++k)
            index[k] = k;
        for (const KeyIndex& e : KEY_TABLE)
            index[e.sdl12] = e.emulated;
    }
};
const KeyMap keyMap;
Uint8 sdl12Keys[SDL12_KEY_COUNT];
unsigned snapshots = 0;

// JavaScript bodies: clang-format would take them for C++.
// clang-format off

// The page, its test and its benchmark count the game's frames by the snapshots taken.
EM_JS(void, publishSnapshots, (unsigned count), { Module["plixSnapshots"] = count; });

// Through the emulation's own request, so that its pointer hiding (F10) knows about full screen.
EM_JS(void, requestFullScreen, (int on), {
    if (on) {
        Module["requestFullscreen"](false, false);
    } else if (document.fullscreenElement) {
        document.exitFullscreen();
    }
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

// clang-format on

void put16(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

void put32(uint8_t* p, uint32_t v) {
    put16(p, v);
    put16(p + 2, v >> 16);
}

} // namespace

// SDL_GetKeyboardState is indexed by the emulation's own key codes, not SDL 1.2's.
const Uint8* Plix_platformKeys(int* count) {
    int emulatedCount = 0;
    const Uint8* state = SDL_GetKeyboardState(&emulatedCount);
    for (int k = 0; k < SDL12_KEY_COUNT; ++k) {
        int i = keyMap.index[k];
        sdl12Keys[k] = i > 0 && i < emulatedCount ? state[i] : 0;
    }
    publishSnapshots(++snapshots);
    *count = SDL12_KEY_COUNT;
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
// time; the canvas then leaves those pixels out of every blit.
void Plix_platformColorKey(SDL_Surface* surface, Uint32 key) {
    if (surface->format->BytesPerPixel != 4 || SDL_LockSurface(surface) != 0) return;
    constexpr Uint32 RGB = 0x00ffffff;
    for (int y = 0; y < surface->h; ++y) {
        Uint32* row =
            reinterpret_cast<Uint32*>(static_cast<Uint8*>(surface->pixels) + y * surface->pitch);
        for (int x = 0; x < surface->w; ++x)
            if ((row[x] & RGB) == (key & RGB)) row[x] &= RGB;
    }
    SDL_UnlockSurface(surface);
}

// The emulation's surfaces carry no such number.
unsigned Plix_platformFormatVersion(const SDL_Surface*) {
    return 0;
}

void Plix_platformFillRect(SDL_Surface* surface, SDL_Rect* rect, Uint32 colour) {
    if (surface != SDL_GetVideoSurface()) {
        SDL_FillRect(surface, rect, colour);
        return;
    }
    // The emulation's colours are 0xAABBGGRR; CSS wants red first.
    int rgb = int((colour & 0xff) << 16 | (colour & 0xff00) | (colour >> 16 & 0xff));
    fillScreenRect(rect->x, rect->y, rect->w, rect->h, rgb);
}

// A headless browser lists gamepad slots that hold no gamepad, and opening one fails; the game then
// goes on with the keyboard alone rather than stopping.
// The page's canvas is the picture.
bool Plix_platformDriverShowsPicture() {
    return true;
}

int Plix_platformJoysticks() {
    int count = SDL_NumJoysticks();
    if (count <= 0) return 0;
    SDL_Joystick* first = SDL_JoystickOpen(0);
    if (!first) return 0;
    SDL_JoystickClose(first);
    return count;
}

// The emulation has no Mix_FadeInMusic; its Mix_FadeInMusicPos starts at full volume.
int Plix_platformFadeInMusic(Mix_Music* music, int loops, int fadeMs) {
    return Mix_FadeInMusicPos(music, loops, fadeMs, 0);
}

// A new video mode would replace the screen surface the layer holds; the page's canvas goes full
// screen instead and keeps its surface.
SDL_Surface* Plix_platformSetVideoMode(int, int, int, Uint32 flags) {
    requestFullScreen((flags & SDL_FULLSCREEN) != 0);
    return SDL_GetVideoSurface();
}

// A page cannot iconify the browser's window.
void Plix_platformIconify() {}

// The emulation plays the sounds the page decoded at preload time, found by their file names.
Mix_Chunk* Plix_platformLoadWAV(const char* fileName, const Uint8*, size_t) {
    return Mix_LoadWAV(fileName);
}

// The browser decodes the music itself and refuses what it cannot play; there is no libvorbisfile.
const char* Plix_platformMusicProblem(const char*) {
    return nullptr;
}

// The emulation cannot save a BMP, and a page has no working directory to write one to: the screen
// is written as a 24-bit BMP here and offered as a download under the same name.
void Plix_platformScreenshot(SDL_Surface* screen, const char* fileName) {
    if (screen->format->BytesPerPixel != 4 || SDL_LockSurface(screen) != 0) return;
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
        const Uint8* src = static_cast<const Uint8*>(screen->pixels) + (h - 1 - y) * screen->pitch;
        uint8_t* dst = p + HEADER + y * rowBytes;
        for (int x = 0; x < w; ++x) {
            dst[3 * x] = src[4 * x + 2];
            dst[3 * x + 1] = src[4 * x + 1];
            dst[3 * x + 2] = src[4 * x];
        }
    }
    SDL_UnlockSurface(screen);
    offerDownload(fileName, bmp.data(), int(bmp.size()));
}

// run.log lives in the page's memory, where no one reads it; the page shows the line instead.
void Plix_platformLogLine(const char* message) {
    showLogLine(message);
}
