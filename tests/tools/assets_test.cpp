// The committed assets, checked the way the game uses them: SDL loads, font coverage and layout,
// clean sound.
#include "AssetFiles.h"

#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>

namespace {

class Media : public ::testing::Environment {
  public:
    void SetUp() override {
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO | SDL_INIT_AUDIO), 0) << SDL_GetError();
        ASSERT_EQ(Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 1024), 0) << SDL_GetError();
    }
    void TearDown() override {
        Mix_CloseAudio();
        SDL_Quit();
    }
};
const auto* const media = ::testing::AddGlobalTestEnvironment(new Media);

using Surface = std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)>;

Surface loadBMP(const std::string& path) {
    return Surface(SDL_LoadBMP(path.c_str()), SDL_FreeSurface);
}

uint32_t pixel(SDL_Surface* s, int x, int y) {
    uint32_t raw = 0;
    std::memcpy(&raw,
                static_cast<uint8_t*>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel,
                s->format->BytesPerPixel);
    uint8_t r, g, b;
    SDL_GetRGB(raw, s->format, &r, &g, &b);
    return (uint32_t(r) << 16) | (uint32_t(g) << 8) | b;
}

int brightest(uint32_t rgb) {
    return std::max({int(rgb >> 16), int((rgb >> 8) & 255), int(rgb & 255)});
}

// Glyphs by code, loaded once: the font checks all look at the same set.
std::map<int, Surface>& glyphs() {
    static std::map<int, Surface> all;
    if (all.empty())
        for (int code = 33; code <= 126; ++code) {
            Surface s = loadBMP("resource/font/" + std::to_string(code) + ".bmp");
            if (s) all.emplace(code, std::move(s));
        }
    return all;
}

// Pen advance of a text, as the game lays it out: 12 for a space, the glyph width otherwise.
int advance(const std::string& text) {
    int px = 0;
    for (unsigned char c : text) {
        if (c == ' ')
            px += 12;
        else if (glyphs().count(c))
            px += glyphs().at(c)->w;
    }
    return px;
}

} // namespace

TEST(Font, EveryPrintableCharacterIsALightShadowedGlyphWithRoomAround) {
    int usualWidth = 0;
    for (int code = 33; code <= 126; ++code) {
        SCOPED_TRACE("code " + std::to_string(code));
        ASSERT_EQ(glyphs().count(code), 1u) << SDL_GetError();
        SDL_Surface* g = glyphs().at(code).get();
        EXPECT_GE(g->h, 14);
        EXPECT_LE(g->h, 18);
        EXPECT_GE(g->w, 6);
        EXPECT_LE(g->w, 14);
        usualWidth += g->w >= 10 && g->w <= 12;
        int ink = 0, stray = 0, edge = 0;
        for (int y = 0; y < g->h; ++y)
            for (int x = 0; x < g->w; ++x) {
                const uint32_t p = pixel(g, x, y);
                if (p == 0) continue;
                const bool light = brightest(p) >= 128;
                ink += light;
                // Dark pixels may only be the drop shadow, just below and right of the ink.
                stray += !light && (x == 0 || y == 0 || brightest(pixel(g, x - 1, y - 1)) < 128);
                edge += x == 0 || (light && x == g->w - 1); // neighbours would touch
            }
        EXPECT_GT(ink, 0);
        EXPECT_EQ(stray, 0) << "dark pixels away from the ink read as smudges";
        EXPECT_EQ(edge, 0);
    }
    EXPECT_GE(usualWidth, 94 * 3 / 4) << "pop-ups are centred on 12 px per character";
    for (char d = '1'; d <= '9'; ++d)
        EXPECT_EQ(glyphs().at(d)->w, glyphs().at('0')->w) << d;
}

