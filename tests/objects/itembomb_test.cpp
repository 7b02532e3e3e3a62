// Items and bombs: the pop and fall, the wide reach and pick-up, captures, hits and pauses.
#include "plix/Plix.h"
#include "support/FightSupport.h"

#include <SDL/SDL.h>
#include <cstring>
#include <gtest/gtest.h>

using namespace fight;

namespace {

// A game already in play (past GM_START), with the pods in place beside the ship.
void inPlay(int lvl = 0) {
    newGame(lvl, 5);
    gameMain->run();
    gameMain->run();
}

bool yellowAt(int x, int y) {
    SDL_Surface* s = SDL_GetVideoSurface();
    int bpp = s->format->BytesPerPixel;
    Uint32 v = 0;
    std::memcpy(&v, static_cast<Uint8*>(s->pixels) + y * s->pitch + x * bpp, bpp);
    Uint8 r, g, b;
    SDL_GetRGB(v, s->format, &r, &g, &b);
    return r > 200 && g > 200 && b < 60;
}

int countKind(int kind) {
    int n = 0;
    for (Particle* p : alive(particleManager))
        if (p->kind == kind) ++n;
    return n;
}

} // namespace

TEST(Item, PopsUpSlowsAndFallsOutOfTheField) {
    newGame(0);
    itemManager->clear();
    Item::create(160, 200, 270, -2, 0, 0);
    Item& it = itemManager->getTokens()[0];
    EXPECT_EQ(it.width, 40);
    EXPECT_EQ(it.height, 40);
    EXPECT_EQ(it.drawWidth, 16);
    EXPECT_NEAR(it.vy, -2, 1e-6);
    EXPECT_NEAR(it.vx, 0, 1e-6);
    float top = it.y;
    int topFrame = 0, frames = 0;
    float lastY = it.y;
    while (it.exists && frames < 1000) {
        lastY = it.y;
        it.move();
        ++frames;
        if (it.y < top) {
            top = it.y;
            topFrame = frames;
        }
    }
    // About 24 pixels up over the first 26 frames.
    EXPECT_NEAR(200 - top, 24, 1);
    EXPECT_NEAR(topFrame, 26, 1);
    EXPECT_EQ(it.age, frames);
    // Gone in the frame its 40 x 40 box leaves the bottom, falling at nearly 3 pixels a frame.
    EXPECT_FALSE(it.exists);
    EXPECT_LE(lastY, 500);
    EXPECT_GT(it.y, 500);
    EXPECT_GT(it.vy, 2.8);
    EXPECT_LT(it.vy, 3);
}

TEST(Item, PoolHoldsSixtyFour) {
    newGame(0);
    itemManager->clear();
    for (int i = 0; i < 65; ++i)
        Item::create(10.0f + i, 100, 270, -2, 0, 0);
    EXPECT_EQ(itemManager->count(), 64);
    EXPECT_EQ(itemManager->getTokens()[63].x, 73);
}

TEST(Item, FourSquaresTurnAboutTheCentre) {
    newGame(0);
    itemManager->clear();
    Item::create(100, 100, 0, 0, 0, 0);
    Item& it = itemManager->getTokens()[0];
    Plix_fillRect(0, 0, 0, 0, 0, 0, 0);
    it.draw();
    // At age 0 the squares sit above, left, below and right, 6 from the centre; the centre is
    // empty.
    EXPECT_TRUE(yellowAt(100, 93));
    EXPECT_TRUE(yellowAt(93, 100));
    EXPECT_TRUE(yellowAt(100, 106));
    EXPECT_TRUE(yellowAt(106, 100));
    EXPECT_FALSE(yellowAt(100, 100));
    EXPECT_FALSE(yellowAt(92, 92));
    // Eight frames on (0.8 radians) the first square has turned to the upper left diagonal.
    it.age = 8;
    Plix_fillRect(0, 0, 0, 0, 0, 0, 0);
    it.draw();
    EXPECT_TRUE(yellowAt(92, 92));
}

TEST(ItemPickUp, ReachIsHalfOfFortyPlusHalfTheShip) {
    // Centres 20.9 apart touch, 21 apart do not, on either axis.
    const float DX[] = {20.9f, 21.0f, 0, 0, -20.9f};
    const float DY[] = {0, 0, 20.9f, 21.0f, 0};
    const bool TAKEN[] = {true, false, true, false, true};
    for (int i = 0; i < 5; ++i) {
        inPlay();
        enemyManager->clear();
        Item::create(player->x + DX[i], player->y + DY[i], 0, 0, 0, 0);
        gameMain->run();
        EXPECT_EQ(itemManager->count(), TAKEN[i] ? 0 : 1) << i;
        EXPECT_EQ(gameMain->state, TAKEN[i] ? GM_ITEM_PAUSE : GM_PLAY) << i;
    }
}

TEST(ItemPickUp, WithPodsScoresWithoutPodsRecovers) {
    inPlay();
    enemyManager->clear();
    int charge = player->charge;
    Item::create(player->x, player->y, 0, 0, 0, 0);
    Item::create(player->x + 5, player->y, 0, 0, 0, 0);
    gameMain->run();
    EXPECT_EQ(itemManager->count(), 0) << "every touching item is taken";
    EXPECT_EQ(gameMain->score, 1000);
    EXPECT_EQ(gameMain->bonus, 2);
    EXPECT_EQ(player->charge, std::min(charge + 240, 240));
    EXPECT_EQ(countKind(PK_TEXT), 2);
    EXPECT_EQ(countKind(PK_RECOVERY), 0);

    inPlay();
    enemyManager->clear();
    player->hasPods = false;
    player->charge = 0;
    Item::create(player->x, player->y, 0, 0, 0, 0);
    gameMain->run();
    EXPECT_TRUE(player->hasPods);
    EXPECT_EQ(gameMain->score, 0);
    EXPECT_EQ(gameMain->bonus, 0);
    EXPECT_EQ(countKind(PK_RECOVERY), 1);
    EXPECT_EQ(player->charge, 121) << "120 from the item, then the frame's own 1";
}

