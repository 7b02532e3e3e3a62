// Player: steering and clamps, the volley fan, capture boxes and charge, hits, pick-ups and drawing.
#include "objects/Player.h"

#include "objects/ItemBomb.h"
#include "objects/Particle.h"
#include "objects/ShotBullet.h"
#include "PlaySupport.h"
#include "plix/Plix.h"

#include <cmath>
#include <cstring>

namespace {

using namespace play;

double headingOf(const Token& t) {
    double a = std::atan2(-static_cast<double>(t.vy), static_cast<double>(t.vx)) * 180.0 / M_PI;
    return a < 0 ? a + 360 : a;
}

class PlayerTest : public PlayTest {
  protected:
    Player& p() { return *player; }
    // One frame of the player alone, with these keys in the snapshot.
    void moveWith(std::initializer_list<int> held) {
        keys(held);
        p().move();
    }
    int countKind(int kind) {
        int n = 0;
        for (Particle* q : alive(particleManager)) n += q->kind == kind;
        return n;
    }
};

TEST_F(PlayerTest, SteersAtFiveOrTwoAndDiagonalsKeepTheSpeed) {
    const float diag5 = 5 / std::sqrt(2.0f), diag2 = 2 / std::sqrt(2.0f);
    moveWith({KEY_RIGHT});
    EXPECT_EQ(165.0f, p().x);
    EXPECT_EQ(384.0f, p().y);
    moveWith({KEY_RIGHT, KEY_Z});
    EXPECT_EQ(167.0f, p().x);
    moveWith({KEY_UP, KEY_LEFT});
    EXPECT_NEAR(167 - diag5, p().x, 1e-4);
    EXPECT_NEAR(384 - diag5, p().y, 1e-4);
    float x = p().x, y = p().y;
    moveWith({KEY_DOWN, KEY_RIGHT, KEY_Z});
    EXPECT_NEAR(x + diag2, p().x, 1e-4);
    EXPECT_NEAR(y + diag2, p().y, 1e-4);
    // Right wins over left, down over up.
    x = p().x, y = p().y;
    moveWith({KEY_LEFT, KEY_RIGHT});
    EXPECT_EQ(x + 5, p().x);
    EXPECT_EQ(y, p().y);
    moveWith({KEY_UP, KEY_DOWN});
    EXPECT_EQ(y + 5, p().y);
    x = p().x, y = p().y;
    moveWith({});
    EXPECT_EQ(x, p().x);
    EXPECT_EQ(y, p().y);
    // The pods hang 36 px above the centre, 10 px apart.
    EXPECT_EQ(p().x - 5, p().podLeft.x);
    EXPECT_EQ(p().x + 5, p().podRight.x);
    EXPECT_FLOAT_EQ(p().y - 36, p().podLeft.y);
    EXPECT_EQ(p().podLeft.y, p().podRight.y);
}

TEST_F(PlayerTest, TheCentreStaysWithinTheFieldLessTheHitBox) {
    for (int i = 0; i < 40; ++i) moveWith({KEY_LEFT});
    for (int i = 0; i < 100; ++i) moveWith({KEY_UP});
    EXPECT_EQ(0.0f, p().x);
    EXPECT_EQ(0.0f, p().y);
    p().x = 316;
    p().y = 476;
    moveWith({KEY_RIGHT});
    EXPECT_EQ(318.0f, p().x);
    moveWith({KEY_DOWN});
    EXPECT_EQ(478.0f, p().y);
}

TEST_F(PlayerTest, VolleysComeEveryThirdFrameAndFanOutByFiveDegrees) {
    p().hasPods = false;
    p().volley = 0;
    p().shotWait = 0;
    std::vector<int> counts;
    for (int f = 0; f < 24; ++f) {
        moveWith({KEY_Z});
        counts.push_back(shotManager->count());
    }
    EXPECT_EQ((std::vector<int>{4, 4, 4, 8, 8, 8, 12, 12, 12, 16, 16, 16, 20, 20, 20, 24, 24, 24, 28,
                                28, 28, 32, 32, 32}),
              counts);
    const Shot* shots = shotManager->getTokens();
    for (int v = 0; v < 8; ++v) {
        const Shot* s = shots + 4 * v;
        int k = (v + 1) % 8; // 5, 10, ... 35 degrees, then straight once
        EXPECT_EQ(156.0f, s[0].x);
        EXPECT_EQ(164.0f, s[1].x);
        EXPECT_EQ(160.0f, s[2].x);
        EXPECT_EQ(384.0f, s[2].y);
        EXPECT_NEAR(90, headingOf(s[0]), 1e-3);
        EXPECT_NEAR(90, headingOf(s[1]), 1e-3);
        EXPECT_NEAR(90 - 5 * k, headingOf(s[2]), 1e-3) << "volley " << v;
        EXPECT_NEAR(90 + 5 * k, headingOf(s[3]), 1e-3) << "volley " << v;
        EXPECT_NEAR(10, std::hypot(s[3].vx, s[3].vy), 1e-4);
    }
    // A new game does not restart the fan.
    game->start();
    EXPECT_EQ(8, p().volley);
}

TEST_F(PlayerTest, WithPodsTheButtonSlowsAndNeverShoots) {
    for (int i = 0; i < 10; ++i) moveWith({KEY_Z, KEY_UP});
    EXPECT_EQ(0, shotManager->count());
    EXPECT_EQ(384.0f - 20, p().y);
}

TEST_F(PlayerTest, ChargeGainsOneAFrameAndEachCaptureNeedsItsOwnPush) {
    // A push in the very first frame captures at once: 120 + 1 - 120.
    moveWith({KEY_Z});
    EXPECT_EQ(1, p().charge);
    EXPECT_EQ(2, countKind(PK_FLASH));
    // Holding on never repeats the capture, however full the charge.
    for (int i = 0; i < 300; ++i) moveWith({KEY_Z});
    EXPECT_EQ(240, p().charge);
    EXPECT_EQ(2, countKind(PK_FLASH));
    moveWith({});
    moveWith({KEY_Z});
    EXPECT_EQ(120, p().charge);
    moveWith({}); // the release is a frame too
    moveWith({KEY_Z});
    EXPECT_EQ(2, p().charge);
    EXPECT_EQ(6, countKind(PK_FLASH));
    // One short of 120 the push is spent on reaching it.
    p().charge = 119;
    moveWith({});
    p().charge = 119;
    moveWith({KEY_Z});
    EXPECT_EQ(120, p().charge);
    EXPECT_EQ(6, countKind(PK_FLASH));
}

TEST_F(PlayerTest, CaptureBoxesTakeOverlappingBulletsOnceEach) {
    moveWith({}); // the pods swing out to (155, 348) and (165, 348)
    ASSERT_EQ(155.0f, p().podLeft.x);
    // Left box spans x 131 to 179 and y 324 to 372, the right one x 141 to 189.
    const float at[][2] = {{128, 348}, {127, 348}, {192, 348}, {193, 348}, {160, 348}, {160, 320}};
    for (auto& a : at) fireBulletDirect(a[0], a[1], 0, 0, 0, 0);
    moveWith({KEY_Z});
    const Bullet* b = bulletManager->getTokens();
    EXPECT_FALSE(b[0].exists);
    EXPECT_TRUE(b[1].exists);
    EXPECT_FALSE(b[2].exists);
    EXPECT_TRUE(b[3].exists);
    EXPECT_FALSE(b[4].exists); // in both boxes, yet one bomb
    EXPECT_TRUE(b[5].exists);
    std::vector<Bomb*> bombs = alive(bombManager);
    ASSERT_EQ(3u, bombs.size());
    EXPECT_EQ(128.0f, bombs[0]->x);
    EXPECT_EQ(192.0f, bombs[1]->x);
    EXPECT_EQ(160.0f, bombs[2]->x);
    for (Bomb* bomb : bombs) {
        EXPECT_NEAR(0, bomb->vx, 1e-5);
        EXPECT_FLOAT_EQ(-10, bomb->vy);
    }
    // Drifted from 0 to 2 over the two frames, then 20 a bullet.
    EXPECT_EQ(62, game->gauge);
}

TEST_F(PlayerTest, ABulletInBothBoxesGoesToTheNearerOneAndATieGoesLeft) {
    // Arms at 60 degrees make the two boxes send their bombs apart: left at 120, right at 60.
    p().podAngle = 60;
    moveWith({});
    float midY = p().podLeft.y;
    fireBulletDirect(160, midY, 0, 0, 0, 0); // equally far from both centres
    fireBulletDirect(161, midY, 0, 0, 0, 0); // nearer the right one
    moveWith({KEY_Z});
    std::vector<Bomb*> bombs = alive(bombManager);
    ASSERT_EQ(2u, bombs.size());
    EXPECT_NEAR(120, headingOf(*bombs[0]), 1e-3);
    EXPECT_NEAR(60, headingOf(*bombs[1]), 1e-3);
    EXPECT_EQ(2 + 40, game->gauge);
}

TEST_F(PlayerTest, GaugeStopsAt199AndAFullBombPoolStillCaptures) {
    moveWith({});
    game->gauge = 10;
    for (int i = 0; i < 10; ++i) fireBulletDirect(135, 330.0f + 4 * i, 0, 0, 0, 0);
    moveWith({KEY_Z});
    EXPECT_EQ(199, game->gauge);
    EXPECT_EQ(10, bombManager->count());
    EXPECT_EQ(0, bulletManager->count());

    while (Bomb* bomb = bombManager->getFreeToken()) bomb->init(0, 0, 16, 16, 90, 0, 0, 0);
    game->gauge = 10;
    p().charge = 240;
    fireBulletDirect(135, 340, 0, 0, 0, 0);
    moveWith({});
    moveWith({KEY_Z});
    EXPECT_EQ(0, bulletManager->count());
    EXPECT_EQ(30, game->gauge);
}

TEST_F(PlayerTest, GaugeDriftsToTenAndRestsThere) {
    std::vector<int> seen;
    for (int i = 0; i < 11; ++i) {
        moveWith({});
        seen.push_back(game->gauge);
    }
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 10}), seen);
    game->gauge = 12;
    moveWith({});
    EXPECT_EQ(11, game->gauge);
    moveWith({});
    moveWith({});
    EXPECT_EQ(10, game->gauge);
}

