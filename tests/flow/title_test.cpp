// Title screen and input wrappers: level keys with their 10-frame wait, limits, sums, and what is drawn where.
#include "../plix/MediaFiles.h"
#include "flow/Input.h"
#include "flow/Title.h"
#include "objects/World.h"
#include "plix/Plix.h"
#include "plix/PlixMedia.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <vector>

using namespace testsupport;

namespace {

constexpr int KEY_Z = 122;
constexpr int KEY_X = 120;
constexpr int KEY_UP = 273;
constexpr int KEY_DOWN = 274;
constexpr int KEY_RIGHT = 275;
constexpr int KEY_LEFT = 276;
constexpr int LEVEL_Y = 384;
constexpr int PROMPT_Y = 360;
constexpr int TEXT_X = 40;

class TitleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        initMedia();
        releaseAllKeys();
        snapshot();
        snapshot();
        level = 0;
        levelKeyWait = 0;
    }

    // One title frame as the loop runs it: the snapshot of the frame before, then the step.
    static void frame(std::initializer_list<int> held) {
        releaseAllKeys();
        for (int key : held) setKey(key, true);
        snapshot();
        titleStep();
    }

    // The screen rows [y, y + 20) from column x on.
    static std::vector<Uint32> band(int x, int y) {
        std::vector<Uint32> pixels;
        for (int row = y; row < y + 20; ++row)
            for (int col = x; col < 320; ++col) pixels.push_back(mediafiles::screenPixel(col, row));
        return pixels;
    }

    // The same band as it looks with text alone drawn on the title's background.
    static std::vector<Uint32> bandOfText(const char* text, int x, int y) {
        Plix_fillRect(0, 0, 0, 0, 32, 32, 32);
        Plix_drawText(text, x, y, 255);
        return band(x, y);
    }
};

TEST_F(TitleTest, HeldUpChangesTheLevelOnceEveryElevenFrames) {
    std::vector<int> changedIn;
    for (int f = 1; f <= 23; ++f) {
        int before = level;
        frame({KEY_UP});
        if (level != before) changedIn.push_back(f);
    }
    EXPECT_EQ(changedIn, (std::vector<int>{1, 12, 23}));
    EXPECT_EQ(level, 3);
    EXPECT_EQ(levelKeyWait, LEVEL_KEY_WAIT);
}

TEST_F(TitleTest, WaitRunsDownWithOrWithoutKeys) {
    frame({KEY_UP});
    for (int f = 0; f < LEVEL_KEY_WAIT; ++f) frame({});
    EXPECT_EQ(levelKeyWait, 0);
    frame({KEY_DOWN});
    EXPECT_EQ(level, 0);
    EXPECT_EQ(levelKeyWait, LEVEL_KEY_WAIT);
}

TEST_F(TitleTest, LevelStaysBetweenZeroAndFifty) {
    struct Case {
        int from;
        int key;
        int to;
    };
    const Case cases[] = {
        {0, KEY_DOWN, 0}, {0, KEY_LEFT, 0},   {50, KEY_UP, 50}, {50, KEY_RIGHT, 50},
        {48, KEY_RIGHT, 50}, {2, KEY_LEFT, 0}, {49, KEY_UP, 50}, {1, KEY_DOWN, 0},
    };
    for (const Case& c : cases) {
        level = c.from;
        levelKeyWait = 0;
        frame({c.key});
        EXPECT_EQ(level, c.to) << "from " << c.from << " with key " << c.key;
        EXPECT_EQ(levelKeyWait, LEVEL_KEY_WAIT) << "a refused change still starts the wait";
    }
}

TEST_F(TitleTest, DirectionsHeldTogetherAddUpBeforeTheLimits) {
    level = 10;
    frame({KEY_UP, KEY_RIGHT});
    EXPECT_EQ(level, 16);
    level = 10;
    levelKeyWait = 0;
    frame({KEY_LEFT, KEY_DOWN});
    EXPECT_EQ(level, 4);
    level = 10;
    levelKeyWait = 0;
    frame({KEY_UP, KEY_DOWN});
    EXPECT_EQ(level, 10);
    EXPECT_EQ(levelKeyWait, LEVEL_KEY_WAIT);
    // 1 - 1 - 5 would be -5 and 46 + 1 + 5 would be 52: the limits apply to the sum.
    level = 1;
    levelKeyWait = 0;
    frame({KEY_DOWN, KEY_LEFT});
    EXPECT_EQ(level, 0);
    level = 3;
    levelKeyWait = 0;
    frame({KEY_UP, KEY_DOWN, KEY_LEFT, KEY_RIGHT});
    EXPECT_EQ(level, 3);
    level = 46;
    levelKeyWait = 0;
    frame({KEY_UP, KEY_RIGHT});
    EXPECT_EQ(level, 50);
}

