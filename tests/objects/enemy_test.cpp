// Enemy: start values, kills with points and pop-ups, return fire by level, destruction and the
// boss's bar.
#include "objects/Enemy.h"

#include "PlaySupport.h"
#include "objects/ItemBomb.h"
#include "objects/Particle.h"
#include "objects/Player.h"
#include "objects/ShotBullet.h"
#include "plix/Plix.h"

#include <cmath>
#include <cstring>

namespace {

using namespace play;

double heading(const Token& t) {
    return std::atan2(-double(t.vy), double(t.vx)) * 180 / M_PI;
}
double speed(const Token& t) {
    return std::hypot(t.vx, t.vy);
}

class EnemyTest : public PlayTest {
  protected:
    Enemy& boss() { return enemyManager->getTokens()[0]; }
    Enemy& minion(int kind) { // still, at (100, 200), below the boss
        Enemy::create(kind, 100, 200, 32, 32, 0, 0);
        return *alive(enemyManager).back();
    }
    void restartAt(int lvl) {
        level = lvl;
        game->start(); // the boss's hit points are fixed here
        bulletManager->clear();
    }
};

TEST_F(EnemyTest, StartValuesByKindAndLevelAndTheAngleToThePlayer) {
    EXPECT_TRUE(boss().hp == 1600 && boss().maxHp == 1600);
    restartAt(50);
    EXPECT_TRUE(boss().hp == 11600 && boss().age == 0);
    for (int lvl : {20, 21, 22}) {
        level = lvl;
        EXPECT_EQ(lvl == 22 ? 10 : 0, minion(5).age)
            << lvl; // even levels above 20 start 10 frames in
    }
    int lowest = 30, highest = -1;
    for (int i = 0; i < 100; ++i) {
        enemyManager->clear();
        int age = minion(i % 2 ? 2 : 14).age;
        lowest = std::min(lowest, age), highest = std::max(highest, age);
    }
    EXPECT_TRUE(lowest == 0 && highest == 29);

    Enemy::create(1, 160, 70, 32, 32, 270, 10);
    EXPECT_FLOAT_EQ(10, alive(enemyManager).back()->vy);
    Enemy& e = minion(1);
    player->x = 100, player->y = 50;
    EXPECT_FLOAT_EQ(90, e.angleToPlayer());
    player->y = 350;
    EXPECT_FLOAT_EQ(-90, e.angleToPlayer());
}

TEST_F(EnemyTest, KillsScorePointsTimesRatioFromTwoWithPopUpItemAndRing) {
    struct Case {
        int level, kind, bonus, score;
        const char* text;
        bool item;
        int ring;
        float ringSpeed;
    } cases[] = {{0, 1, 0, 100, "100", true, 0, 0},     {0, 1, 1, 100, "100", true, 0, 0},
                 {0, 1, 2, 200, "100 x 2", true, 0, 0}, {14, 1, 3, 300, "100 x 3", true, 0, 0},
                 {15, 13, 0, 200, "200", true, 18, 6},  {17, 14, 0, 100, "100", false, 18, 2},
                 {20, 2, 0, 10, "10", false, 0, 0},     {20, 6, 0, 10, "10", false, 18, 6}};
    for (const Case& c : cases) {
        level = c.level, game->bonus = c.bonus, game->score = 0;
        bulletManager->clear(), itemManager->clear(), particleManager->clear();
        Enemy& e = minion(c.kind);
        e.hp = 1;
        e.damage(2);
        EXPECT_TRUE(!e.exists && e.hp == 0);
        EXPECT_EQ(c.score, game->score) << c.text;
        Particle& text = particleManager->getTokens()[8]; // after the eight sparks
        EXPECT_STREQ(c.text, text.text);
        EXPECT_TRUE(text.x == 100 - 6.0f * std::strlen(c.text) && text.y == 232);
        EXPECT_EQ(c.item, itemManager->count() == 1) << c.kind;
        std::vector<Bullet*> ring = alive(bulletManager);
        ASSERT_EQ(size_t(c.ring), ring.size()) << c.level << " " << c.kind;
        for (int i = 0; i < c.ring; ++i) {
            EXPECT_NEAR(c.ringSpeed, speed(*ring[i]), 1e-5);
            EXPECT_NEAR(std::remainder(20.0 * i, 360), heading(*ring[i]), 1e-3);
        }
    }
}

TEST_F(EnemyTest, SurvivorsFireBackByLevelAndByWhatHitThem) {
    struct Case {
        int level, amount, bullets;
        float minSpeed, maxSpeed;
    } cases[] = {{4, 40, 0, 0, 0},      {5, 40, 3, 5, 5.99f},  {10, 40, 3, 3, 5.99f},
                 {15, 40, 3, 1, 5.99f}, {20, 40, 5, 1, 5.99f}, {24, 10, 0, 0, 0},
                 {25, 1, 1, 1, 1.99f},  {25, 10, 1, 1, 1.99f}};
    for (const Case& c : cases) {
        restartAt(c.level);
        boss().damage(c.amount);
        std::vector<Bullet*> back = alive(bulletManager);
        ASSERT_EQ(size_t(c.bullets), back.size()) << c.level << " " << c.amount;
        float offset = c.amount > 10 ? 16 : 12, aim = c.amount > 10 ? 7.5f : 10;
        for (Bullet* b : back) {
            EXPECT_TRUE(std::fabs(b->x - 160) <= offset && std::fabs(b->y - 70) <= offset);
            EXPECT_LE(std::fabs(-90 - heading(*b)), aim + 1e-3);
            EXPECT_TRUE(speed(*b) >= c.minSpeed - 1e-4 && speed(*b) <= c.maxSpeed + 1e-4)
                << c.level;
        }
    }
    // Minions from level 10, on an even draw, aimed from their centre at 1 to 1.49.
    for (int lvl : {9, 10}) {
        restartAt(lvl);
        player->x = 100;
        Enemy& e = minion(8);
        e.hp = 1000;
        for (int i = 0; i < 200; ++i)
            e.damage(1);
        std::vector<Bullet*> back = alive(bulletManager);
        EXPECT_TRUE(lvl == 9 ? back.empty() : back.size() > 70 && back.size() < 130) << back.size();
        for (Bullet* b : back)
            EXPECT_TRUE(std::fabs(heading(*b) + 90) < 1e-3 && speed(*b) < 1.4901);
    }
}

TEST_F(EnemyTest, BossBurstTakesItsDrawsInOrderXYAngleSpeed) {
    restartAt(7);
    randSeed(77);
    uint32_t r[12];
    for (uint32_t& v : r)
        v = randNext();
    randSeed(77);
    boss().damage(40);
    std::vector<Bullet*> back = alive(bulletManager);
    ASSERT_EQ(3u, back.size());
    for (int i = 0; i < 3; ++i) {
        const uint32_t* d = r + 4 * i;
        EXPECT_EQ(160.0f + d[0] % 32 - 16, back[i]->x) << i;
        EXPECT_EQ(70.0f + d[1] % 32 - 16, back[i]->y) << i;
        EXPECT_NEAR(-90 + double(d[2] % 15) - 7.5, heading(*back[i]), 1e-3) << i;
        EXPECT_NEAR(5 + (d[3] % 100) / 100.0, speed(*back[i]), 1e-5) << i;
    }
}

TEST_F(EnemyTest, DestroyTimeOutsLeavingAndAFullPool) {
    restartAt(15);
    Enemy::create(1, 50, 150, 32, 32, 0, 0);
    Enemy::create(2, 250, 150, 12, 12, 0, 0);
    fireBulletDirect(10, 300, 0, 0, 0, 0);
    Item::create(100, 300, 270, -2, 0, 0);
    particleManager->clear();
    boss().damage(boss().hp);
    EXPECT_TRUE(game->state == GM_CLEAR && game->timer == 240);
    EXPECT_TRUE(enemyManager->count() == 0 && itemManager->count() == 0 && game->score == 2000);
    EXPECT_EQ(3 * 8 + 1, particleManager->count()); // three explosions and one pop-up
    std::vector<Bullet*> ring =
        alive(bulletManager); // the boss's own ring comes after the clearing
    ASSERT_EQ(18u, ring.size());
    EXPECT_TRUE(ring[17]->x == 160 && ring[17]->y == 70);

    for (int lvl :
         {19, 20}) { // a time-out: hit points left, so no points, and aimed bullets from 20
        restartAt(lvl);
        player->x = 100, player->y = 400;
        game->score = 0;
        minion(12).destroy();
        EXPECT_TRUE(itemManager->count() == 1 && game->score == 0);
        std::vector<Bullet*> burst = alive(bulletManager);
        ASSERT_EQ(lvl == 20 ? 18u : 0u, burst.size());
        for (Bullet* b : burst)
            EXPECT_TRUE(std::fabs(heading(*b) + 90) <= 5.001 && speed(*b) > 2.9999 &&
                        speed(*b) < 3.4901);
    }

    Enemy& e = minion(6);
    e.x = -40;
    particleManager->clear(), itemManager->clear();
    e.move();
    EXPECT_TRUE(!e.exists && itemManager->count() == 0 && particleManager->count() == 0);
    while (enemyManager->getFreeToken())
        Enemy::create(1, 10, 10, 32, 32, 0, 0);
    Enemy::create(2, 20, 20, 12, 12, 0, 0);
    for (Enemy& any : *enemyManager)
        EXPECT_NE(2, any.kind);
}

TEST_F(EnemyTest, BossIsAGreenBoxWithAHitPointBarInWholeSteps) {
    struct Look {
        int level, hp, lastX, r, g;
    } looks[] = {{0, 1600, 309, 0, 255},
                 {0, 1599, 308, 0, 254},
                 {0, 800, 159, 127, 127},
                 {50, 11600, 309, 0, 255}};
    for (const Look& l : looks) {
        restartAt(l.level);
        boss().hp = l.hp;
        Plix_fillRect(0, 0, 0, 0, 0, 0, 0);
        boss().draw();
        EXPECT_TRUE(pixelIs(120, 30, 0, 255, 0) && pixelIs(199, 109, 0, 255, 0) &&
                    pixelIs(200, 70, 0, 0, 0));
        EXPECT_TRUE(pixelIs(10, 10, l.r, l.g, 128) && pixelIs(l.lastX, 19, l.r, l.g, 128)) << l.hp;
        EXPECT_TRUE(pixelIs(l.lastX + 1, 10, 0, 0, 0) && pixelIs(10, 20, 0, 0, 0)) << l.hp;
    }
    Enemy& m = minion(1);
    Plix_fillRect(0, 0, 0, 0, 0, 0, 0);
    m.draw();
    EXPECT_TRUE(pixelIs(100, 200, 0, 255, 0) && pixelIs(10, 10, 0, 0, 0)); // no bar for minions
}

} // namespace
