// Asks SDL itself what it says about a file: the reference text for the damaged-resource checks.
// usage: sdl_error_probe bmp|wav|music FILE; prints SDL's error, or "LOADED" if SDL accepts it.
#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: sdl_error_probe bmp|wav|music FILE\n");
        return 2;
    }
    const std::string kind = argv[1];
    if (kind != "bmp" && kind != "wav" && kind != "music") {
        std::fprintf(stderr, "sdl_error_probe: unknown kind %s\n", argv[1]);
        return 2;
    }
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    // The same devices as the game opens, so the loaders run in the same set-up.
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_AUDIO) < 0 ||
        !SDL_SetVideoMode(320, 480, 0, SDL_DOUBLEBUF) ||
        Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 1024) < 0) {
        std::fprintf(stderr, "sdl_error_probe: no SDL: %s\n", SDL_GetError());
        return 2;
    }
    bool loaded = false;
    if (kind == "bmp") {
        loaded = SDL_LoadBMP(argv[2]) != nullptr;
    } else if (kind == "wav") {
        loaded = Mix_LoadWAV(argv[2]) != nullptr;
    } else {
        Mix_Music* m = Mix_LoadMUS(argv[2]);
        loaded = m && Mix_PlayMusic(m, 3000) == 0;
    }
    std::printf("%s\n", loaded ? "LOADED" : SDL_GetError());
    Mix_CloseAudio();
    SDL_Quit();
    return 0;
}