TEST(Font, NoTwoGlyphsLookAlike) {
    std::map<std::string, int> seen;
    for (const auto& [code, g] : glyphs()) {
        std::string key = std::to_string(g->w) + "x" + std::to_string(g->h) + ":";
        for (int y = 0; y < g->h; ++y)
            for (int x = 0; x < g->w; ++x)
                key += pixel(g.get(), x, y) ? '#' : '.';
        const auto [it, fresh] = seen.emplace(key, code);
        EXPECT_TRUE(fresh) << char(code) << " looks like " << char(it->second);
    }
}

TEST(Font, CoversEveryFixedTextAndTheHudFitsTheScreen) {
    const std::string texts[] = {
        "SCORE : ",     "TIME  : ",     "RATIO : x", " + ",      "MAX : x",
        "GAME OVER",    "GAME CLEAR",   "LEVEL ",    "LEVEL : ", "PUSH 'Z' or Joystick'1'",
        "RECOVERY!",    "CRAZY MODE",   "100 x 3",   "500",      "END",
        "Your Score :", "Your Time  :", "0123456789"};
    for (const std::string& t : texts)
        for (unsigned char c : t) {
            if (c == ' ') continue;
            EXPECT_EQ(glyphs().count(c), 1u) << "'" << c << "' of \"" << t << "\"";
        }

    // Widest values each line can show, at the places the game draws them on a 320 px screen.
    EXPECT_LE(40 + advance("PUSH 'Z' or Joystick'1'"), 320);
    EXPECT_LE(10 + advance("SCORE : 9999999999"), 320);
    EXPECT_LE(10 + advance("RATIO : x99 + 99"), 200) << "runs into the MAX line";
    EXPECT_LE(200 + advance("MAX : x99"), 320);
    EXPECT_LE(90 + advance("Your Score :9999999"), 320);
    for (const std::string t : {"100 x 3", "RECOVERY!", "CRAZY MODE", "GAME CLEAR"})
        EXPECT_NEAR(advance(t), 12 * int(t.size()), 2 * int(t.size())) << t;
}

TEST(Pictures, TitleFitsAboveThePromptAndIsRealArtwork) {
    Surface title = loadBMP("resource/image/zorvane.bmp");
    ASSERT_TRUE(title) << SDL_GetError();
    EXPECT_LE(title->w, 260);
    EXPECT_LE(title->h, 290);
    EXPECT_LE(60 + title->h, 360) << "would cover the prompt";
    std::map<uint32_t, int> colours;
    for (int y = 0; y < title->h; ++y)
        for (int x = 0; x < title->w; ++x)
            ++colours[pixel(title.get(), x, y)];
    EXPECT_GE(colours.size(), 64u);
    EXPECT_EQ(colours.count(0), 0u) << "pure black would vanish if the picture were ever keyed";

    Surface icon = loadBMP("resource/plix.bmp");
    ASSERT_TRUE(icon) << SDL_GetError();
    EXPECT_EQ(icon->w, 32);
    EXPECT_EQ(icon->h, 32);
}

TEST(Pictures, DesktopIconsAreValidPngsOfTheWindowIcon) {
    Surface icon = loadBMP("resource/plix.bmp");
    ASSERT_TRUE(icon);
    const assets::Png small = assets::readPng(ZORVANE_SOURCE_DIR "/packaging/icons/zorvane-32.png");
    ASSERT_EQ(small.error, "");
    ASSERT_EQ(small.width, 32);
    ASSERT_EQ(small.height, 32);
    int differ = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const uint8_t* p = &small.rgb[(y * 32 + x) * 3];
            differ += pixel(icon.get(), x, y) != ((uint32_t(p[0]) << 16) | (p[1] << 8) | p[2]);
        }
    EXPECT_EQ(differ, 0);
    const assets::Png large = assets::readPng(ZORVANE_SOURCE_DIR "/packaging/icons/zorvane-48.png");
    EXPECT_EQ(large.error, "");
    EXPECT_EQ(large.width, 48);
    EXPECT_EQ(large.height, 48);
}

