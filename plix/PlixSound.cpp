// Sound: WAV effects under string keys on free mixer channels, and one music track at a time.
#include "plix/Plix.h"
#include "plix/PlixMedia.h"
#include "plix/PlixPlatform.h"

#include <vector>

namespace {

// No effect comes near this; a file that does is not one.
constexpr size_t MAX_WAV = 64u << 20;

// The header is checked before SDL sees the file, since SDL crashes on some hostile ones (a sample
// rate of 0, or of 100 MHz) instead of refusing them.
Mix_Chunk* loadCheckedWAV(const std::string& fileName, std::vector<Uint8>& bytes) {
    bool opened = false;
    if (const char* problem = readResource(fileName.c_str(), bytes, MAX_WAV, opened))
        throw PlixError(problem);
    // What cannot be opened goes to SDL_mixer as it is, for its own message.
    if (!opened) return Mix_LoadWAV(fileName.c_str());
    if (const char* problem = wavProblem(bytes.data(), bytes.size())) throw PlixError(problem);
    return Plix_platformLoadWAV(fileName.c_str(), bytes.data(), bytes.size());
}

} // namespace

void Plix_loadWAV(const std::string& key, const std::string& fileName) {
    PlixMedia& m = plixMedia;
    if (m.sounds.count(key)) throw PlixError("Plix_loadWAV: Has exist key: " + key);
    std::vector<Uint8> bytes;
    Mix_Chunk* chunk = nullptr;
    try {
        chunk = loadCheckedWAV(fileName, bytes);
    } catch (const PlixError& refused) {
        throw PlixError(std::string("Plix_loadWAV: ") + refused.what() + " (" + fileName + ")");
    }
    if (!chunk)
        throw PlixError(std::string("Plix_loadWAV: ") + SDL_GetError() + " (" + fileName + ")");
    m.sounds.emplace(key, chunk);
}

void Plix_playWAV(const char* key, int loops) {
    if (plixTraceOn) traceWAV(key, loops);
    auto found = plixMedia.sounds.find(key);
    if (found == plixMedia.sounds.end())
        throw PlixError(std::string("Plix_playWAV: Has exist key: ") + key);
    // With every channel busy the effect is simply not heard.
    Mix_PlayChannel(-1, found->second, loops);
}

void Plix_playBgm(const char* fileName, int loops, int fadeMs) {
    if (plixTraceOn) traceBgm(fileName, loops, fadeMs);
    PlixMedia& m = plixMedia;
    if (m.music) {
        Mix_HaltMusic();
        Mix_FreeMusic(m.music);
        m.music = nullptr;
    }
    if (const char* problem = resourceProblem(fileName))
        throw PlixError(std::string("Plix_playBgm: ") + problem + ": " + fileName);
    // SDL_mixer crashes on its audio thread, once the music plays, when a stream's rate is absurd.
    if (const char* problem = Plix_platformMusicProblem(fileName))
        throw PlixError(std::string("Plix_playBgm: ") + problem + ": " + fileName);
    m.music = Mix_LoadMUS(fileName);
    if (!m.music) throw PlixError(std::string("Plix_playBgm: ") + SDL_GetError());
    int result = fadeMs <= 0 ? Mix_PlayMusic(m.music, loops)
                             : Plix_platformFadeInMusic(m.music, loops, fadeMs);
    if (result != 0) throw PlixError(std::string("Plix_playBgm: ") + SDL_GetError());
}

void Plix_stopBgm(int fadeMs) {
    if (plixTraceOn) traceStopBgm(fadeMs);
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
