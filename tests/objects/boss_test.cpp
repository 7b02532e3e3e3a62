// What the whole games leave unplayed: the boss's kind 3 with the ship left of the centre, and the
// particle pool filled up.
#include "support/FightSupport.h"

// The boss moved alone to age 1860, at seed 11, what it made each frame removed: the last frame's.
static std::vector<int> madeAt1860(float shipX) {
    newGame(0, 11);
    player->x = shipX;
    std::vector<int> made;
    while (boss().age < 1860) {
        boss().move();
        made.clear();
        for (Enemy* e : alive(enemyManager))
            if (e != &boss()) made.push_back(e->kind), e->exists = false;
        bulletManager->clear();
    }
    return made;
}

TEST(Boss, LeftOfTheCentreTheShipDrawsAKindThreeInsteadOfTheKindFour) {
    EXPECT_EQ(madeAt1860(159), (std::vector<int>{3, 2, 2, 2}));
    EXPECT_EQ(madeAt1860(160), (std::vector<int>{4, 2, 2, 2}));
}

TEST(ParticlePool, AFullPoolDropsExtrasSilently) {
    newGame(0);
    particleManager->clear();
    for (int i = 0; i < 250; ++i)
        spawnFlash(10, 10);
    spawnExplosion(100, 100, 8); // six of its eight sparks fit
    EXPECT_EQ(particleManager->count(), 256);
    EXPECT_EQ(particleManager->getTokens()[255].kind, PK_EXPLOSION);
}
