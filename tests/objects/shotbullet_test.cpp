// Shots and bullets: leaving the field, acceleration, the wobble's phases, and fireBullet's level rules.
#include "objects/ShotBullet.h"

#include "PlaySupport.h"
#include "plix/Plix.h"

#include <cmath>

namespace {

using namespace play;

class ShotBulletTest : public PlayTest {
  protected:
    void SetUp() override {
        PlayTest::SetUp();
        bulletManager->clear();
    }
    // Falling speeds of the live bullets, in pool order.
    std::vector<float> fallSpeeds() {
        std::vector<float> out;
        for (Bullet* b : alive(bulletManager)) out.push_back(b->vy);
        return out;
    }
};

TEST_F(ShotBulletTest, ShotFliesStraightAndLeavesOnlyPastTheEdge) {
    Shot::create(50, 10, 90, 10);
    Shot& s = shotManager->getTokens()[0];
    EXPECT_EQ(4.0f, s.width);
    EXPECT_NEAR(0, s.vx, 1e-5);
    s.move();
    EXPECT_TRUE(s.exists); // y 0 is not beyond -2
    s.move();
    EXPECT_FALSE(s.exists);

    shotManager->clear();
    for (int i = 0; i < 65; ++i) Shot::create(float(i), 100, 90, 10);
    EXPECT_EQ(64, shotManager->count());
    EXPECT_EQ(63.0f, shotManager->getTokens()[63].x);
}

TEST_F(ShotBulletTest, BulletLeavesPastHalfItsBoxAndAgesEveryMove) {
    fireBulletDirect(-3.5f, 100, 180, 0.5f, 0, 0);
    Bullet& b = bulletManager->getTokens()[0];
    EXPECT_EQ(0, b.age);
    b.move();
    EXPECT_EQ(-4.0f, b.x);
    EXPECT_TRUE(b.exists);
    b.move();
    EXPECT_FALSE(b.exists);
    EXPECT_EQ(2, b.age); // also in the frame it left

    // Acceleration keeps adding: 0.1, 0.2, 0.3 px in successive frames.
    fireBulletDirect(100, 100, 0, 0, 0.1f, 0);
    Bullet& a = bulletManager->getTokens()[0];
    float last = a.x;
    for (int i = 1; i <= 3; ++i) {
        a.move();
        EXPECT_NEAR(0.1 * i, a.x - last, 1e-5);
        last = a.x;
    }
}

TEST_F(ShotBulletTest, FireBulletAppliesTheLevelsSpeedAndTwinRules) {
    struct Case {
        int level;
        std::vector<float> speeds;
    };
    const Case cases[] = {
        {0, {4}},   {1, {4}},   {4, {4}},   {5, {4}},    {2, {6}},      {17, {6}},
        {22, {7.2f}}, {47, {7.2f}}, {3, {4, 3.2f}}, {48, {4, 3.2f}}, {23, {4, 3.2f}},
    };
    for (const Case& c : cases) {
        bulletManager->clear();
        level = c.level;
        fireBullet(10, 20, 270, 4, 0, 0);
        std::vector<float> got = fallSpeeds();
        ASSERT_EQ(c.speeds.size(), got.size()) << "level " << c.level;
        for (size_t i = 0; i < got.size(); ++i)
            EXPECT_NEAR(c.speeds[i], got[i], 1e-5) << "level " << c.level;
    }
    // The enemies' own fire ignores the level.
    bulletManager->clear();
    level = 2;
    fireBulletDirect(10, 20, 270, 4, 0, 0);
    EXPECT_EQ(std::vector<float>{4}, fallSpeeds());
}

TEST_F(ShotBulletTest, FullPoolFiresNothingAndLastPlaceTakesOnlyTheFirstTwin) {
    level = 3;
    for (int i = 0; i < BULLET_CAPACITY - 1; ++i) fireBulletDirect(50, 50, 0, 0, 0, 0);
    fireBullet(10, 20, 270, 4, 0, 0);
    EXPECT_EQ(BULLET_CAPACITY, bulletManager->count());
    EXPECT_NEAR(4, bulletManager->getTokens()[BULLET_CAPACITY - 1].vy, 1e-5);
    fireBullet(10, 20, 270, 4, 0, 0);
    fireBulletDirect(10, 20, 270, 4, 0, 0);
    EXPECT_EQ(BULLET_CAPACITY, bulletManager->count());
    EXPECT_NEAR(4, bulletManager->getTokens()[BULLET_CAPACITY - 1].vy, 1e-5);
}

TEST_F(ShotBulletTest, BulletWobblesFlatNormalTallNormalEveryThreeFrames) {
    fireBulletDirect(100, 100, 0, 0, 0, 0);
    Bullet& b = bulletManager->getTokens()[0];
    auto drawnAt = [&](int age) {
        b.age = age;
        Plix_fillRect(0, 0, 0, 0, 0, 0, 0);
        b.draw();
    };
    for (int age : {0, 2, 12}) {
        drawnAt(age); // flat: x 95 to 104, y 97 to 102
        EXPECT_TRUE(pixelIs(95, 100, 255, 128, 0)) << age;
        EXPECT_TRUE(pixelIs(104, 102, 255, 128, 0)) << age;
        EXPECT_TRUE(pixelIs(105, 100, 0, 0, 0)) << age;
        EXPECT_TRUE(pixelIs(100, 96, 0, 0, 0)) << age;
    }
    for (int age : {3, 5, 9, 11}) {
        drawnAt(age); // the box itself: 96 to 103
        EXPECT_TRUE(pixelIs(96, 96, 255, 64, 0)) << age;
        EXPECT_TRUE(pixelIs(103, 103, 255, 64, 0)) << age;
        EXPECT_TRUE(pixelIs(95, 100, 0, 0, 0)) << age;
        EXPECT_TRUE(pixelIs(100, 95, 0, 0, 0)) << age;
    }
    for (int age : {6, 8}) {
        drawnAt(age); // tall: x 97 to 102, y 95 to 104
        EXPECT_TRUE(pixelIs(97, 95, 255, 0, 0)) << age;
        EXPECT_TRUE(pixelIs(102, 104, 255, 0, 0)) << age;
        EXPECT_TRUE(pixelIs(96, 100, 0, 0, 0)) << age;
        EXPECT_TRUE(pixelIs(100, 105, 0, 0, 0)) << age;
    }

    Shot::create(50, 60, 90, 10);
    Plix_fillRect(0, 0, 0, 0, 0, 0, 0);
    shotManager->getTokens()[0].draw();
    EXPECT_TRUE(pixelIs(48, 58, 128, 128, 255));
    EXPECT_TRUE(pixelIs(51, 61, 128, 128, 255));
    EXPECT_TRUE(pixelIs(52, 60, 0, 0, 0));
}

} // namespace
