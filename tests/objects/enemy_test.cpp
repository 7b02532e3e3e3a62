// Enemy: kills with points times ratio, pop-ups, items and rings; the boss's return fire.
#include "PlaySupport.h"

TEST_F(PlayTest, KillsScorePointsTimesRatioFromTwoWithPopUpItemAndRing) {
    struct Case {
        int level, kind, bonus, score;
        const char* text;
        bool item;
        float ringSpeed; // 0: no ring of 18
    } cases[] = {{0, 1, 0, 100, "100", true, 0},     {0, 1, 1, 100, "100", true, 0},
                 {0, 1, 2, 200, "100 x 2", true, 0}, {14, 1, 3, 300, "100 x 3", true, 0},
                 {15, 13, 0, 200, "200", true, 6},   {17, 14, 0, 100, "100", false, 2},
                 {20, 2, 0, 10, "10", false, 0},     {20, 6, 0, 10, "10", false, 6}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "level " << c.level << " kind " << c.kind);
        newGame(c.level);
        gameMain->bonus = c.bonus;
        Enemy::create(c.kind, 100, 200, 32, 32, 0, 0); // below the boss, in slot 1
        Enemy& e = enemyManager->getTokens()[1];
        e.hp = 1;
        e.damage(2);
        EXPECT_TRUE(!e.exists && e.hp == 0 && gameMain->score == c.score);
        EXPECT_STREQ(c.text, particleManager->getTokens()[8].text); // after the eight sparks
        EXPECT_EQ(c.item, itemManager->count() == 1);
        std::vector<Bullet*> ring = alive(bulletManager);
        ASSERT_EQ(c.ringSpeed ? 18u : 0u, ring.size());
        for (size_t i = 0; i < ring.size(); ++i) {
            EXPECT_NEAR(c.ringSpeed, speedOf(*ring[i]), 1e-5);
            EXPECT_NEAR(0, angleGap(20.0 * i, headingOf(*ring[i])), 1e-3);
        }
    }
}

TEST_F(PlayTest, EveryMinionKindButTwoSixAndFourteenDropsAnItemWhenKilled) {
    for (int kind = 1; kind <= 15; ++kind) {
        newGame(0);
        Enemy::create(kind, 100, 200, 32, 32, 0, 0);
        Enemy& e = enemyManager->getTokens()[1];
        e.hp = 1;
        e.damage(2);
        const bool drops = kind != 2 && kind != 6 && kind != 14;
        ASSERT_EQ(drops ? 1 : 0, itemManager->count()) << "kind " << kind;
        if (drops) {
            const Item& item = itemManager->getTokens()[0];
            EXPECT_TRUE(item.x == 100 && item.y == 200 && std::fabs(item.vy + 2) < 1e-5)
                << "kind " << kind;
        }
    }
}

// Each bullet draws x, y, angle, speed in order; the boss at (160, 70) aims at 270, the ship.
TEST_F(PlayTest, TheBossFiresBackByLevelAndByWhatHitIt) {
    struct Case {
        int level, amount, bullets, spread, aimMod, speedBase, speedMod;
    } cases[] = {{4, 40, 0, 1, 1, 0, 1},      {5, 40, 3, 32, 15, 5, 100},
                 {10, 40, 3, 32, 15, 3, 300}, {15, 40, 3, 32, 15, 1, 500},
                 {20, 40, 5, 32, 15, 1, 500}, {24, 10, 0, 1, 1, 0, 1},
                 {25, 10, 1, 24, 20, 1, 100}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "level " << c.level << " amount " << c.amount);
        newGame(c.level, c.level);
        uint32_t r[20];
        std::generate(r, r + 20, randNext);
        randSeed(c.level);
        boss().damage(c.amount);
        std::vector<Bullet*> back = alive(bulletManager);
        ASSERT_EQ(size_t(c.bullets), back.size());
        for (int i = 0; i < c.bullets; ++i) {
            const uint32_t* d = r + 4 * i;
            EXPECT_EQ(160.0f + d[0] % c.spread - c.spread / 2, back[i]->x) << i;
            EXPECT_EQ(70.0f + d[1] % c.spread - c.spread / 2, back[i]->y) << i;
            double aim = 270.0 + d[2] % c.aimMod - c.aimMod / 2.0;
            EXPECT_NEAR(0, angleGap(aim, headingOf(*back[i])), 1e-3) << i;
            EXPECT_NEAR(c.speedBase + (d[3] % c.speedMod) / 100.0, speedOf(*back[i]), 1e-5) << i;
        }
    }
}
