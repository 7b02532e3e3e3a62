// The resource table: the keys the game plays and draws by, and the files behind them.
#pragma once

#include <string>

// The sound effects, in the order they are registered. Each is soundFile(key).
constexpr const char* SOUND_KREEL = "kreel";      // the capture burst
constexpr const char* SOUND_DAMAGE = "damage";    // a hit on the ship; the boss's end
constexpr const char* SOUND_DESTROY = "destroy1"; // a frame in which an enemy died
constexpr const char* SOUND_KIN = "kin";          // an item taken
constexpr const char* SOUND_KEYS[] = {SOUND_KREEL, SOUND_DAMAGE, SOUND_DESTROY, SOUND_KIN};

inline std::string soundFile(const char* key) {
    return std::string("resource/sound/") + key + ".wav";
}

// The one picture, drawn by the title.
constexpr const char* TITLE_PICTURE = "title";
constexpr const char* TITLE_PICTURE_FILE = "resource/image/zorvane.bmp";

// The music is not kept loaded: Plix_playBgm loads it afresh for every game and every end roll.
constexpr const char* MUSIC_FILE = "resource/sound/bgm.ogg";
