// Images and rectangles to the pixel: the fill rule, the three colour-key rules, source rectangles.
#include "plix/Plix.h"
#include "plix/PlixMedia.h"
#include "support/MediaFiles.h"
#include "support/TestSupport.h"

#include <algorithm>
#include <fstream>

#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <tuple>
#include <unistd.h>

namespace {

using testsupport::letters;

class DrawTest : public ::testing::Test {
  protected:
    SDL_Surface* realScreen = nullptr;
    SDL_Surface* canvas = nullptr;

    void SetUp() override {
        if (!plixMedia.initialized) {
            ASSERT_EQ(chdir(testsupport::scratchDir("draw").c_str()), 0);
            Plix_init("draw", 320, 480, false);
        }
        // The dummy driver's screen is 8-bit on classic SDL and 32-bit on sdl12-compat; on a 32-bit
        // one of the test's own every colour reads back exactly.
        canvas = SDL_CreateRGBSurface(SDL_SWSURFACE, 320, 480, 32, 0xff0000, 0xff00, 0xff, 0);
        realScreen = plixMedia.screen;
        plixMedia.screen = canvas;
        Plix_fillRect(0, 0, 0, 0, 32, 32, 32);
    }
    void TearDown() override {
        plixMedia.screen = realScreen;
        SDL_FreeSurface(canvas);
    }

    // How many pixels of the whole screen are not the clear grey.
    static int painted() {
        const std::string all = letters(0, 0, 320, 480);
        return int(all.size() - std::count(all.begin(), all.end(), '.') - 479);
    }
};

TEST_F(DrawTest, FillsTheRectangleExactlyAndOnlyBothSizesZeroMeanToTheFarEdges) {
    // x, y, w, h, what the 6 x 4 area at (8, 8) shows, and how many screen pixels are painted.
    const std::tuple<int, int, int, int, const char*, int> cases[] = {
        {10, 9, 3, 2, "......|..ccc.|..ccc.|......", 6},
        {12, 10, 0, 0, "......|......|....cc|....cc", 308 * 470},
        {10, 9, 0, 5, "......|......|......|......", 0},
        {10, 9, 5, 0, "......|......|......|......", 0},
        {-2, 8, 4, 1, "......|......|......|......", 2},
        {316, 476, 10, 10, "......|......|......|......", 16},
    };
    for (const auto& [x, y, w, h, shows, count] : cases) {
        SCOPED_TRACE(std::to_string(x) + ", " + std::to_string(y) + ", " + std::to_string(w) +
                     ", " + std::to_string(h));
        Plix_fillRect(0, 0, 0, 0, 32, 32, 32);
        Plix_fillRect(x, y, w, h, 1, 2, 3);
        EXPECT_EQ(letters(8, 8, 6, 4), shows);
        EXPECT_EQ(painted(), count);
    }
    // Red, green and blue land in their own channels.
    Plix_fillRect(0, 0, 0, 0, 200, 100, 50);
    const std::string all = testsupport::picture();
    EXPECT_EQ(all.substr(0, 3) + all.substr(all.size() - 4, 3), "\x32\x64\xc8\x32\x64\xc8");
}

// An 8-bit surface whose palette runs from dark to bright, or from bright to dark when reversed, so
// that a colour's nearest entry changes with every palette below.
SDL_Surface* palettized(bool reversed) {
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, 16, 16, 8, 0, 0, 0, 0);
    if (!s) return nullptr;
    SDL_Color colours[256];
    for (int i = 0; i < 256; ++i) {
        const int v = reversed ? 255 - i : i;
        colours[i] = {Uint8(v), Uint8(v / 2), Uint8(255 - v), 0};
    }
    SDL_SetColors(s, colours, 0, 256);
    return s;
}

