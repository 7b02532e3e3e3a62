// Test helpers of the media layer's tests: small BMP and WAV files made on the spot, and screen pixel reads.
#pragma once

#include "plix/PlixMedia.h"

#include <SDL/SDL.h>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <initializer_list>
#include <string>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mediafiles {

struct Rgb {
    Uint8 r, g, b;
};

// A 24-bit BMP whose pixel (x, y) gets colour(x, y). Returns false when it cannot be written.
inline bool writeBmp(const std::string& path, int w, int h, const std::function<Rgb(int, int)>& colour) {
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 24, 0xff0000, 0x00ff00, 0x0000ff, 0);
    if (!s) return false;
    SDL_LockSurface(s);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            Rgb c = colour(x, y);
            Uint32 v = SDL_MapRGB(s->format, c.r, c.g, c.b);
            Uint8* p = static_cast<Uint8*>(s->pixels) + y * s->pitch + x * 3;
            p[0] = Uint8(v);
            p[1] = Uint8(v >> 8);
            p[2] = Uint8(v >> 16);
        }
    }
    SDL_UnlockSurface(s);
    bool ok = SDL_SaveBMP(s, path.c_str()) == 0;
    SDL_FreeSurface(s);
    return ok;
}

inline bool writeBmp(const std::string& path, int w, int h, Rgb colour) {
    return writeBmp(path, w, h, [colour](int, int) { return colour; });
}

// A mono 16-bit 22050 Hz WAV of a quiet square wave lasting the given number of samples.
inline bool writeWav(const std::string& path, uint32_t samples) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    auto u32 = [f](uint32_t v) { for (int i = 0; i < 4; ++i) std::fputc(int(v >> (8 * i)) & 0xff, f); };
    auto u16 = [f](uint32_t v) { for (int i = 0; i < 2; ++i) std::fputc(int(v >> (8 * i)) & 0xff, f); };
    uint32_t bytes = samples * 2;
    std::fputs("RIFF", f);
    u32(36 + bytes);
    std::fputs("WAVEfmt ", f);
    u32(16);
    u16(1);         // PCM
    u16(1);         // mono
    u32(22050);     // rate
    u32(22050 * 2); // byte rate
    u16(2);         // block align
    u16(16);        // bits
    std::fputs("data", f);
    u32(bytes);
    for (uint32_t i = 0; i < samples; ++i) u16((i / 50) % 2 ? 0x0400 : 0xfc00);
    return std::fclose(f) == 0;
}

inline bool writeText(const std::string& path, const std::string& text) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    std::fwrite(text.data(), 1, text.size(), f);
    return std::fclose(f) == 0;
}

inline bool makeDirs(const std::string& root, std::initializer_list<const char*> subdirs) {
    bool ok = mkdir(root.c_str(), 0755) == 0 || errno == EEXIST;
    for (const char* d : subdirs) ok = ok && (mkdir((root + "/" + d).c_str(), 0755) == 0 || errno == EEXIST);
    return ok;
}

// The raw pixel value of the screen at (x, y), whatever its depth (the dummy driver's is 8-bit).
inline Uint32 screenPixel(int x, int y) {
    SDL_Surface* s = plixMedia.screen;
    SDL_LockSurface(s);
    const Uint8* p = static_cast<const Uint8*>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel;
    Uint32 v = 0;
    switch (s->format->BytesPerPixel) {
    case 1: v = p[0]; break;
    case 2: v = *reinterpret_cast<const Uint16*>(p); break;
    case 3: v = Uint32(p[0]) | Uint32(p[1]) << 8 | Uint32(p[2]) << 16; break;
    default: v = *reinterpret_cast<const Uint32*>(p); break;
    }
    SDL_UnlockSurface(s);
    return v;
}

inline Uint32 screenColour(Uint8 r, Uint8 g, Uint8 b) { return SDL_MapRGB(plixMedia.screen->format, r, g, b); }

inline bool screenIs(int x, int y, Uint8 r, Uint8 g, Uint8 b) { return screenPixel(x, y) == screenColour(r, g, b); }

// The message of the PlixError that call throws, or "(nothing thrown)".
inline std::string messageOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(nothing thrown)";
}

// Stands in for an attached joystick with two buttons by writing the snapshot fields directly;
// nothing may take a snapshot while it lives, since SDL would be handed the fake handle.
class FakeStick {
  public:
    FakeStick() {
        plixMedia.joystick = reinterpret_cast<SDL_Joystick*>(&storage);
        plixMedia.joyButtonCount = 2;
        plixMedia.joyButtonNow.assign(2, false);
        plixMedia.joyButtonBefore.assign(2, false);
    }
    ~FakeStick() {
        plixMedia.joystick = nullptr;
        plixMedia.joyButtonCount = 0;
        plixMedia.joyButtonNow.clear();
        plixMedia.joyButtonBefore.clear();
        axes(0, 0, 0, 0);
    }
    FakeStick(const FakeStick&) = delete;
    FakeStick& operator=(const FakeStick&) = delete;
    static void axes(Sint16 beforeX, Sint16 beforeY, Sint16 nowX, Sint16 nowY) {
        plixMedia.joyAxisBefore[0] = beforeX;
        plixMedia.joyAxisBefore[1] = beforeY;
        plixMedia.joyAxisNow[0] = nowX;
        plixMedia.joyAxisNow[1] = nowY;
    }

  private:
    int storage = 0;
};

inline int removeEntry(const char* path, const struct stat*, int, struct FTW*) { return std::remove(path); }

// Runs the test program's media from a scratch directory, so nothing it writes lands in the build
// tree; the directory goes when the program ends.
inline std::string enterScratchDir(const std::string& dir) {
    static std::string entered;
    if (dir.empty() || chdir(dir.c_str()) != 0) return "";
    if (entered.empty()) std::atexit([] { nftw(entered.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS); });
    entered = dir;
    return dir;
}

} // namespace mediafiles
