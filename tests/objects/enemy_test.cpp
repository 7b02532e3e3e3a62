// Enemy: start values, kills with points and pop-ups, return fire by level, destruction and the boss's bar.
#include "objects/Enemy.h"

#include "objects/ItemBomb.h"
#include "objects/Particle.h"
#include "objects/Player.h"
#include "objects/ShotBullet.h"
#include "PlaySupport.h"
#include "plix/Plix.h"

#include <cmath>
#include <cstring>

namespace {

using namespace play;

double headingOf(const Token& t) {
    return std::atan2(-static_cast<double>(t.vy), static_cast<double>(t.vx)) * 180.0 / M_PI;
}
double gap(double a, double b) {
    double d = std::fmod(std::fabs(a - b), 360.0);
    return d > 180 ? 360 - d : d;
}

class EnemyTest : public PlayTest {
  protected:
    Enemy& boss() { return enemyManager->getTokens()[0]; }
    // A still minion of this kind at (100, 200), created after the boss.
    Enemy& minion(int kind) {
        Enemy::create(kind, 100, 200, 32, 32, 0, 0);
        std::vector<Enemy*> all = alive(enemyManager);
        return *all.back();
    }
    // A fresh game at this level (the boss's hit points are fixed at the start).
    void restartAt(int lvl) {
        level = lvl;
        game->start();
    }
    std::vector<Particle*> texts() {
        std::vector<Particle*> out;
        for (Particle* q : alive(particleManager))
            if (q->kind == PK_TEXT) out.push_back(q);
        return out;
    }
};

TEST_F(EnemyTest, StartValuesByKindAndLevel) {
    EXPECT_EQ(1600, boss().hp);
    EXPECT_EQ(1600, boss().maxHp);
    restartAt(50);
    EXPECT_EQ(11600, boss().hp);
    EXPECT_EQ(11600, boss().maxHp);
    EXPECT_EQ(0, boss().age);

    Enemy::create(1, 160, 70, 32, 32, 270, 10);
    Enemy& e = enemyManager->getTokens()[1];
    EXPECT_NEAR(0, e.vx, 1e-5);
    EXPECT_FLOAT_EQ(10, e.vy);
    EXPECT_EQ(60, e.hp);

    // Even levels above 20 start minions 10 frames into their script; kinds 2 and 14 start anywhere.
    for (int lvl : {20, 21, 22}) {
        level = lvl;
        EXPECT_EQ(lvl == 22 ? 10 : 0, minion(5).age) << lvl;
    }
    restartAt(22);
    EXPECT_EQ(0, boss().age);
    bool seen[30] = {};
    for (int i = 0; i < 200; ++i) {
        int kind = i % 2 ? 2 : 14;
        enemyManager->clear();
        int age = minion(kind).age;
        ASSERT_GE(age, 0);
        ASSERT_LT(age, 30);
        seen[age] = true;
    }
    for (int a = 0; a < 30; ++a) EXPECT_TRUE(seen[a]) << "age " << a << " never drawn";
}

TEST_F(EnemyTest, AngleToPlayerIsCounterClockwiseFromTheRight) {
    Enemy& e = minion(1);
    player->x = 100;
    player->y = 50;
    EXPECT_FLOAT_EQ(90, e.angleToPlayer());
    player->y = 350;
    EXPECT_FLOAT_EQ(-90, e.angleToPlayer());
    player->x = 0;
    player->y = 200;
    EXPECT_FLOAT_EQ(180, std::fabs(e.angleToPlayer())); // -dy is -0 here: either end of the range
    player->x = 200;
    player->y = 100;
    EXPECT_FLOAT_EQ(45, e.angleToPlayer());
}

TEST_F(EnemyTest, KillScoresPointsTimesRatioFromTwoOnWithItsPopUp) {
    struct Case {
        int bonus;
        int score;
        const char* text;
    };
    const Case cases[] = {{0, 100, "100"}, {1, 100, "100"}, {2, 200, "100 x 2"}, {3, 300, "100 x 3"}};
    for (const Case& c : cases) {
        game->score = 0;
        game->bonus = c.bonus;
        particleManager->clear();
        itemManager->clear();
        Enemy& e = minion(1);
        e.damage(59);
        EXPECT_TRUE(e.exists);
        EXPECT_EQ(1, e.hp);
        e.damage(1);
        EXPECT_FALSE(e.exists);
        EXPECT_EQ(0, e.hp);
        EXPECT_EQ(c.score, game->score);
        std::vector<Particle*> t = texts();
        ASSERT_EQ(1u, t.size());
        EXPECT_STREQ(c.text, t[0]->text);
        EXPECT_EQ(100 - 6.0f * std::strlen(c.text), t[0]->x);
        EXPECT_EQ(232.0f, t[0]->y);
        // The explosion: eight sparks; and the item rising from the enemy's place.
        EXPECT_EQ(8, particleManager->count() - 1);
        ASSERT_EQ(1, itemManager->count());
        EXPECT_EQ(200.0f, itemManager->getTokens()[0].y);
        EXPECT_FLOAT_EQ(-2, itemManager->getTokens()[0].vy);
    }
    // A gauge of 40 is a ratio of 2 on its own; overkill is still a kill with plain hp 0.
    game->score = 0;
    game->bonus = 0;
    game->gauge = 40;
    Enemy& big = minion(13);
    big.damage(40);
    big.damage(40);
    EXPECT_EQ(0, big.hp);
    EXPECT_EQ(400, game->score);
}

TEST_F(EnemyTest, OnlySomeKindsDropItems) {
    for (int kind = 1; kind < ENEMY_KINDS; ++kind) {
        itemManager->clear();
        minion(kind).damage(100);
        bool drops = !(kind == 2 || kind == 6 || kind == 14);
        EXPECT_EQ(drops ? 1 : 0, itemManager->count()) << "kind " << kind;
    }
}

TEST_F(EnemyTest, DeathRingAboveLevel14ExceptForKind2) {
    struct Case {
        int level;
        int kind;
        int bullets;
        float speed;
    };
    const Case cases[] = {{14, 1, 0, 0}, {15, 1, 18, 6}, {17, 5, 18, 2}, {20, 2, 0, 0}, {20, 6, 18, 6}};
    for (const Case& c : cases) {
        level = c.level;
        bulletManager->clear();
        minion(c.kind).damage(100);
        std::vector<Bullet*> ring = alive(bulletManager);
        ASSERT_EQ(size_t(c.bullets), ring.size()) << "level " << c.level << " kind " << c.kind;
        for (int i = 0; i < c.bullets; ++i) {
            EXPECT_EQ(100.0f, ring[i]->x);
            EXPECT_NEAR(c.speed, std::hypot(ring[i]->vx, ring[i]->vy), 1e-5);
            EXPECT_LT(gap(20 * i, headingOf(*ring[i])), 1e-3) << i;
        }
    }
}

TEST_F(EnemyTest, MinionsFireBackFromLevel10AboutEveryOtherHit) {
    player->x = 100;
    player->y = 400;
    level = 9;
    Enemy& calm = minion(8);
    for (int i = 0; i < 50; ++i) calm.damage(1);
    EXPECT_EQ(0, bulletManager->count());

    level = 10;
    calm.hp = 1000;
    for (int i = 0; i < 200; ++i) calm.damage(1);
    std::vector<Bullet*> back = alive(bulletManager);
    EXPECT_GT(back.size(), 70u);
    EXPECT_LT(back.size(), 130u);
    for (Bullet* b : back) {
        EXPECT_GE(b->x, 100 - 12);
        EXPECT_LE(b->x, 100 + 11);
        EXPECT_GE(b->y, 200 - 12);
        EXPECT_LE(b->y, 200 + 11);
        // Aimed from the enemy's centre, not from the offset start.
        EXPECT_NEAR(-90, headingOf(*b), 1e-3);
        double s = std::hypot(b->vx, b->vy);
        EXPECT_GE(s, 1 - 1e-5);
        EXPECT_LE(s, 1.49 + 1e-5);
    }
}

TEST_F(EnemyTest, BossFiresBackByLevelAndByWhatHitIt) {
    player->x = 160;
    player->y = 384;
    struct Case {
        int level;
        int amount;
        int bullets;
        float minSpeed, maxSpeed;
    };
    const Case cases[] = {
        {3, 40, 0, 0, 0},     {4, 40, 0, 0, 0},     {5, 40, 3, 5, 5.99f}, {9, 40, 3, 5, 5.99f},
        {10, 40, 3, 3, 5.99f}, {15, 40, 3, 1, 5.99f}, {20, 40, 5, 1, 5.99f}, {50, 40, 5, 1, 5.99f},
        {24, 1, 0, 0, 0},     {24, 10, 0, 0, 0},    {25, 1, 1, 1, 1.99f}, {25, 10, 1, 1, 1.99f},
    };
    for (const Case& c : cases) {
        restartAt(c.level);
        boss().damage(c.amount);
        std::vector<Bullet*> shots = alive(bulletManager);
        ASSERT_EQ(size_t(c.bullets), shots.size()) << "level " << c.level << " amount " << c.amount;
        float spread = c.amount > 10 ? 16 : 12;
        float aimSpread = c.amount > 10 ? 7.5f : 10;
        for (Bullet* b : shots) {
            EXPECT_LE(std::fabs(b->x - 160), spread);
            EXPECT_LE(std::fabs(b->y - 70), spread);
            EXPECT_LE(gap(-90, headingOf(*b)), aimSpread + 1e-3);
            double s = std::hypot(b->vx, b->vy);
            EXPECT_GE(s, c.minSpeed - 1e-4) << c.level;
            EXPECT_LE(s, c.maxSpeed + 1e-4) << c.level;
        }
    }
}

TEST_F(EnemyTest, BossBurstTakesItsDrawsInOrderXYAngleSpeed) {
    restartAt(7);
    player->x = 160;
    player->y = 384;
    randSeed(77);
    uint32_t r[12];
    for (uint32_t& v : r) v = randNext();
    randSeed(77);
    boss().damage(40);
    std::vector<Bullet*> shots = alive(bulletManager);
    ASSERT_EQ(3u, shots.size());
    for (int i = 0; i < 3; ++i) {
        const uint32_t* d = r + 4 * i;
        EXPECT_EQ(160.0f + d[0] % 32 - 16, shots[i]->x) << i;
        EXPECT_EQ(70.0f + d[1] % 32 - 16, shots[i]->y) << i;
        EXPECT_NEAR(-90 + double(d[2] % 15) - 7.5, headingOf(*shots[i]), 1e-3) << i;
        EXPECT_NEAR(5 + (d[3] % 100) / 100.0, std::hypot(shots[i]->vx, shots[i]->vy), 1e-5) << i;
    }
}

TEST_F(EnemyTest, BossDeathClearsTheFieldAndOnlyItsOwnRingStays) {
    restartAt(15);
    Enemy::create(1, 50, 150, 32, 32, 0, 0);
    Enemy::create(2, 250, 150, 12, 12, 0, 0);
    for (int i = 0; i < 5; ++i) fireBulletDirect(10.0f * i, 300, 0, 0, 0, 0);
    Item::create(100, 300, 270, -2, 0, 0);
    particleManager->clear();
    game->state = GM_PLAY;
    boss().damage(boss().hp);
    EXPECT_EQ(GM_CLEAR, game->state);
    EXPECT_EQ(240, game->timer);
    EXPECT_EQ(0, enemyManager->count());
    EXPECT_EQ(0, itemManager->count());
    EXPECT_EQ(2000, game->score);
    // Three explosions and the points pop-up; the others gave nothing.
    EXPECT_EQ(3 * 8 + 1, particleManager->count());
    std::vector<Bullet*> ring = alive(bulletManager);
    ASSERT_EQ(18u, ring.size());
    for (Bullet* b : ring) {
        EXPECT_EQ(160.0f, b->x);
        EXPECT_EQ(70.0f, b->y);
    }
}

TEST_F(EnemyTest, RemovedWithHitPointsLeftReleasesAimedBulletsFromLevel20) {
    player->x = 100;
    player->y = 400;
    level = 19;
    minion(12).destroy();
    EXPECT_EQ(0, bulletManager->count());
    EXPECT_EQ(1, itemManager->count());
    EXPECT_EQ(0, game->score);

    level = 20;
    itemManager->clear();
    minion(12).destroy();
    EXPECT_EQ(1, itemManager->count());
    std::vector<Bullet*> burst = alive(bulletManager);
    ASSERT_EQ(18u, burst.size());
    for (Bullet* b : burst) {
        EXPECT_LE(gap(-90, headingOf(*b)), 5 + 1e-3);
        double s = std::hypot(b->vx, b->vy);
        EXPECT_GE(s, 3 - 1e-5);
        EXPECT_LE(s, 3.49 + 1e-5);
    }
    // A killed enemy has no hit points left: the burst is for time-outs only.
    bulletManager->clear();
    level = 20;
    minion(2).damage(3);
    EXPECT_EQ(0, bulletManager->count());
}

TEST_F(EnemyTest, LeavingTheScreenIsSilentAndAFullPoolMakesNoEnemy) {
    Enemy& e = minion(6);
    e.x = -40;
    particleManager->clear();
    e.move();
    EXPECT_FALSE(e.exists);
    EXPECT_EQ(0, itemManager->count());
    EXPECT_EQ(0, particleManager->count());
    EXPECT_EQ(0, game->score);

    while (enemyManager->getFreeToken()) Enemy::create(1, 10, 10, 32, 32, 0, 0);
    Enemy::create(2, 20, 20, 12, 12, 0, 0);
    EXPECT_EQ(ENEMY_CAPACITY, enemyManager->count());
    for (Enemy& any : *enemyManager) EXPECT_NE(2, any.kind);
}

TEST_F(EnemyTest, BossIsAGreenBoxWithAHitPointBarInWholeSteps) {
    auto drawBoss = [&] {
        Plix_fillRect(0, 0, 0, 0, 0, 0, 0);
        boss().draw();
    };
    drawBoss();
    EXPECT_TRUE(pixelIs(120, 30, 0, 255, 0));
    EXPECT_TRUE(pixelIs(199, 109, 0, 255, 0));
    EXPECT_TRUE(pixelIs(200, 70, 0, 0, 0));
    EXPECT_TRUE(pixelIs(10, 10, 0, 255, 128));
    EXPECT_TRUE(pixelIs(309, 19, 0, 255, 128));
    EXPECT_TRUE(pixelIs(310, 10, 0, 0, 0));
    EXPECT_TRUE(pixelIs(10, 20, 0, 0, 0));

    // 1599 * 300 / 1600 is 299.8: the bar loses its last column at the first hit point.
    boss().hp = 1599;
    drawBoss();
    EXPECT_TRUE(pixelIs(308, 10, 0, 254, 128));
    EXPECT_TRUE(pixelIs(309, 10, 0, 0, 0));

    boss().hp = 800;
    drawBoss();
    EXPECT_TRUE(pixelIs(159, 15, 127, 127, 128));
    EXPECT_TRUE(pixelIs(160, 15, 0, 0, 0));

    restartAt(50);
    drawBoss();
    EXPECT_TRUE(pixelIs(309, 10, 0, 255, 128));
    EXPECT_TRUE(pixelIs(310, 10, 0, 0, 0));

    // Minions have no bar.
    enemyManager->clear();
    Enemy& m = minion(1);
    Plix_fillRect(0, 0, 0, 0, 0, 0, 0);
    m.draw();
    EXPECT_TRUE(pixelIs(100, 200, 0, 255, 0));
    EXPECT_TRUE(pixelIs(10, 10, 0, 0, 0));
}

} // namespace
