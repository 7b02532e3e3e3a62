// Records the game's music calls to SDL_mixer and passes each on to the real library. Include it
// from exactly one file of a test program: its definitions take the place of the library's.
#pragma once

#include <SDL/SDL_mixer.h>
#include <dlfcn.h>
#include <string>
#include <vector>

// "play <loops>" and "fadeOut <ms>", in the order the game made them.
inline std::vector<std::string> musicCalls;

extern "C" int Mix_PlayMusic(Mix_Music* music, int loops) {
    musicCalls.push_back("play " + std::to_string(loops));
    static auto next =
        reinterpret_cast<int (*)(Mix_Music*, int)>(dlsym(RTLD_NEXT, "Mix_PlayMusic"));
    return next(music, loops);
}

extern "C" int Mix_FadeOutMusic(int ms) {
    musicCalls.push_back("fadeOut " + std::to_string(ms));
    static auto next = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "Mix_FadeOutMusic"));
    return next(ms);
}
