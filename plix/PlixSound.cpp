// Sound: WAV effects under string keys played on free mixer channels, and one music track at a time.
#include "plix/Plix.h"
#include "plix/PlixMedia.h"
#include "plix/PlixPlatform.h"

void Plix_loadWAV(const std::string& key, const std::string& fileName) {
    PlixMedia& m = plixMedia;
    if (m.sounds.count(key)) throw PlixError("Plix_loadWAV: Has exist key: " + key);
    Mix_Chunk* chunk = Mix_LoadWAV(fileName.c_str());
    if (!chunk) throw PlixError(std::string("Plix_loadWAV: ") + SDL_GetError() + " (" + fileName + ")");
    m.sounds.emplace(key, chunk);
}

void Plix_playWAV(const char* key, int loops) {
    auto found = plixMedia.sounds.find(key);
    if (found == plixMedia.sounds.end()) throw PlixError(std::string("Plix_playWAV: Has exist key: ") + key);
    // With every channel busy the effect is simply not heard.
    Mix_PlayChannel(-1, found->second, loops);
}

void Plix_playBgm(const char* fileName, int loops, int fadeMs) {
    PlixMedia& m = plixMedia;
    if (m.music) {
        Mix_HaltMusic();
        Mix_FreeMusic(m.music);
        m.music = nullptr;
    }
    m.music = Mix_LoadMUS(fileName);
    if (!m.music) throw PlixError(std::string("Plix_playBgm: ") + SDL_GetError());
    int result = fadeMs <= 0 ? Mix_PlayMusic(m.music, loops)
                             : Plix_platformFadeInMusic(m.music, loops, fadeMs);
    if (result != 0) throw PlixError(std::string("Plix_playBgm: ") + SDL_GetError());
}

void Plix_stopBgm(int fadeMs) {
    PlixMedia& m = plixMedia;
    if (!m.music) return;
    if (fadeMs <= 0) {
        Mix_HaltMusic();
        Mix_FreeMusic(m.music);
        m.music = nullptr;
    } else {
        // The faded music stays loaded until the next Plix_playBgm or Plix_quit frees it.
        Mix_FadeOutMusic(fadeMs);
    }
}
