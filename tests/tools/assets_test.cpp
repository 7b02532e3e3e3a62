// The committed assets, checked the way the game uses them: font coverage, and sound levels that
// leave the mixer headroom and lift the cues over the music.
#include "AssetFiles.h"
#include "flow/Resources.h"
#include "support/TestSupport.h"

#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

// Glyphs by code, loaded once for the whole run; null where the file is missing or unreadable.
static SDL_Surface* glyph(unsigned char c) {
    static SDL_Surface* all[256] = {};
    if (!all[c]) all[c] = SDL_LoadBMP(("resource/font/" + std::to_string(c) + ".bmp").c_str());
    return all[c];
}

TEST(Font, EveryCodeIsADistinctVisibleGlyphOfTheRightSizeAndCoversEveryFixedText) {
    int usualWidth = 0;
    std::set<std::string> shapes;
    for (int code = 33; code <= 126; ++code) {
        SCOPED_TRACE("code " + std::to_string(code));
        SDL_Surface* g = glyph(code);
        ASSERT_NE(g, nullptr) << SDL_GetError();
        EXPECT_TRUE(g->h <= 18 && g->w >= 6 && g->w <= 14) << g->w << "x" << g->h;
        // The game blits every row, the black ones too: the bitmap ends with its last inked row.
        const char* bottom = static_cast<char*>(g->pixels) + (g->h - 1) * g->pitch;
        EXPECT_NE(std::string(bottom, g->w * g->format->BytesPerPixel).find_first_not_of('\0'),
                  std::string::npos)
            << "blank bottom row";
        usualWidth += g->w >= 10 && g->w <= 12;
        std::string shape; // black is the transparent colour: all-zero bytes are no ink
        for (int y = 0; y < g->h; ++y)
            shape.append(static_cast<char*>(g->pixels) + y * g->pitch,
                         g->w * g->format->BytesPerPixel);
        EXPECT_NE(shape.find_first_not_of('\0'), std::string::npos) << "blank";
        EXPECT_TRUE(shapes.insert(shape).second) << "same bitmap as another character";
    }
    EXPECT_GE(usualWidth, 94 * 3 / 4) << "pop-ups are centred on 12 px per character";
    const std::string texts[] = {
        "SCORE : ",     "TIME  : ",   "RATIO : x", " + ",      "MAX : x",
        "GAME OVER",    "GAME CLEAR", "LEVEL ",    "LEVEL : ", "PUSH 'Z' or Joystick'1'",
        "RECOVERY!",    "CRAZY MODE", "100 x 3",   "END",      "Your Score :",
        "Your Time  :", "0123456789"};
    for (const std::string& t : texts)
        for (unsigned char c : t)
            EXPECT_TRUE(c == ' ' || glyph(c)) << "'" << c << "' of \"" << t << "\"";
}

// An effect's samples as the mixer gets them; empty when SDL cannot load it as 16-bit mono at
// the mixer's rate.
static std::vector<int16_t> effect(const char* key) {
    SDL_AudioSpec spec;
    Uint8* buf = nullptr;
    Uint32 len = 0;
    if (!SDL_LoadWAV(soundFile(key).c_str(), &spec, &buf, &len)) return {};
    std::vector<int16_t> s;
    if (spec.freq == 22050 && spec.format == AUDIO_S16LSB && spec.channels == 1)
        s.assign(reinterpret_cast<Sint16*>(buf), reinterpret_cast<Sint16*>(buf + len));
    SDL_FreeWAV(buf);
    return s;
}

// The mixer adds every playing effect to the music at full volume and clamps the sum. The levels
// are measured over each whole file (the music as decoded, both channels).
TEST(Sounds, LevelsLeaveTheMixerHeadroomAndLiftTheCuesOverTheMusic) {
    const assets::Levels music = assets::levelsOf(assets::decodeOgg(MUSIC_FILE));
    EXPECT_TRUE(music.rmsDb >= -22 && music.rmsDb <= -18) << "music RMS " << music.rmsDb;
    EXPECT_LE(music.peakDb, -6) << "music peak";
    struct Cue {
        const char* key;
        bool overMusic; // the capture and the item must be heard through the music
    };
    const Cue cues[] = {
        {SOUND_KREEL, true}, {SOUND_DAMAGE, false}, {SOUND_DESTROY, false}, {SOUND_KIN, true}};
    std::vector<double> peaks;
    for (const Cue& c : cues) {
        SCOPED_TRACE(c.key);
        const std::vector<int16_t> s = effect(c.key);
        ASSERT_FALSE(s.empty());
        const assets::Levels e = assets::levelsOf(s);
        EXPECT_LE(e.peakDb, -3);
        EXPECT_GT(e.peakDb, music.rmsDb) << "lost under the music";
        EXPECT_LE(std::abs(e.dc), 0.005);
        if (c.overMusic) {
            EXPECT_GE(e.rmsDb - music.rmsDb, 4) << "RMS " << e.rmsDb;
        }
        peaks.push_back(std::pow(10, e.peakDb / 20));
    }
    // The two loudest effects at once, on top of the music's loudest moment, stay clear of full
    // scale.
    std::sort(peaks.rbegin(), peaks.rend());
    EXPECT_LT(std::pow(10, music.peakDb / 20) + peaks[0] + peaks[1], 1.0);
}
