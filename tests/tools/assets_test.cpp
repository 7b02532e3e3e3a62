// The committed assets, checked the way the game uses them: SDL loads, font coverage, clean sound.
#include "AssetFiles.h"
#include "support/TestSupport.h"

#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

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
        EXPECT_TRUE(g->h >= 14 && g->h <= 18 && g->w >= 6 && g->w <= 14) << g->w << "x" << g->h;
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

TEST(Pictures, LoadAndKeepTheirSizes) {
    SDL_Surface* title = SDL_LoadBMP("resource/image/zorvane.bmp");
    ASSERT_NE(title, nullptr) << SDL_GetError();
    EXPECT_TRUE(title->w <= 260 && title->h <= 290)
        << "drawn at (30, 60) it would cover the prompt at y 360";
    SDL_FreeSurface(title);
    SDL_Surface* icon = SDL_LoadBMP("resource/plix.bmp");
    ASSERT_NE(icon, nullptr) << SDL_GetError();
    EXPECT_TRUE(icon->w == 32 && icon->h == 32) << icon->w << "x" << icon->h;
    SDL_FreeSurface(icon);
    for (int size : {32, 48}) {
        const std::string png = testsupport::readFile(
            ZORVANE_SOURCE_DIR "/packaging/icons/zorvane-" + std::to_string(size) + ".png");
        const std::string side = std::string("\0\0\0", 3) + char(size); // big-endian 32 bits
        EXPECT_EQ(png.substr(0, 24),
                  std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16) + side + side)
            << "signature and IHDR width and height of the " << size << " px icon";
    }
}

TEST(Sounds, EffectsLoadAre16BitAt22050AndNeverClip) {
    testsupport::initMedia(); // Mix_LoadWAV needs the mixer open
    for (const std::string name : {"kreel", "damage", "destroy1", "kin"}) {
        const std::string path = "resource/sound/" + name + ".wav";
        SCOPED_TRACE(path);
        Mix_Chunk* chunk = Mix_LoadWAV(path.c_str());
        EXPECT_NE(chunk, nullptr) << Mix_GetError();
        Mix_FreeChunk(chunk);
        SDL_AudioSpec spec;
        Uint8* buf = nullptr;
        Uint32 len = 0;
        ASSERT_NE(SDL_LoadWAV(path.c_str(), &spec, &buf, &len), nullptr) << SDL_GetError();
        EXPECT_TRUE(spec.freq == 22050 && spec.format == AUDIO_S16LSB) << spec.freq << " Hz";
        const Sint16* s = reinterpret_cast<const Sint16*>(buf);
        int peak = 0;
        for (Uint32 i = 0; i < len / 2; ++i)
            peak = std::max(peak, std::abs(int(s[i])));
        EXPECT_TRUE(peak > 16000 && peak < 32767) << "peak " << peak << ": inaudible or clipped";
        EXPECT_TRUE(name != "destroy1" || len / 2.0 / spec.channels / spec.freq < 0.5)
            << "plays on every kill, so it must stay short";
        SDL_FreeWAV(buf);
    }
}

TEST(Music, LoadsAndDecodesToOneToTwoMinutes) {
    testsupport::initMedia();
    Mix_Music* music = Mix_LoadMUS("resource/sound/bgm.ogg");
    EXPECT_NE(music, nullptr) << Mix_GetError();
    if (music) Mix_FreeMusic(music);
    long rate = 0;
    const double frames = assets::decodeOgg("resource/sound/bgm.ogg", &rate).size() / 2.0;
    ASSERT_GT(rate, 0) << "does not decode to the end as stereo";
    const double seconds = frames / rate;
    EXPECT_TRUE(seconds >= 60 && seconds <= 120) << seconds << " s";
}
