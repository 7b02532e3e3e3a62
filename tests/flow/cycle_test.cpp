// The whole game as a player lives it, driven through the scene machine with scripted keys: title,
// game, clear, end roll, title and the next game; and a game over followed by a restart.
#include "flow/GameEndRoll.h"
#include "flow/Scene.h"
#include "plix/Plix.h"
#include "support/FightSupport.h"

#include "MusicSpy.h"

#include <gtest/gtest.h>

using namespace fight;

namespace {

using Ints = std::vector<int>; // the keys held in a frame, the scenes entered
using Calls = std::vector<std::string>;

class CycleTest : public ::testing::Test {
  protected:
    Ints scenes; // every scene entered, in order, starting with the title

    void SetUp() override {
        simInitMedia();
        randSeed(2026);
        scene = SCENE_TITLE;
        scenes = {scene};
        musicCalls.clear();
    }
    // One pass of the frame loop: the snapshot this frame reads, the scene step, the flip.
    void frame(const Ints& held = {}) {
        testsupport::releaseAllKeys();
        for (int key : held)
            testsupport::setKey(key, true);
        testsupport::snapshot();
        sceneStep();
        Plix_flip();
        if (scene != scenes.back()) scenes.push_back(scene);
    }
    // A push is a key that was up in the snapshot before: release first, then press.
    void push(int key) {
        frame();
        frame({key});
    }
    // Leaves behind what a played game does, so that every reset of the next start has work.
    void expectFreshGameAfterZ() {
        gameMain->gauge = 47, gameMain->maxRatio = 4, gameMain->bonus = 2;
        musicCalls.clear();
        push(PLIX_KEY_Z);
        ASSERT_EQ(scene, SCENE_GAME);
        EXPECT_FALSE(gameMain->toEndRoll);
        EXPECT_EQ(gameMain->state, GM_START);
        EXPECT_EQ((Ints{gameMain->score, gameMain->time, gameMain->gauge, gameMain->maxRatio,
                        gameMain->bonus}),
                  Ints(5, 0))
            << "score, time, gauge, maxRatio, bonus";
        EXPECT_EQ(musicCalls, Calls{"play 3000"});
    }
};

TEST_F(CycleTest, TitleGameClearEndRollTitleGame) {
    level = 1;
    push(PLIX_KEY_Z);
    ASSERT_EQ(scene, SCENE_GAME);
    EXPECT_EQ(musicCalls, Calls{"play 3000"}) << "the title before is silent";

    // A charmed ship weaves low, firing, until the boss is shot down or ends itself.
    for (int f = 0; gameMain->state != GM_CLEAR_WAIT && f < 6000; ++f) {
        clearAroundShip();
        frame({f % 90 < 45 ? PLIX_KEY_LEFT : PLIX_KEY_RIGHT, PLIX_KEY_DOWN,
               f % 6 < 3 ? PLIX_KEY_Z : PLIX_KEY_X});
    }
    ASSERT_EQ(gameMain->state, GM_CLEAR_WAIT);
    EXPECT_FALSE(gameMain->toEndRoll) << "the z pushes of the white band only capture";
    EXPECT_EQ(musicCalls, Calls{"play 3000"}) << "the music plays on through the clear";

    push(PLIX_KEY_Z);
    ASSERT_EQ(scene, SCENE_END_ROLL);
    EXPECT_EQ(musicCalls, (Calls{"play 3000", "play -1"}));
    // z in roll frame 2 is ignored; x in frame 20 ends the roll at its first row change.
    int f = 0;
    while (!gameEndRoll->finished && f < 100) {
        ++f;
        frame(f == 2 ? Ints{PLIX_KEY_Z} : f == 20 ? Ints{PLIX_KEY_X} : Ints{});
    }
    EXPECT_EQ(f, 42);
    EXPECT_EQ(musicCalls, (Calls{"play 3000", "play -1", "fadeOut 3000"}));

    // x on the final screen does nothing; z returns to the title, and that push starts no game.
    push(PLIX_KEY_X);
    EXPECT_EQ(scene, SCENE_END_ROLL);
    push(PLIX_KEY_Z);
    for (int i = 0; i < 30; ++i)
        frame({PLIX_KEY_Z});
    EXPECT_EQ(scene, SCENE_TITLE);
    EXPECT_TRUE(gameMain->toEndRoll) << "no start() ran behind the title";
    EXPECT_EQ(musicCalls.size(), 3u) << "the title that follows is silent";
    EXPECT_TRUE(Mix_FadingMusic() == MIX_FADING_OUT || !Mix_PlayingMusic());

    expectFreshGameAfterZ();
    EXPECT_EQ(level, 1) << "the level carries over";
    EXPECT_EQ(scenes, (Ints{SCENE_TITLE, SCENE_GAME, SCENE_END_ROLL, SCENE_TITLE, SCENE_GAME}));
}

TEST_F(CycleTest, GameOverRestartsInsideTheGameScene) {
    level = 0;
    push(PLIX_KEY_Z);
    // The ship flies up into the boss: the first contact costs the pods, the second the ship.
    for (int f = 0; gameMain->state != GM_OVER && f < 2000; ++f)
        frame({PLIX_KEY_UP});
    ASSERT_EQ(gameMain->state, GM_OVER);
    EXPECT_EQ(musicCalls, (Calls{"play 3000", "fadeOut 3000"}));
    for (int i = 0; i < 100; ++i)
        frame({i % 2 ? PLIX_KEY_X : PLIX_KEY_UP});
    EXPECT_EQ(gameMain->state, GM_OVER) << "only z restarts";
    expectFreshGameAfterZ();
    EXPECT_TRUE(player->exists && player->hasPods);
    EXPECT_EQ(level, 0);
    EXPECT_EQ(scenes, (Ints{SCENE_TITLE, SCENE_GAME}));
}

} // namespace
