// Items and bombs: the pop and fall, the wide reach and the pick-up, captures, hits and the clear.
#include "support/FightSupport.h"

#include <gtest/gtest.h>

using namespace fight;

namespace {

// A game in play (past GM_START) at level 0, the pods beside the ship.
void inPlay() {
    newGame(0, 5);
    gameMain->run();
    gameMain->run();
}

int countKind(int kind) {
    int n = 0;
    for (Particle* p : alive(particleManager))
        n += p->kind == kind;
    return n;
}

int framesIn(int state) {
    int n = 0;
    for (; gameMain->state == state && n < 100; ++n)
        gameMain->run();
    return n;
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
        if (it.y < top) {
            top = it.y;
            topFrame = frames + 1;
        }
    }
    // About 24 pixels up over the first 26 frames, then down towards 3 pixels a frame.
    EXPECT_NEAR(200 - top, 24, 1);
    EXPECT_NEAR(topFrame, 26, 1);
    EXPECT_EQ(it.age, frames);
    EXPECT_TRUE(it.vy > 2.8 && it.vy < 3) << it.vy;
    // Gone in the frame its 40 x 40 box leaves the bottom.
    EXPECT_TRUE(lastY <= 500 && it.y > 500) << lastY << " " << it.y;
}

TEST(ItemPickUp, ReachesTwentyOnePixelsScoresWithPodsRecoversWithoutAndFreezesTen) {
    // Centres 20.9 apart touch, 21 apart do not, on either axis.
    struct Reach {
        float dx, dy;
        bool taken;
    } reaches[] = {
        {20.9f, 0, true}, {21, 0, false}, {0, 20.9f, true}, {0, 21, false}, {-20.9f, 0, true}};
    for (const Reach& r : reaches) {
        inPlay();
        enemyManager->clear();
        Item::create(player->x + r.dx, player->y + r.dy, 0, 0, 0, 0);
        gameMain->run();
        EXPECT_EQ(gameMain->state, r.taken ? GM_ITEM_PAUSE : GM_PLAY) << r.dx << " " << r.dy;
        EXPECT_EQ(itemManager->count(), r.taken ? 0 : 1) << r.dx << " " << r.dy;
    }
    inPlay();
    enemyManager->clear();
    player->charge = 0;
    Item::create(player->x, player->y, 0, 0, 0, 0);
    Item::create(player->x + 5, player->y, 0, 0, 0, 0);
    gameMain->run();
    EXPECT_EQ(itemManager->count(), 0) << "every touching item is taken";
    EXPECT_TRUE(gameMain->score == 1000 && gameMain->bonus == 2 && player->charge == 240);
    EXPECT_TRUE(countKind(PK_TEXT) == 2 && countKind(PK_RECOVERY) == 0);
    EXPECT_EQ(framesIn(GM_ITEM_PAUSE), 10);

    inPlay();
    enemyManager->clear();
    player->hasPods = false;
    player->charge = 0;
    Item::create(player->x, player->y, 0, 0, 0, 0);
    gameMain->run();
    EXPECT_TRUE(player->hasPods && gameMain->score == 0 && gameMain->bonus == 0);
    EXPECT_EQ(countKind(PK_RECOVERY), 1);
    EXPECT_EQ(player->charge, 121) << "120 from the item, then the frame's own 1";
}

TEST(Bomb, CaptureTurnsBulletsInReachIntoBombsThatRiseAndLeaveTheTop) {
    inPlay();
    enemyManager->clear();
    fireBulletDirect(player->podLeft.x, player->podLeft.y, 0, 0, 0, 0);
    fireBulletDirect(player->podRight.x + 3, player->podRight.y - 3, 0, 0, 0, 0);
    fireBulletDirect(player->podRight.x + 40, player->podRight.y, 0, 0, 0, 0); // out of reach
    testsupport::setKey(KEY_Z, true);
    testsupport::snapshot();
    gameMain->run();
    testsupport::releaseAllKeys();
    testsupport::snapshot();
    auto bombs = alive(bombManager);
    ASSERT_EQ(bombs.size(), 2u);
    EXPECT_EQ(bulletManager->count(), 1);
    Bomb& b = *bombs[0];
    EXPECT_TRUE(b.x == player->podLeft.x && b.width == 16);
    EXPECT_TRUE(std::fabs(b.vx) < 1e-5 && std::fabs(b.vy + 10) < 1e-5) << b.vx << " " << b.vy;
    b.y = 10;
    b.move();
    EXPECT_TRUE(b.exists && b.y == 0);
    b.move();
    EXPECT_FALSE(b.exists);
    EXPECT_EQ(countKind(PK_BOMB_BURST), 0) << "leaving the top has no effect";
}

TEST(Bomb, HitsTheFirstEnemyInPoolOrderForFortyBurstsAndFreezesFive) {
    inPlay();
    enemyManager->clear();
    particleManager->clear();
    Enemy::create(1, 100, 200, 32, 32, 0, 0);
    Enemy::create(1, 100, 200, 32, 32, 0, 0);
    Bomb::create(100, 210, 90, 0, 0, 0);
    gameMain->run();
    Enemy* e = enemyManager->getTokens();
    EXPECT_TRUE(e[0].hp == 20 && e[1].hp == 60) << e[0].hp << " " << e[1].hp;
    EXPECT_EQ(bombManager->count(), 0);
    EXPECT_EQ(countKind(PK_BOMB_BURST), 4);
    int age = e[0].age;
    EXPECT_EQ(framesIn(GM_BOMB_PAUSE), 5);
    EXPECT_EQ(e[0].age, age);
    // Its flicker takes red full and two random draws, green then blue, in every frame.
    Bomb::create(50, 50, 90, 0, 0, 0);
    randSeed(3);
    bombManager->getTokens()[0].draw();
    uint64_t after = randState();
    randSeed(3);
    randNext();
    randNext();
    EXPECT_EQ(after, randState());
}

TEST(Bomb, KeepsFlyingThroughTheClear) {
    inPlay();
    Bomb::create(100, 300, 90, 10, 0, 0);
    boss().damage(100000);
    ASSERT_EQ(gameMain->state, GM_CLEAR);
    fireBulletDirect(200, 300, 90, 5, 0, 0); // bullets stand still in the clear
    gameMain->run();
    gameMain->run();
    EXPECT_EQ(bombManager->getTokens()[0].y, 280);
    EXPECT_EQ(bulletManager->getTokens()[0].y, 300);
}
