// The whole game as a player lives it, driven through the scene machine with scripted keys: title,
// game, clear, end roll, title and the next game; and a game over followed by a restart.
#include "flow/GameEndRoll.h"
#include "flow/GameMain.h"
#include "flow/Scene.h"
#include "objects/Enemy.h"
#include "objects/ItemBomb.h"
#include "objects/Player.h"
#include "objects/Random.h"
#include "objects/ShotBullet.h"
#include "objects/World.h"
#include "plix/Plix.h"
#include "support/TestSupport.h"

#include "MusicSpy.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace {

constexpr int KEY_X = 120;
constexpr int KEY_Z = 122;
constexpr int KEY_UP = 273;

constexpr int KEY_DOWN = 274;
constexpr int KEY_RIGHT = 275;
constexpr int KEY_LEFT = 276;

struct Keys {
    bool z, x, up, down = false, left = false, right = false;
};
constexpr Keys NONE{false, false, false};
constexpr Keys Z{true, false, false};
constexpr Keys X{false, true, false};
constexpr Keys UP{false, false, true};

// How close the next eight frames bring bullets and enemies to the point (x, y).
float danger(float x, float y) {
    float d = 0;
    for (const Bullet& b : *bulletManager) {
        if (!b.exists) continue;
        for (int t = 1; t <= 8; ++t) {
            float near = 24 - std::hypot(b.x + b.vx * t - x, b.y + b.vy * t - y);
            if (near > 0) d += near * near / t;
        }
    }
    for (const Enemy& e : *enemyManager) {
        if (!e.exists) continue;
        float near =
            20 - std::max(std::fabs(e.x - x) - e.width / 2, std::fabs(e.y - y) - e.height / 2);
        if (near > 0) d += near * near * 4;
    }
    return d;
}

bool inCatchBox(const Token& pod, const Bullet& b) {
    return std::fabs(b.x - pod.x) < Player::CATCH_SIZE / 2 &&
           std::fabs(b.y - pod.y) < Player::CATCH_SIZE / 2;
}

// A player who reads the field: steps to the safest of the nine moves near the bottom, fetches
// items while the pods are lost, and captures once bullets are in reach and the charge is ready.
Keys playerKeys(bool zBefore) {
    Keys k = NONE;
    float best = 1e30f;
    for (int dx = -1; dx <= 1; ++dx) {
        for (int dy = -1; dy <= 1; ++dy) {
            float step = Player::SPEED_NORMAL / (dx && dy ? std::sqrt(2.0f) : 1.0f);
            float x = player->x + dx * step, y = player->y + dy * step;
            if (x < 10 || x > 310 || y < 200 || y > 470) continue;
            float v = danger(x, y) + 0.01f * (std::fabs(x - 160) + std::fabs(y - 400));
            for (const Item& i : *itemManager)
                if (i.exists && !player->hasPods) v += 0.05f * std::hypot(i.x - x, i.y - y);
            if (v < best) {
                best = v;
                k.left = dx<0, k.right = dx> 0, k.up = dy<0, k.down = dy> 0;
            }
        }
    }
    if (player->hasPods && player->charge >= Player::CHARGE_COST && !zBefore) {
        for (const Bullet& b : *bulletManager)
            if (b.exists && (inCatchBox(player->podLeft, b) || inCatchBox(player->podRight, b)))
                k.z = true;
    }
    return k;
}

class CycleTest : public ::testing::Test {
  protected:
    std::vector<int> scenes; // every scene entered, in order, starting with the current one