TEST(Sounds, EffectsAre16BitAt22050LoadAndNeverClip) {
    const struct {
        const char* key;
        double longest;
    } effects[] = {{"kreel", 1.5}, {"damage", 1.5}, {"destroy1", 0.5}, {"kin", 1.5}};
    for (const auto& e : effects) {
        const std::string path = std::string("resource/sound/") + e.key + ".wav";
        SCOPED_TRACE(path);
        std::unique_ptr<Mix_Chunk, decltype(&Mix_FreeChunk)> chunk(Mix_LoadWAV(path.c_str()),
                                                                   Mix_FreeChunk);
        EXPECT_TRUE(chunk) << SDL_GetError();
        const assets::Wav w = assets::readWav(path);
        ASSERT_EQ(w.error, "");
        EXPECT_EQ(w.format, 1);
        EXPECT_EQ(w.bits, 16);
        EXPECT_EQ(w.rate, 22050);
        ASSERT_GE(w.channels, 1);
        ASSERT_FALSE(w.samples.empty());
        EXPECT_LT(double(w.samples.size()) / w.channels / w.rate, e.longest);
        int peak = 0, clipped = 0;
        for (int16_t s : w.samples) {
            peak = std::max(peak, std::abs(int(s)));
            clipped += s >= 32767 || s <= -32767;
        }
        EXPECT_EQ(clipped, 0);
        EXPECT_GT(peak, 16000) << "too quiet to be heard over the music";
        EXPECT_LT(std::abs(int(w.samples.front())), 1024) << "starts with a click";
        EXPECT_LT(std::abs(int(w.samples.back())), 1024) << "ends with a click";
    }
}

TEST(Music, LoadsLastsOneToTwoMinutesAndLoopsWithoutAJump) {
    std::unique_ptr<Mix_Music, decltype(&Mix_FreeMusic)> music(
        Mix_LoadMUS("resource/sound/bgm.ogg"), Mix_FreeMusic);
    EXPECT_TRUE(music) << SDL_GetError();
    const assets::Pcm pcm = assets::decodeOgg("resource/sound/bgm.ogg");
    ASSERT_EQ(pcm.error, "");
    EXPECT_EQ(pcm.rate, 22050);
    ASSERT_EQ(pcm.channels, 2);
    ASSERT_EQ(pcm.samples.size(), size_t(pcm.frames) * 2)
        << "declared length differs from the audio";
    const double seconds = double(pcm.frames) / pcm.rate;
    EXPECT_GE(seconds, 60.0);
    EXPECT_LE(seconds, 120.0);

    int clipped = 0;
    for (int16_t s : pcm.samples)
        clipped += s >= 32767 || s <= -32767;
    EXPECT_EQ(clipped, 0);
    // At the loop the last frame is followed by the first. That step must be no bigger than the
    // steps the music takes within 10 ms either side of it, or the loop clicks; and neither end
    // may fall silent, or the loop has a gap.
    const size_t n = pcm.samples.size(), window = 2 * 220;
    double all = 0;
    for (int16_t s : pcm.samples)
        all += double(s) * s;
    for (int ch = 0; ch < 2; ++ch) {
        int largest = 0;
        double head = 0, tail = 0;
        for (size_t i = ch; i + 2 < window; i += 2) {
            const int h = pcm.samples[i], t = pcm.samples[n - window + i];
            largest = std::max({largest, std::abs(pcm.samples[i + 2] - h),
                                std::abs(pcm.samples[n - window + i + 2] - t)});
            head += double(h) * h;
            tail += double(t) * t;
        }
        EXPECT_LE(std::abs(pcm.samples[ch] - pcm.samples[n - 2 + ch]), largest) << "channel " << ch;
        const double loud = all / n, quiet = 0.01 * loud;
        EXPECT_GT(head / (window / 2), quiet) << "silent start, channel " << ch;
        EXPECT_GT(tail / (window / 2), quiet) << "silent end, channel " << ch;
    }
}