TEST_F(PlayerTest, AHitCostsThePodsFirstAndThenTheShip) {
    moveWith({});
    game->gauge = 47;
    game->bonus = 2;
    Plix_fillRect(0, 0, 0, 0, 0, 0, 0);
    p().damage();
    EXPECT_TRUE(pixelIs(300, 10, 255, 255, 255));
    EXPECT_TRUE(p().exists);
    EXPECT_FALSE(p().hasPods);
    EXPECT_EQ(0, p().charge);
    EXPECT_EQ(23, game->gauge);
    EXPECT_EQ(1, game->bonus);
    std::vector<Particle*> debris = alive(particleManager);
    ASSERT_EQ(8u, debris.size());
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(PK_DEBRIS, debris[i]->kind);
        EXPECT_EQ(i < 4 ? 165.0f : 155.0f, debris[i]->x) << i; // right pod first
        EXPECT_EQ(348.0f, debris[i]->y);
    }
    // Lost pods stay where they were.
    moveWith({KEY_RIGHT});
    EXPECT_EQ(155.0f, p().podLeft.x);

    game->bonus = 0;
    particleManager->clear();
    p().damage();
    EXPECT_FALSE(p().exists);
    EXPECT_EQ(11, game->gauge);
    EXPECT_EQ(0, game->bonus);
    ASSERT_EQ(8, particleManager->count());
    EXPECT_EQ(p().x, particleManager->getTokens()[7].x);
}