    void SetUp() override {
        testsupport::initMedia();
        randSeed(2026);
        testsupport::releaseAllKeys();
        testsupport::snapshot();
        testsupport::snapshot();
        scene = SCENE_TITLE;
        scenes = {scene};
        musicspy::calls().clear();
    }
    // One pass of the frame loop: the snapshot this frame reads, the scene step, the flip.
    void frame(Keys k = NONE) {
        testsupport::setKey(KEY_Z, k.z);
        testsupport::setKey(KEY_X, k.x);
        testsupport::setKey(KEY_UP, k.up);
        testsupport::setKey(KEY_DOWN, k.down);
        testsupport::setKey(KEY_LEFT, k.left);
        testsupport::setKey(KEY_RIGHT, k.right);
        testsupport::snapshot();
        sceneStep();
        Plix_flip();
        if (scene != scenes.back()) scenes.push_back(scene);
    }
    // A push is a key that was up in the snapshot before: release first, then press.
    void push(Keys k) {
        frame();
        frame(k);
    }
    void expectFreshGame() {
        EXPECT_FALSE(gameMain->toEndRoll);
        EXPECT_EQ(gameMain->state, GM_START);
        EXPECT_EQ(gameMain->score, 0);
        EXPECT_EQ(gameMain->time, 0);
        EXPECT_EQ(gameMain->gauge, 0);
        EXPECT_EQ(gameMain->maxRatio, 0);
        EXPECT_EQ(gameMain->bonus, 0);
        ASSERT_FALSE(musicspy::calls().empty());
        EXPECT_EQ(musicspy::calls().back().name, "play");
        EXPECT_EQ(musicspy::calls().back().arg, 3000);
    }
    Enemy& boss() { return enemyManager->getTokens()[0]; }
};

TEST_F(CycleTest, TitleGameClearEndRollTitleGame) {
    // Choose the level on the title: up held from a rest gives one step, then one every 11 frames.
    level = 0;
    for (int i = 0; i < 12; ++i)
        frame(UP);
    ASSERT_EQ(level, 2);
    frame();
    EXPECT_TRUE(musicspy::calls().empty()) << "the title is silent";

    frame(Z);
    ASSERT_EQ(scene, SCENE_GAME);
    ASSERT_NE(gameMain, nullptr);
    GameMain* first = gameMain;
    expectFreshGame();

    // A real fight: bombs made of captured bullets bring the boss down.
    int frames = 0;
    bool zBefore = false;
    while (gameMain->state != GM_CLEAR && gameMain->state != GM_OVER && frames < 5000) {
        Keys k = player->exists ? playerKeys(zBefore) : NONE;
        frame(k);
        zBefore = k.z;
        ++frames;
    }
    ASSERT_EQ(gameMain->state, GM_CLEAR) << "after " << frames << " frames";
    EXPECT_FALSE(boss().exists);
    EXPECT_EQ(boss().hp, 0) << "shot down, not timed out";
    EXPECT_EQ(scene, SCENE_GAME);
    int score = gameMain->score, time = gameMain->time;
    EXPECT_GE(score, ENEMY_SCORES[0]);
    EXPECT_GT(time, 0);

    // A z push during the white band is only the ship's capture; the game ends in the wait after
    // it.
    push(Z);
    EXPECT_FALSE(gameMain->toEndRoll);
    int band = 2;
    while (gameMain->state == GM_CLEAR && band < 1000) {
        frame();
        ++band;
    }
    EXPECT_EQ(band, 112);
    ASSERT_EQ(gameMain->state, GM_CLEAR_WAIT);
    for (int i = 0; i < 200; ++i)
        frame();
    EXPECT_EQ(scene, SCENE_GAME) << "the clear waits for z";
    EXPECT_EQ(gameMain->time, time) << "the clear does not count as play time";

    // The game's music plays on through the whole fight and the clear.
    EXPECT_EQ(musicspy::calls().size(), 1u);
    musicspy::calls().clear();
    push(Z);
    ASSERT_EQ(scene, SCENE_END_ROLL);
    ASSERT_NE(gameEndRoll, nullptr);
    ASSERT_EQ(musicspy::calls().size(), 1u);
    EXPECT_EQ(musicspy::calls()[0].name, "play");
    EXPECT_EQ(musicspy::calls()[0].arg, -1);

    // z while rolling is ignored; x cuts the roll at the next row change (frame 42 of the roll).
    push(Z); // roll frames 1 and 2
    EXPECT_EQ(scene, SCENE_END_ROLL);
    EXPECT_FALSE(gameEndRoll->finished);
    for (int f = 3; f < 20; ++f)
        frame();
    frame(X); // frame 20
    for (int f = 21; f < 42; ++f)
        frame();
    EXPECT_FALSE(gameEndRoll->finished);
    frame();
    EXPECT_TRUE(gameEndRoll->finished);
    ASSERT_EQ(musicspy::calls().size(), 2u);
    EXPECT_EQ(musicspy::calls()[1].name, "fadeOut");
    EXPECT_EQ(musicspy::calls()[1].arg, 3000);
    EXPECT_EQ(gameMain->score, score);
    EXPECT_EQ(gameMain->time, time);

    // x on the final screen does nothing; z returns to the title, and that push starts no game.
    push(X);
    EXPECT_EQ(scene, SCENE_END_ROLL);
    push(Z);
    ASSERT_EQ(scene, SCENE_TITLE);
    for (int i = 0; i < 30; ++i)
        frame(Z);
    EXPECT_EQ(scene, SCENE_TITLE);
    EXPECT_TRUE(gameMain->toEndRoll) << "no start() ran behind the title";
    EXPECT_EQ(musicspy::calls().size(), 2u) << "the title that follows is silent";
    EXPECT_TRUE(Mix_FadingMusic() == MIX_FADING_OUT || !Mix_PlayingMusic());

    // What a played game leaves behind, so that each reset below has something to undo.
    gameMain->gauge = 47;
    gameMain->maxRatio = 4;
    gameMain->bonus = 2;
    push(Z);
    ASSERT_EQ(scene, SCENE_GAME);
    EXPECT_EQ(gameMain, first) << "every game reuses the one GameMain";
    expectFreshGame();
    EXPECT_EQ(level, 2) << "the level carries over";
    EXPECT_TRUE(boss().exists);
    frame();
    frame();
    EXPECT_EQ(gameMain->state, GM_PLAY);
    EXPECT_EQ(gameMain->time, 1);

    EXPECT_EQ(scenes,
              (std::vector<int>{SCENE_TITLE, SCENE_GAME, SCENE_END_ROLL, SCENE_TITLE, SCENE_GAME}));
}