TEST(ItemPickUp, FreezesPlayForTenFramesWhileEffectsMove) {
    inPlay();
    Item::create(player->x, player->y, 0, 0, 0, 0);
    gameMain->run();
    ASSERT_EQ(gameMain->state, GM_ITEM_PAUSE);
    int bossAge = boss().age, time = gameMain->time;
    Particle* text = alive(particleManager).back();
    float textY = text->y;
    for (int f = 1; f <= 10; ++f) {
        gameMain->run();
        EXPECT_EQ(gameMain->state, f < 10 ? GM_ITEM_PAUSE : GM_PLAY) << f;
    }
    EXPECT_EQ(boss().age, bossAge);
    EXPECT_EQ(gameMain->time, time);
    EXPECT_EQ(text->y, textY - 10);
    gameMain->run();
    EXPECT_EQ(boss().age, bossAge + 1);
}

TEST(Bomb, CaptureTurnsBulletsIntoRisingBombs) {
    inPlay();
    enemyManager->clear();
    fireBulletDirect(player->podLeft.x, player->podLeft.y, 0, 0, 0, 0);
    fireBulletDirect(player->podRight.x + 3, player->podRight.y - 3, 0, 0, 0, 0);
    fireBulletDirect(player->podRight.x + 40, player->podRight.y, 0, 0, 0, 0); // out of reach
    int gauge = gameMain->gauge;
    testsupport::setKey(KEY_Z, true);
    testsupport::snapshot();
    gameMain->run();
    testsupport::releaseAllKeys();
    testsupport::snapshot();
    auto bombs = alive(bombManager);
    ASSERT_EQ(bombs.size(), 2u);
    EXPECT_EQ(bulletManager->count(), 1);
    EXPECT_EQ(bombs[0]->x, player->podLeft.x);
    EXPECT_EQ(bombs[0]->width, 16);
    EXPECT_NEAR(bombs[0]->vy, -10, 1e-5);
    EXPECT_NEAR(bombs[0]->vx, 0, 1e-5);
    EXPECT_EQ(gameMain->gauge, gauge + 1 + 40) << "the drift to 10, then 20 per bullet";
    // Bombs fly straight up and leave the top without effect.
    Bomb& b = *bombs[0];
    b.y = 10;
    b.move();
    EXPECT_TRUE(b.exists);
    EXPECT_EQ(b.y, 0);
    b.move();
    EXPECT_FALSE(b.exists);
    EXPECT_EQ(countKind(PK_BOMB_BURST), 0);
}

TEST(Bomb, HitsTheFirstEnemyInPoolOrderForFortyAndBursts) {
    inPlay();
    enemyManager->clear();
    particleManager->clear();
    Enemy::create(1, 100, 200, 32, 32, 0, 0);
    Enemy::create(1, 100, 200, 32, 32, 0, 0);
    Bomb::create(100, 210, 90, 0, 0, 0);
    gameMain->run();
    Enemy* e = enemyManager->getTokens();
    EXPECT_EQ(e[0].hp, 20);
    EXPECT_EQ(e[1].hp, 60);
    EXPECT_EQ(bombManager->count(), 0);
    EXPECT_EQ(countKind(PK_BOMB_BURST), 4);
    EXPECT_EQ(gameMain->state, GM_BOMB_PAUSE);
    // The freeze: five frames, enemies standing still, then play again.
    int age = e[0].age;
    for (int f = 1; f <= 5; ++f) {
        gameMain->run();
        EXPECT_EQ(gameMain->state, f < 5 ? GM_BOMB_PAUSE : GM_PLAY) << f;
    }
    EXPECT_EQ(e[0].age, age);
    // Two bombs on one enemy in the same frame both hit it while it lasts.
    e[0].hp = 100;
    Bomb::create(100, 210, 90, 0, 0, 0);
    Bomb::create(100, 190, 90, 0, 0, 0);
    gameMain->run();
    EXPECT_EQ(e[0].hp, 20);
    EXPECT_EQ(e[1].hp, 60);
}

TEST(Bomb, KeepsFlyingThroughTheClear) {
    inPlay();
    Bomb::create(100, 300, 90, 10, 0, 0);
    fireBulletDirect(200, 300, 90, 5, 0, 0);
    boss().damage(100000);
    ASSERT_EQ(gameMain->state, GM_CLEAR);
    fireBulletDirect(200, 300, 90, 5, 0, 0); // the clear emptied the pool; this one must stand
    Bomb& b = bombManager->getTokens()[0];
    Bullet& bl = bulletManager->getTokens()[0];
    gameMain->run();
    gameMain->run();
    EXPECT_EQ(b.y, 280);
    EXPECT_EQ(bl.y, 300);
}

TEST(Bomb, FlickersInFullRedWithTwoDrawsAFrame) {
    newGame(0);
    bombManager->clear();
    Bomb::create(50, 50, 90, 0, 0, 0);
    Bomb& b = bombManager->getTokens()[0];
    randSeed(3);
    b.draw();
    uint64_t after = randState();
    randSeed(3);
    randNext();
    randNext();
    EXPECT_EQ(after, randState());
    b.explode();
    EXPECT_FALSE(b.exists);
}