TEST_F(TitleTest, LevelLineShowsTheValueFromBeforeThisFramesChange) {
    level = 7;
    frame({KEY_UP});
    ASSERT_EQ(level, 8);
    std::vector<Uint32> changeFrame = band(TEXT_X, LEVEL_Y);
    frame({});
    std::vector<Uint32> nextFrame = band(TEXT_X, LEVEL_Y);
    EXPECT_EQ(changeFrame, bandOfText("LEVEL : 7", TEXT_X, LEVEL_Y));
    EXPECT_EQ(nextFrame, bandOfText("LEVEL : 8", TEXT_X, LEVEL_Y));
    EXPECT_NE(bandOfText("LEVEL : 7", TEXT_X, LEVEL_Y), bandOfText("LEVEL : 8", TEXT_X, LEVEL_Y));
}

TEST_F(TitleTest, ClearsAndDrawsPictureAndPromptInPlace) {
    Plix_fillRect(0, 0, 0, 0, 255, 0, 0);
    frame({});
    EXPECT_TRUE(mediafiles::screenIs(0, 0, 32, 32, 32));
    EXPECT_TRUE(mediafiles::screenIs(319, 479, 32, 32, 32));
    EXPECT_TRUE(mediafiles::screenIs(29, 60, 32, 32, 32));
    EXPECT_TRUE(mediafiles::screenIs(30, 59, 32, 32, 32));

    // The picture, whole and opaque, with its top-left corner at (30, 60).
    SDL_Surface* picture = plixMedia.images.at("title");
    SDL_Surface* expected = SDL_CreateRGBSurface(SDL_SWSURFACE, 320, 480, 8, 0, 0, 0, 0);
    ASSERT_NE(expected, nullptr);
    SDL_SetColors(expected, plixMedia.screen->format->palette->colors, 0, plixMedia.screen->format->palette->ncolors);
    SDL_FillRect(expected, nullptr, SDL_MapRGB(expected->format, 32, 32, 32));
    SDL_Rect at = {30, 60, 0, 0};
    SDL_BlitSurface(picture, nullptr, expected, &at);
    int differing = 0;
    SDL_LockSurface(expected);
    for (int y = 60; y < 60 + picture->h; ++y)
        for (int x = 30; x < 30 + picture->w && x < 320; ++x)
            differing += static_cast<Uint8*>(expected->pixels)[y * expected->pitch + x] != mediafiles::screenPixel(x, y);
    SDL_UnlockSurface(expected);
    SDL_FreeSurface(expected);
    EXPECT_EQ(differing, 0);

    std::vector<Uint32> prompt = band(TEXT_X, PROMPT_Y);
    EXPECT_EQ(prompt, bandOfText("PUSH 'Z' or Joystick'1'", TEXT_X, PROMPT_Y));
    EXPECT_NE(prompt, bandOfText("", TEXT_X, PROMPT_Y)) << "the font draws nothing for the prompt";
}

TEST_F(TitleTest, WrappersTakeTheKeyOrElseTheJoystick) {
    setKey(KEY_Z, true);
    setKey(KEY_X, true);
    snapshot();
    EXPECT_TRUE(inputZ());
    EXPECT_TRUE(inputZPushed());
    EXPECT_TRUE(inputXPushed());
    snapshot();
    EXPECT_TRUE(inputZ());
    EXPECT_FALSE(inputZPushed());
    EXPECT_FALSE(inputXPushed());
    releaseAllKeys();
    snapshot();

    mediafiles::FakeStick stick;
    plixMedia.joyButtonNow = {true, true};
    EXPECT_TRUE(inputZ());
    EXPECT_TRUE(inputZPushed());
    EXPECT_TRUE(inputXPushed());
    plixMedia.joyButtonBefore = {true, true};
    EXPECT_TRUE(inputZ());
    EXPECT_FALSE(inputZPushed());
    EXPECT_FALSE(inputXPushed());

    plixMedia.joyAxisNow[0] = -32768;
    plixMedia.joyAxisNow[1] = 32767;
    EXPECT_TRUE(inputLeft());
    EXPECT_TRUE(inputDown());
    EXPECT_FALSE(inputRight());
    EXPECT_FALSE(inputUp());
    // The stick picks the level like the keys: left and down together from 20.
    level = 20;
    levelKeyWait = 0;
    titleStep();
    EXPECT_EQ(level, 14);
    plixMedia.joyAxisNow[0] = 32767;
    plixMedia.joyAxisNow[1] = -32768;
    EXPECT_TRUE(inputRight());
    EXPECT_TRUE(inputUp());
}

} // namespace
