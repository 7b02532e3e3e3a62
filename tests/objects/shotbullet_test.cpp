// fireBullet: the level's speed-up or slower twin, and the enemies' own fire that ignores it.
#include "support/FightSupport.h"

TEST_F(PlayTest, FireBulletSpeedsUpOrAddsATwinByLevel) {
    const Bullet* t = bulletManager->getTokens();
    struct Case {
        int level;
        float fast, twin; // twin 0: none
    } cases[] = {{0, 4, 0},  {1, 4, 0},     {4, 4, 0},     {5, 4, 0},    {2, 6, 0},
                 {17, 6, 0}, {22, 7.2f, 0}, {47, 7.2f, 0}, {3, 4, 3.2f}, {48, 4, 3.2f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.level);
        bulletManager->clear();
        level = c.level;
        fireBullet(10, 20, 270, 4, 0, 0);
        EXPECT_EQ(c.twin ? 2 : 1, bulletManager->count());
        EXPECT_NEAR(c.fast, t[0].vy, 1e-5);
        EXPECT_NEAR(c.twin, t[1].exists ? t[1].vy : 0, 1e-5);
    }
    fireBulletDirect(10, 20, 270, 4, 0, 0); // the enemies' own fire ignores the level
    EXPECT_EQ(3, bulletManager->count());   // at level 48: no twin
    EXPECT_NEAR(4, t[2].vy, 1e-5);
    while (bulletManager->count() < BULLET_CAPACITY - 1)
        fireBulletDirect(50, 50, 0, 0, 0, 0);
    fireBullet(10, 20, 270, 4, 0, 0); // one place left: the faster bullet takes it
    EXPECT_EQ(BULLET_CAPACITY, bulletManager->count());
    EXPECT_NEAR(4, t[BULLET_CAPACITY - 1].vy, 1e-5);
}
