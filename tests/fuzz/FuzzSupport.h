// FuzzSupport: what the fuzz targets share: SDL as the game opens it, and the end of a run that
// found a check and a reader of the same bytes apart.
#pragma once

#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace fuzz {

// SDL on its dummy drivers and the mixer at the game's format, once a process: SDL's loaders
// convert to what is open, and it is in those conversions that hostile numbers crash.
inline void startMedia() {
    static bool started = false;
    if (started) return;
    started = true;
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_AUDIO) < 0 ||
        Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 1024) < 0) {
        std::fprintf(stderr, "fuzz: no SDL: %s\n", SDL_GetError());
        std::exit(2);
    }
}

// A finding: libFuzzer keeps the input that aborted as a crash.
[[noreturn]] inline void fail(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::fputs("fuzz: ", stderr);
    std::vfprintf(stderr, format, args);
    std::fputc('\n', stderr);
    va_end(args);
    std::abort();
}

} // namespace fuzz
