// The clear that stands: a hit on the ship in the frame of the boss's death, which no whole game
// made.
#include "support/FightSupport.h"

// The boss's death sets the clear; a hit on the ship in the same frame must not replace it with a
// miss. After such a hit the clear with its timer stands, and a lost ship neither steers nor fires.
static void hitInTheBossesLastFrame(bool pods, float shipY, int bossHp, bool shotOnBoss) {
    level = 15; // the boss's death ring
    gameMain->start();
    frames(1);
    boss().hp = bossHp;
    player->hasPods = pods;
    player->x = 160, player->y = shipY;
    if (shotOnBoss) Shot::create(160, 90, 90, 10);
    frames(1);
    EXPECT_TRUE(!boss().exists && !player->hasPods && player->exists == pods);
    EXPECT_TRUE(gameMain->state == GM_CLEAR && gameMain->timer == 240) << gameMain->state;
    float x = player->x;
    frames(1, {PLIX_KEY_LEFT, PLIX_KEY_Z});
    frames(1, {PLIX_KEY_LEFT});
    frames(1, {PLIX_KEY_LEFT, PLIX_KEY_Z});
    EXPECT_EQ(pods ? x - 9 : x, player->x); // 2 + 5 + 2 while it lives
    EXPECT_EQ(0, shotManager->count() - int(pods) * 4);
    EXPECT_EQ(112 - 3, framesIn(GM_CLEAR));
    EXPECT_EQ(GM_CLEAR_WAIT, gameMain->state);
}
using RepairedClearTest = PlayTest;

TEST_F(RepairedClearTest, TouchingTheBossWithItsLastHitPoints) {
    hitInTheBossesLastFrame(true, 100, 10, false);
    hitInTheBossesLastFrame(false, 100, 10, false);
}

TEST_F(RepairedClearTest, TheDeathRingBornOnTheShip) {
    hitInTheBossesLastFrame(true, 70, 1, true);
    EXPECT_EQ(18, bulletManager->count());
    hitInTheBossesLastFrame(false, 70, 1, true);
}