TEST_F(PlayerTest, PickUpScoresWithPodsAndRestoresThemWithout) {
    moveWith({});
    p().charge = 200;
    p().pickUp();
    EXPECT_EQ(240, p().charge);
    EXPECT_EQ(500, game->score);
    EXPECT_EQ(1, game->bonus);
    std::vector<Particle*> texts = alive(particleManager);
    ASSERT_EQ(1u, texts.size());
    EXPECT_EQ(PK_TEXT, texts[0]->kind);
    EXPECT_STREQ("500", texts[0]->text);
    EXPECT_EQ(p().x - 18, texts[0]->x);

    p().damage();
    particleManager->clear();
    p().pickUp();
    EXPECT_TRUE(p().hasPods);
    EXPECT_EQ(120, p().charge);
    EXPECT_EQ(500, game->score);
    EXPECT_EQ(0, game->bonus);
    EXPECT_EQ(1, countKind(PK_RECOVERY));
}

TEST_F(PlayerTest, DrawsShipPodsAndChargeBarUntilThePodsAreLost) {
    moveWith({});
    p().charge = 100;
    Plix_fillRect(0, 0, 0, 0, 0, 0, 0);
    p().draw();
    EXPECT_TRUE(pixelIs(152, 376, 64, 64, 255));
    EXPECT_TRUE(pixelIs(167, 391, 64, 64, 255));
    EXPECT_TRUE(pixelIs(168, 384, 0, 0, 0));
    EXPECT_TRUE(pixelIs(155, 348, 255, 255, 0));
    EXPECT_TRUE(pixelIs(165, 348, 255, 255, 0));
    // 100 * 300 / 240 = 125 px, 5 high.
    EXPECT_TRUE(pixelIs(10, 450, 0, 0, 128));
    EXPECT_TRUE(pixelIs(134, 454, 0, 0, 128));
    EXPECT_TRUE(pixelIs(135, 450, 0, 0, 0));
    EXPECT_TRUE(pixelIs(10, 455, 0, 0, 0));

    keys({KEY_Z});
    p().draw();
    EXPECT_TRUE(pixelIs(155, 348, 128, 128, 255));

    p().damage();
    Plix_fillRect(0, 0, 0, 0, 0, 0, 0);
    p().draw();
    EXPECT_TRUE(pixelIs(160, 384, 64, 64, 255));
    EXPECT_TRUE(pixelIs(155, 348, 0, 0, 0));
    EXPECT_TRUE(pixelIs(10, 450, 0, 0, 0));
}

} // namespace
