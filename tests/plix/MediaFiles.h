// Helpers of the media tests: BMPs made on the spot, screen rows as letters, a stand-in joystick.
#pragma once

#include "plix/PlixMedia.h"
#include "support/TestSupport.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

namespace mediafiles {

struct Rgb {
    Uint8 r, g, b;
};

// A 24-bit BMP of w x h pixels, its leftWidth left columns in one colour and the rest in another.
inline bool writeBmp(const std::string& path, int w, int h, Rgb left, int leftWidth, Rgb right) {
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 24, 0xff0000, 0xff00, 0xff, 0);
    if (!s) return false;
    SDL_Rect leftPart = {0, 0, Uint16(leftWidth), Uint16(h)};
    SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, right.r, right.g, right.b));
    SDL_FillRect(s, &leftPart, SDL_MapRGB(s->format, left.r, left.g, left.b));
    bool ok = SDL_SaveBMP(s, path.c_str()) == 0;
    SDL_FreeSurface(s);
    return ok;
}

// n pixels of screen row y from x on, one letter each: '.' the grey (32, 32, 32) of a clear,
// W white, R red, G green, B blue, '?' any other colour.
inline std::string row(int x, int y, int n) {
    static const char letters[] = ".WRGB";
    static const Uint8 rgb[][3] = {
        {32, 32, 32}, {255, 255, 255}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    SDL_Surface* s = plixMedia.screen;
    const int bytes = s->format->BytesPerPixel;
    std::string found(n, '?');
    SDL_LockSurface(s);
    for (int i = 0; i < n; ++i) {
        Uint32 pixel = 0;
        std::memcpy(&pixel, static_cast<Uint8*>(s->pixels) + y * s->pitch + (x + i) * bytes, bytes);
        for (int c = 0; c < 5; ++c)
            if (pixel == SDL_MapRGB(s->format, rgb[c][0], rgb[c][1], rgb[c][2]))
                found[i] = letters[c];
    }
    SDL_UnlockSurface(s);
    return found;
}

// The message of the exception that call throws, or "(nothing thrown)".
inline std::string messageOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(nothing thrown)";
}

// Stands in for an attached joystick: a handle SDL never sees, and raw device reads that return
// what the test puts in buttons and axes. Snapshots read it through the layer's device functions.
struct FakeStick {
    static inline FakeStick* current = nullptr;
    int storage = 0;
    bool buttons[8] = {};
    Sint16 axes[2] = {0, 0};
    int highestButtonRead = -1;

    explicit FakeStick(int buttonCount = 2) {
        current = this;
        set(reinterpret_cast<SDL_Joystick*>(&storage), buttonCount);
        plixMedia.devices.joyButton = [](SDL_Joystick*, int i) -> Uint8 {
            if (i > current->highestButtonRead) current->highestButtonRead = i;
            return i >= 0 && i < 8 && current->buttons[i];
        };
        plixMedia.devices.joyAxis = [](SDL_Joystick*, int axis) { return current->axes[axis]; };
    }
    ~FakeStick() {
        set(nullptr, 0);
        plixMedia.devices = PlixDevices();
        current = nullptr;
    }
    static void set(SDL_Joystick* handle, int buttons) {
        plixMedia.joystick = handle;
        plixMedia.joyButtonCount = buttons;
        plixMedia.joyButtonNow.assign(buttons, false);
        plixMedia.joyButtonBefore.assign(buttons, false);
        for (int axis : {0, 1})
            plixMedia.joyAxisNow[axis] = plixMedia.joyAxisBefore[axis] = 0;
    }
};

// A fresh directory, so nothing a test program writes lands in the build tree; it goes, with
// everything in it, when the program ends. One per program.
inline std::string scratchDir(const std::string& tag) {
    static std::string dir;
    dir = testsupport::makeTempDir(tag);
    std::atexit([] { std::filesystem::remove_all(dir); });
    return dir;
}

} // namespace mediafiles
