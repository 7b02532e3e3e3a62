// Items and bombs: the pop and fall, the wide reach, the recovery, the burst and the clear. The
// scene's tests check the pauses and the hits in pool order, the player's the captures.
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
    Item::create(160, 200, 270, -2, 0, 0);
    Item& it = itemManager->getTokens()[0];
    it.move(); // the drag, then the pull
    EXPECT_EQ(it.vy, static_cast<float>(static_cast<float>(-2 * 0.98) + 0.06));
    float top = 200, lastY = it.y;
    int topFrame = 0, frames = 1;
    for (; it.exists && frames < 1000; ++frames) {
        lastY = it.y;
        it.move();
        topFrame = it.y < top ? frames + 1 : topFrame;
        top = std::min(top, it.y);
    }
    // Up about 24 pixels in 26 frames, down at nearly 3 a frame, gone as its 40 x 40 box leaves.
    EXPECT_TRUE(std::fabs(200 - top - 24) <= 1 && std::abs(topFrame - 26) <= 1) << top << topFrame;
    EXPECT_TRUE(it.age == frames && it.vy > 2.8 && it.vy < 3) << it.age << " " << it.vy;
    EXPECT_TRUE(lastY <= 500 && it.y > 500) << lastY << " " << it.y;
}

TEST(Item, ReachesTwentyOnePixelsAndBringsThePodsBack) {
    // Centres 20.9 apart touch, 21 apart do not, on either axis: dx, dy, taken.
    const float REACHES[][3] = {
        {20.9f, 0, 1}, {21, 0, 0}, {0, 20.9f, 1}, {0, 21, 0}, {-20.9f, 0, 1}};
    for (auto [dx, dy, taken] : REACHES) {
        inPlay();
        Item::create(player->x + dx, player->y + dy, 0, 0, 0, 0);
        gameMain->run();
        EXPECT_TRUE(gameMain->state == (taken ? GM_ITEM_PAUSE : GM_PLAY) &&
                    itemManager->count() == (taken ? 0 : 1))
            << dx << " " << dy;
    }
    inPlay();
    player->hasPods = false;
    particleManager->clear();
    Item::create(player->x, player->y, 0, 0, 0, 0);
    gameMain->run();
    EXPECT_TRUE(player->hasPods && gameMain->score == 0 && gameMain->bonus == 0);
    EXPECT_TRUE(particleManager->count() == 1 &&
                particleManager->getTokens()[0].kind == PK_RECOVERY);
}

TEST(Bomb, HitsForFortyBurstsAndFliesOnThroughTheClear) {
    inPlay();
    Enemy::create(1, 100, 200, 32, 32, 0, 0);
    Bomb::create(100, 210, 90, 0, 0, 0);
    gameMain->run();
    EXPECT_TRUE(enemyManager->getTokens()[1].hp == 60 - 40 && bombManager->count() == 0);
    EXPECT_TRUE(particleManager->count() == 4 &&
                particleManager->getTokens()[3].kind == PK_BOMB_BURST);
    // The clear stops the bullets, but the bombs keep flying.
    Bomb::create(100, 300, 90, 10, 0, 0);
    boss().damage(100000);
    ASSERT_EQ(gameMain->state, GM_CLEAR);
    fireBulletDirect(200, 300, 90, 5, 0, 0);
    gameMain->run();
    gameMain->run();
    EXPECT_EQ(bombManager->getTokens()[0].y, 280);
    EXPECT_EQ(bulletManager->getTokens()[0].y, 300);
}
