// Scene machine: title to game on a push of z, one GameMain reused, game to end roll, end roll back to title.
#include "../plix/MediaFiles.h"
#include "flow/GameEndRoll.h"
#include "flow/GameMain.h"
#include "flow/Scene.h"
#include "flow/Title.h"
#include "objects/World.h"
#include "plix/Plix.h"
#include "plix/PlixMedia.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

constexpr int KEY_Z = 122;
constexpr int KEY_UP = 273;

class SceneTest : public ::testing::Test {
  protected:
    void SetUp() override {
        initMedia();
        releaseAllKeys();
        snapshot();
        snapshot();
        scene = SCENE_TITLE;
        level = 0;
        levelKeyWait = 0;
    }

    // One frame as the loop runs it: the snapshot of the frame before, then the scene step.
    static void frame(std::initializer_list<int> held) {
        releaseAllKeys();
        for (int key : held) setKey(key, true);
        snapshot();
        sceneStep();
    }

    // From the title into a game, through the real z push.
    static void startGame() {
        scene = SCENE_TITLE;
        frame({});
        frame({KEY_Z});
        frame({});
    }
};

TEST_F(SceneTest, ZPushLeavesTheTitleInTheFrameThatSeesIt) {
    frame({});
    EXPECT_EQ(scene, SCENE_TITLE);
    // The title's own step still runs in the leaving frame: up held with z changes the level too.
    frame({KEY_Z, KEY_UP});
    EXPECT_EQ(scene, SCENE_GAME);
    EXPECT_EQ(level, 1);
    ASSERT_NE(gameMain, nullptr);
    // The game is set up but has not run a frame yet; its music, the Ogg file, is playing.
    EXPECT_EQ(gameMain->state, GM_START);
    EXPECT_NE(plixMedia.music, nullptr);
    EXPECT_EQ(Mix_PlayingMusic(), 1);
    frame({KEY_Z});
    EXPECT_EQ(scene, SCENE_GAME);
    EXPECT_EQ(gameMain->state, GM_PLAY);
    EXPECT_EQ(level, 1) << "the game never changes the level";
}

TEST_F(SceneTest, HeldZOnTheTitleIsNotAPush) {
    frame({KEY_Z});
    ASSERT_EQ(scene, SCENE_GAME);
    scene = SCENE_TITLE;
    for (int f = 0; f < 5; ++f) frame({KEY_Z});
    EXPECT_EQ(scene, SCENE_TITLE);
}

TEST_F(SceneTest, LaterGamesReuseTheOneGameMainFromZero) {
    startGame();
    GameMain* first = gameMain;
    ASSERT_NE(first, nullptr);
    first->score = 1234;
    first->gauge = 77;
    first->time = 500;
    startGame();
    EXPECT_EQ(gameMain, first);
    EXPECT_EQ(gameMain->score, 0);
    EXPECT_EQ(gameMain->gauge, 0);
    EXPECT_EQ(gameMain->time, 0);
}

TEST_F(SceneTest, ClearConfirmedWithZGoesToAFreshEndRollThenZBackToTheTitle) {
    startGame();
    ASSERT_EQ(scene, SCENE_GAME);
    gameMain->state = GM_CLEAR_WAIT;
    gameMain->timer = 0;
    frame({KEY_Z});
    ASSERT_EQ(scene, SCENE_END_ROLL);
    ASSERT_NE(gameEndRoll, nullptr);
    EXPECT_FALSE(gameEndRoll->finished);
    EXPECT_EQ(gameEndRoll->scroll, 0) << "the end roll runs from the next frame on";

    // Not finished: z does nothing here.
    frame({});
    frame({KEY_Z});
    EXPECT_EQ(scene, SCENE_END_ROLL);
    gameEndRoll->finished = true;
    frame({});
    EXPECT_EQ(scene, SCENE_END_ROLL);
    frame({KEY_Z});
    EXPECT_EQ(scene, SCENE_TITLE);
    // The push that left the end roll does not also start a game.
    frame({KEY_Z});
    EXPECT_EQ(scene, SCENE_TITLE);

    // A game begun after an end roll stays a game, and its clear brings a new, unfinished roll.
    startGame();
    EXPECT_EQ(scene, SCENE_GAME);
    EXPECT_FALSE(gameMain->toEndRoll);
    gameMain->state = GM_CLEAR_WAIT;
    frame({KEY_Z});
    ASSERT_EQ(scene, SCENE_END_ROLL);
    EXPECT_FALSE(gameEndRoll->finished);
}

} // namespace
