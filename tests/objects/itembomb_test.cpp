// Items and bombs: the pop and fall, the wide reach, the recovery, the burst and the clear. The
// pick-up's score, the pauses and the hit in pool order are checked with the scene in
// gamemain_test, captures with the player in player_test.
#include "support/FightSupport.h"

#include <gtest/gtest.h>

using namespace fight;

namespace {

// A game in play (past GM_START) at level 0 with the pods beside the ship.
void inPlay() {
    newGame(0, 5);
    gameMain->run();
    gameMain->run();
}

} // namespace

TEST(Item, PopsUpSlowsAndFallsOutOfTheField) {
    newGame(0);
    for (int i = 0; i < 65; ++i) // the 65th is ignored
        Item::create(160, 200, 270, -2, 0, 0);
    EXPECT_EQ(itemManager->count(), 64);
    itemManager->clear();
    Item::create(160, 200, 270, -2, 0, 0);
    Item& it = itemManager->getTokens()[0];
    EXPECT_TRUE(it.width == 40 && it.height == 40 && it.drawWidth == 16);
    float top = it.y, lastY = it.y;
    int topFrame = 0, frames = 0;
    for (; it.exists && frames < 1000; ++frames) {
        lastY = it.y;
        it.move();
        topFrame = it.y < top ? frames + 1 : topFrame;
        top = std::min(top, it.y);
    }
    // About 24 pixels up over the first 26 frames, then down towards 3 pixels a frame; gone in
    // the frame its 40 x 40 box leaves the bottom.
    EXPECT_TRUE(std::fabs(200 - top - 24) <= 1 && std::abs(topFrame - 26) <= 1) << top << topFrame;
    EXPECT_TRUE(it.age == frames && it.vy > 2.8 && it.vy < 3) << it.age << " " << it.vy;
    EXPECT_TRUE(lastY <= 500 && it.y > 500) << lastY << " " << it.y;
}

TEST(Item, ReachesTwentyOnePixelsAndBringsThePodsBack) {
    // Centres 20.9 apart touch, 21 apart do not, on either axis.
    struct Reach {
        float dx, dy;
        bool taken;
    } reaches[] = {
        {20.9f, 0, true}, {21, 0, false}, {0, 20.9f, true}, {0, 21, false}, {-20.9f, 0, true}};
    for (const Reach& r : reaches) {
        inPlay();
        Item::create(player->x + r.dx, player->y + r.dy, 0, 0, 0, 0);
        gameMain->run();
        EXPECT_EQ(gameMain->state, r.taken ? GM_ITEM_PAUSE : GM_PLAY) << r.dx << " " << r.dy;
        EXPECT_EQ(itemManager->count(), r.taken ? 0 : 1) << r.dx << " " << r.dy;
    }
    inPlay();
    player->hasPods = false;
    player->charge = 0;
    particleManager->clear();
    Item::create(player->x, player->y, 0, 0, 0, 0);
    gameMain->run();
    EXPECT_TRUE(player->hasPods && gameMain->score == 0 && gameMain->bonus == 0);
    EXPECT_EQ(player->charge, 121) << "120 from the item, then the frame's own 1";
    ASSERT_EQ(particleManager->count(), 1);
    EXPECT_EQ(particleManager->getTokens()[0].kind, PK_RECOVERY);
}

TEST(Bomb, BurstsOnAnEnemyLeavesTheTopQuietlyAndFliesOnThroughTheClear) {
    inPlay();
    particleManager->clear();
    Enemy::create(1, 100, 200, 32, 32, 0, 0);
    Bomb::create(100, 210, 90, 0, 0, 0);
    Bomb::create(200, 10, 90, 10, 0, 0);
    gameMain->run();
    EXPECT_EQ(enemyManager->getTokens()[1].hp, 20);
    EXPECT_EQ(bombManager->count(), 1);
    EXPECT_EQ(particleManager->count(), 4) << "four burst sparks";
    for (Particle* p : alive(particleManager))
        EXPECT_EQ(p->kind, PK_BOMB_BURST);
    EXPECT_EQ(bombManager->getTokens()[1].y, 0);
    while (gameMain->state == GM_BOMB_PAUSE)
        gameMain->run();
    gameMain->run();
    EXPECT_TRUE(bombManager->count() == 0 && particleManager->count() == 4) << "gone, no effect";
    Bomb::create(100, 300, 90, 10, 0, 0);
    // The clear stops the bullets, but the bombs keep flying.
    boss().damage(100000);
    ASSERT_EQ(gameMain->state, GM_CLEAR);
    fireBulletDirect(200, 300, 90, 5, 0, 0);
    gameMain->run();
    gameMain->run();
    EXPECT_EQ(bombManager->getTokens()[0].y, 280);
    EXPECT_EQ(bulletManager->getTokens()[0].y, 300);
}