TEST_F(DrawTest, APalettizedScreenGetsTheColourSdlMapsWhateverChangedBefore) {
    // Each step puts a screen in place (or changes its palette), then fills with every colour.
    // (1, 0, 0) and (0, 0, 7) share a slot of the colour memory; each must still get its own pixel.
    SDL_Surface* first = palettized(false);
    SDL_Surface* second = palettized(true);
    SDL_Surface* third = nullptr;
    ASSERT_TRUE(first && second);
    const Uint8 colours[][3] = {{1, 0, 0},     {0, 0, 7},    {1, 0, 0}, {200, 100, 55},
                                {255, 255, 0}, {32, 32, 32}, {0, 0, 7}, {90, 45, 165}};
    const std::tuple<const char*, std::function<void()>> steps[] = {
        {"an 8-bit screen", [&] { plixMedia.screen = first; }},
        {"another format with the opposite palette", [&] { plixMedia.screen = second; }},
        {"a 32-bit screen between", [&] { plixMedia.screen = canvas; }},
        {"back to the first", [&] { plixMedia.screen = first; }},
        {"its palette changed in place",
         [&] {
             SDL_Color reversed[256];
             for (int i = 0; i < 256; ++i)
                 reversed[i] = second->format->palette->colors[i];
             SDL_SetColors(first, reversed, 0, 256);
         }},
        {"a new format, maybe at a freed one's address",
         [&] {
             SDL_FreeSurface(second);
             second = nullptr;
             third = palettized(false);
             plixMedia.screen = third;
         }},
    };
    for (const auto& [name, step] : steps) {
        SCOPED_TRACE(name);
        step();
        SDL_Surface* screen = plixMedia.screen;
        for (const auto& c : colours) {
            Plix_fillRect(5, 5, 1, 1, c[0], c[1], c[2]);
            Uint32 got = 0;
            std::memcpy(&got,
                        static_cast<const Uint8*>(screen->pixels) + 5 * screen->pitch +
                            5 * screen->format->BytesPerPixel,
                        screen->format->BytesPerPixel);
            EXPECT_EQ(got, SDL_MapRGB(screen->format, c[0], c[1], c[2]))
                << int(c[0]) << ", " << int(c[1]) << ", " << int(c[2]);
        }
    }
    plixMedia.screen = canvas;
    SDL_FreeSurface(first);
    SDL_FreeSurface(second);
    SDL_FreeSurface(third);
}

// A 4 x 2 picture of 8 or 24 bits, magenta top-left.
bool writePicture(const std::string& path, int depth) {
    mediafiles::Bmp b;
    b.bits = uint16_t(depth);
    b.rows = {"MRKG", "BMWR"};
    return bool(std::ofstream(path, std::ios::binary) << b.bytes());
}

TEST_F(DrawTest, ColourKeysTopLeftGivenOrNoneAndSourceRectangles) {
    for (int depth : {8, 24})
        ASSERT_TRUE(writePicture("picture" + std::to_string(depth) + ".bmp", depth));
    // Key, file depth, red green blue of the load, then srcX srcY srcW srcH of the draw, and what
    // the 6 x 2 area at (9, 20) shows after a draw at (10, 20).
    const std::tuple<const char*, int, int, int, int, int, int, int, int, const char*> cases[] = {
        {"top-left 24, green and blue ignored", 24, -1, 9, 9, 0, 0, 0, 0, "..RKG.|.B.WR."},
        {"top-left 8", 8, -1, 0, 0, 0, 0, 0, 0, "..RKG.|.B.WR."},
        {"red", 24, 255, 0, 0, 0, 0, 0, 0, ".M.KG.|.BMW.."},
        {"black", 8, 0, 0, 0, 0, 0, 0, 0, ".MR.G.|.BMWR."},
        {"opaque", 24, -2, 0, 0, 0, 0, 0, 0, ".MRKG.|.BMWR."},
        {"opaque too", 8, -7, 0, 0, 0, 0, 0, 0, ".MRKG.|.BMWR."},
        {"a part", 24, -2, 0, 0, 1, 1, 2, 1, ".MW...|......"},
        {"one size 0: the whole size", 24, -2, 0, 0, 1, 0, 8, 0, ".RKG..|.MWR.."},
        {"the other size 0", 24, -2, 0, 0, 2, 1, 0, 5, ".WR...|......"},
    };
    int n = 0;
    for (const auto& [name, depth, red, green, blue, sx, sy, sw, sh, shows] : cases) {
        SCOPED_TRACE(name);
        const std::string key = "picture " + std::to_string(++n);
        Plix_loadBMP(key, "picture" + std::to_string(depth) + ".bmp", red, green, blue);
        Plix_fillRect(0, 0, 0, 0, 32, 32, 32);
        Plix_draw(key.c_str(), 10, 20, sx, sy, sw, sh);
        EXPECT_EQ(letters(9, 20, 6, 2), shows);
    }
    // The visible right-hand part of a picture that starts left of the screen.
    Plix_fillRect(0, 0, 0, 0, 32, 32, 32);
    Plix_draw("picture 5", -2, 0, 0, 0, 0, 0);
    EXPECT_EQ(letters(0, 0, 3, 2), "KG.|WR.");
    EXPECT_EQ(painted(), 4);
}

} // namespace
