// Records the music calls the game makes to SDL_mixer, then passes each on to the real library.
// Include from exactly one file of a test program: the definitions here take the place of the
// library's for the game code linked into that program.
#pragma once

#include <SDL/SDL_mixer.h>
#include <dlfcn.h>
#include <string>
#include <vector>

namespace musicspy {

struct Call {
    std::string name; // "play" or "fadeOut"
    int arg;          // loops for play, milliseconds for fadeOut
};

inline std::vector<Call>& calls() {
    static std::vector<Call> log;
    return log;
}

template <class F> F real(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

} // namespace musicspy

extern "C" int Mix_PlayMusic(Mix_Music* music, int loops) {
    musicspy::calls().push_back({"play", loops});
    static auto next = musicspy::real<int (*)(Mix_Music*, int)>("Mix_PlayMusic");
    return next(music, loops);
}

extern "C" int Mix_FadeOutMusic(int ms) {
    musicspy::calls().push_back({"fadeOut", ms});
    static auto next = musicspy::real<int (*)(int)>("Mix_FadeOutMusic");
    return next(ms);
}
