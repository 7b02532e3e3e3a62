// Shots and bullets: leaving the field, acceleration, the wobble's phases, and fireBullet's level
// rules.
#include "objects/ShotBullet.h"

#include "PlaySupport.h"
#include "plix/Plix.h"

#include <cmath>

namespace {

using namespace play;

class ShotBulletTest : public PlayTest {
  protected:
    std::vector<float> fallSpeeds() {
        std::vector<float> out;
        for (Bullet* b : alive(bulletManager))
            out.push_back(b->vy);
        return out;
    }
};

TEST_F(ShotBulletTest, LeaveOnlyPastHalfTheirBoxBulletsAgeAndAccelerate) {
    Shot::create(50, 10, 90, 10);
    Shot& s = shotManager->getTokens()[0];
    s.move();
    EXPECT_TRUE(s.exists); // y 0 is not beyond -2
    s.move();
    EXPECT_FALSE(s.exists);

    fireBulletDirect(-3.5f, 100, 180, 0.5f, 0, 0);
    Bullet& b = bulletManager->getTokens()[0];
    b.move();
    EXPECT_TRUE(b.exists && b.x == -4);
    b.move();
    EXPECT_FALSE(b.exists);
    EXPECT_EQ(2, b.age); // also in the frame it left

    fireBulletDirect(100, 100, 0, 0, 0.1f, 0);
    for (float step : {0.1f, 0.2f, 0.3f}) {
        float x = b.x;
        b.move();
        EXPECT_NEAR(step, b.x - x, 1e-5);
    }
}

TEST_F(ShotBulletTest, FireBulletSpeedUpAndTwinByLevelFullPoolFiresNothing) {
    struct Case {
        int level;
        std::vector<float> speeds;
    } cases[] = {{0, {4}},  {1, {4}},     {4, {4}},     {5, {4}},       {2, {6}},
                 {17, {6}}, {22, {7.2f}}, {47, {7.2f}}, {3, {4, 3.2f}}, {48, {4, 3.2f}}};
    for (const Case& c : cases) {
        bulletManager->clear();
        level = c.level;
        fireBullet(10, 20, 270, 4, 0, 0);
        std::vector<float> got = fallSpeeds();
        ASSERT_EQ(c.speeds.size(), got.size()) << c.level;
        for (size_t i = 0; i < got.size(); ++i)
            EXPECT_NEAR(c.speeds[i], got[i], 1e-5) << c.level;
    }
    bulletManager->clear();
    level = 2;
    fireBulletDirect(10, 20, 270, 4, 0, 0); // the enemies' own fire ignores the level
    EXPECT_EQ(std::vector<float>{4}, fallSpeeds());

    level = 3; // one place left: the faster bullet takes it, the twin is dropped
    for (int i = 1; i < BULLET_CAPACITY - 1; ++i)
        fireBulletDirect(50, 50, 0, 0, 0, 0);
    fireBullet(10, 20, 270, 4, 0, 0);
    fireBullet(10, 20, 270, 5, 0, 0);
    EXPECT_EQ(BULLET_CAPACITY, bulletManager->count());
    EXPECT_NEAR(4, bulletManager->getTokens()[BULLET_CAPACITY - 1].vy, 1e-5);
}

TEST_F(ShotBulletTest, BulletWobblesFlatNormalTallNormalEveryThreeFrames) {
    fireBulletDirect(100, 100, 0, 0, 0, 0);
    Bullet& b = bulletManager->getTokens()[0];
    // Per age: a corner that must be filled, in the phase's colour, and a point just outside.
    struct Look {
        int age, x, y, green, blue, outX, outY;
    } looks[] = {{0, 95, 97, 128, 0, 100, 96},    {2, 104, 102, 128, 0, 105, 100},
                 {12, 95, 102, 128, 0, 100, 103}, {3, 96, 96, 64, 0, 95, 100},
                 {11, 103, 103, 64, 0, 100, 104}, {6, 97, 95, 0, 0, 96, 100},
                 {8, 102, 104, 0, 0, 103, 100}};
    for (const Look& l : looks) {
        b.age = l.age;
        Plix_fillRect(0, 0, 0, 0, 0, 0, 0);
        b.draw();
        EXPECT_TRUE(pixelIs(l.x, l.y, 255, l.green, l.blue)) << l.age;
        EXPECT_TRUE(pixelIs(l.outX, l.outY, 0, 0, 0)) << l.age;
    }
}

} // namespace
