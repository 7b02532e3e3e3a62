// The browser side of PlixPlatform where it meets the page (PlixWeb.js): the frame wait's yield,
// full screen, the files the browser decodes, the run's last line.
#include "plix/PlixPlatform.h"

#include <emscripten.h>

#include <cstdint>

namespace {

// JavaScript bodies: clang-format would take them for C++.
// clang-format off

EM_ASYNC_JS(void, yieldFor, (unsigned remainingMs), { await PlixWeb.yieldFor(remainingMs); });

EM_JS(void, requestFullScreen, (int on), { PlixWeb.setFullScreen(on !== 0); });

EM_JS(void, showLogLine, (const char* message), {
    if (Module["onRunLog"]) Module["onRunLog"](UTF8ToString(message));
});

EM_JS(Mix_Chunk*, loadSound, (const char* fileName, const uint8_t* bytes, size_t size), {
    return PlixAudio.loadSound(UTF8ToString(fileName), HEAPU8.slice(bytes, bytes + size).buffer);
});

// clang-format on

} // namespace

// Sleeps while the deadline is far, then yields through a message to the page, which no timer
// clamp delays, until the deadline.
void Plix_platformYield(Uint32 remainingMs) {
    yieldFor(remainingMs);
}

// The page's canvas is the picture.
bool Plix_platformDriverShowsPicture() {
    return true;
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

// The emulation's surfaces carry no such number.
unsigned Plix_platformFormatVersion(const SDL_Surface*) {
    return 0;
}

// The browser decodes the music itself and refuses what it cannot play; there is no libvorbisfile.
const char* Plix_platformMusicProblem(const char*) {
    return nullptr;
}

// A fault in the page is the browser's to report, in its console.
void Plix_platformWatchCrashes() {}

// run.log lives in the page's memory, where no one reads it; the page shows the line instead.
void Plix_platformLogLine(const char* message) {
    showLogLine(message);
}