TEST_F(CycleTest, GameOverRestartsInsideTheGameScene) {
    level = 0;
    push(Z);
    ASSERT_EQ(scene, SCENE_GAME);
    // The ship flies up into the boss: the first contact costs the pods, the second the ship.
    int frames = 0;
    while (gameMain->state != GM_OVER && frames < 2000) {
        frame(UP);
        ++frames;
    }
    ASSERT_EQ(gameMain->state, GM_OVER);
    EXPECT_FALSE(player->exists);
    EXPECT_GT(gameMain->time, 0);
    ASSERT_FALSE(musicspy::calls().empty());
    EXPECT_EQ(musicspy::calls().back().name, "fadeOut");
    EXPECT_EQ(musicspy::calls().back().arg, 3000);

    for (int i = 0; i < 100; ++i)
        frame(i % 2 ? X : UP);
    EXPECT_EQ(gameMain->state, GM_OVER) << "only z restarts";
    gameMain->gauge = 30;
    gameMain->maxRatio = 1;
    gameMain->bonus = 1;
    push(Z);
    EXPECT_EQ(scene, SCENE_GAME);
    expectFreshGame();
    EXPECT_TRUE(player->exists);
    EXPECT_TRUE(player->hasPods);
    EXPECT_EQ(level, 0);
    EXPECT_EQ(scenes, (std::vector<int>{SCENE_TITLE, SCENE_GAME}));
}

} // namespace
