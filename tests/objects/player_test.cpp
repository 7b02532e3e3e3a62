// Player: steering and clamps, the volley fan, capture boxes and charge, hits, pick-ups and
// drawing.
#include "objects/Player.h"

#include "PlaySupport.h"
#include "objects/ItemBomb.h"
#include "objects/Particle.h"
#include "objects/ShotBullet.h"
#include "plix/Plix.h"

#include <cmath>

namespace {

using namespace play;

double heading(const Token& t) {
    return std::atan2(-double(t.vy), double(t.vx)) * 180 / M_PI;
}

class PlayerTest : public PlayTest {
  protected:
    Player& p() { return *player; }
    void moveWith(std::initializer_list<int> held) {
        keys(held);
        p().move();
    }
};

TEST_F(PlayerTest, SteersAtFiveOrTwoDiagonalsIncludedWithinTheField) {
    const float d5 = 5 / std::sqrt(2.0f), d2 = 2 / std::sqrt(2.0f);
    struct Step {
        std::initializer_list<int> keys;
        float dx, dy;
    } steps[] = {{{KEY_RIGHT}, 5, 0},
                 {{KEY_LEFT, KEY_Z}, -2, 0},
                 {{KEY_UP, KEY_LEFT}, -d5, -d5},
                 {{KEY_DOWN, KEY_RIGHT, KEY_Z}, d2, d2},
                 {{KEY_LEFT, KEY_RIGHT}, 5, 0},
                 {{KEY_UP, KEY_DOWN}, 0, 5},
                 {{}, 0, 0}};
    for (const Step& s : steps) {
        float x = p().x, y = p().y;
        moveWith(s.keys);
        EXPECT_NEAR(x + s.dx, p().x, 1e-4);
        EXPECT_NEAR(y + s.dy, p().y, 1e-4);
    }
    EXPECT_EQ(p().x - 5, p().podLeft.x); // pods 36 px up, 10 px apart
    EXPECT_EQ(p().x + 5, p().podRight.x);
    EXPECT_FLOAT_EQ(p().y - 36, p().podRight.y);
    for (int i = 0; i < 40; ++i)
        moveWith({KEY_LEFT});
    for (int i = 0; i < 100; ++i)
        moveWith({KEY_UP});
    EXPECT_TRUE(p().x == 0 && p().y == 0);
    p().x = 316, p().y = 476;
    moveWith({KEY_RIGHT, KEY_DOWN});
    EXPECT_TRUE(p().x == 318 && p().y == 478);
}

TEST_F(PlayerTest, VolleysEveryThirdFrameFanOutFiveDegreesMoreEachTime) {
    for (int i = 0; i < 6; ++i)
        moveWith({KEY_Z});
    EXPECT_EQ(0, shotManager->count()); // with pods the button only slows
    p().hasPods = false;
    p().volley = 0;
    p().shotWait = 0;
    std::vector<int> counts;
    for (int f = 0; f < 24; ++f) {
        moveWith({KEY_Z});
        counts.push_back(shotManager->count());
    }
    EXPECT_EQ((std::vector<int>{4,  4,  4,  8,  8,  8,  12, 12, 12, 16, 16, 16,
                                20, 20, 20, 24, 24, 24, 28, 28, 28, 32, 32, 32}),
              counts);
    for (int v = 0; v < 8; ++v) {
        const Shot* s = shotManager->getTokens() + 4 * v;
        int k = (v + 1) % 8; // 5 to 35 degrees, then straight once
        EXPECT_TRUE(s[0].x == p().x - 4 && s[1].x == p().x + 4 && s[2].x == p().x);
        EXPECT_NEAR(90, heading(s[1]), 1e-3);
        EXPECT_NEAR(90 - 5 * k, heading(s[2]), 1e-3) << v;
        EXPECT_NEAR(90 + 5 * k, heading(s[3]), 1e-3) << v;
    }
    game->start();
    EXPECT_EQ(8, p().volley); // the fan carries over into the next game
}

TEST_F(PlayerTest, CaptureBoxesTieRuleGaugeCeilingAndCharge) {
    moveWith({KEY_Z}); // a push in the very first frame captures at once: 120 + 1 - 120
    EXPECT_EQ(1, p().charge);
    // Boxes 48 x 48 on the pods at (155, 348) and (165, 348); 8 x 8 bullets, edges touching do not
    // count.
    const float at[][2] = {{128, 348}, {127, 348}, {192, 348}, {193, 348}, {160, 348}, {160, 320}};
    for (auto& a : at)
        fireBulletDirect(a[0], a[1], 0, 0, 0, 0);
    moveWith({});
    p().charge = 119;
    moveWith({KEY_Z}); // 119 + 1 only reaches 120
    EXPECT_EQ(6, bulletManager->count());
    moveWith({});
    game->gauge = 0;
    moveWith({KEY_Z});
    EXPECT_EQ(2, p().charge);
    std::vector<Bullet*> left = alive(bulletManager);
    ASSERT_EQ(3u, left.size());
    EXPECT_TRUE(left[0]->x == 127 && left[1]->x == 193 && left[2]->y == 320);
    std::vector<Bomb*> bombs = alive(bombManager);
    ASSERT_EQ(3u, bombs.size()); // the bullet in both boxes makes one
    EXPECT_TRUE(bombs[0]->x == 128 && bombs[1]->x == 192 && bombs[2]->x == 160);
    EXPECT_FLOAT_EQ(-10, bombs[2]->vy);
    EXPECT_EQ(1 + 60, game->gauge);

    // Arms at 60 degrees send the boxes' bombs apart: left at 120, right at 60. A tie goes left.
    bombManager->clear();
    bulletManager->clear();
    p().podAngle = 60;
    p().charge = 240;
    moveWith({});
    fireBulletDirect(160, p().podLeft.y, 0, 0, 0, 0);
    fireBulletDirect(161, p().podLeft.y, 0, 0, 0, 0);
    moveWith({KEY_Z});
    EXPECT_EQ(120, p().charge);
    bombs = alive(bombManager);
    ASSERT_EQ(2u, bombs.size());
    EXPECT_NEAR(120, heading(*bombs[0]), 1e-3);
    EXPECT_NEAR(60, heading(*bombs[1]), 1e-3);

    // Ten at once from 10 stop at 199; with the bomb pool full the bullets still go and count.
    p().podAngle = 90;
    moveWith({});
    for (int i = 0; i < 10; ++i)
        fireBulletDirect(135, 330.0f + 4 * i, 0, 0, 0, 0);
    while (Bomb* b = bombManager->getFreeToken())
        b->init(0, 0, 16, 16, 90, 0, 0, 0);
    game->gauge = 10;
    p().charge = 240;
    moveWith({KEY_Z});
    EXPECT_EQ(199, game->gauge);
    EXPECT_EQ(0, bulletManager->count());
}

TEST_F(PlayerTest, HitsCostPodsThenShipAndPickUpsScoreOrRestore) {
    moveWith({});
    game->gauge = 47, game->bonus = 1, p().charge = 200;
    p().pickUp();
    EXPECT_TRUE(p().charge == 240 && game->score == 500 && game->bonus == 2);
    ASSERT_EQ(1, particleManager->count());
    EXPECT_STREQ("500", particleManager->getTokens()[0].text);
    particleManager->clear();

    Plix_fillRect(0, 0, 0, 0, 0, 0, 0);
    p().damage();
    EXPECT_TRUE(pixelIs(300, 10, 255, 255, 255));
    EXPECT_TRUE(p().exists && !p().hasPods && p().charge == 0);
    EXPECT_TRUE(game->gauge == 23 && game->bonus == 1);
    std::vector<Particle*> debris = alive(particleManager);
    ASSERT_EQ(8u, debris.size());
    EXPECT_TRUE(debris[0]->x == 165 && debris[4]->x == 155); // right pod first
    moveWith({KEY_RIGHT});
    EXPECT_EQ(155.0f, p().podLeft.x); // lost pods stay put

    p().pickUp();
    EXPECT_TRUE(p().hasPods && p().charge == 120 && game->score == 500 && game->bonus == 1);
    EXPECT_EQ(PK_RECOVERY, particleManager->getTokens()[8].kind);
    p().damage();
    game->bonus = 0;
    p().damage();
    EXPECT_FALSE(p().exists);
    EXPECT_EQ(0, game->bonus);
    EXPECT_EQ(p().x, particleManager->getTokens()[24].x);
}

TEST_F(PlayerTest, DrawsShipPodsAndChargeBarUntilThePodsAreLost) {
    moveWith({});
    p().charge = 100;
    Plix_fillRect(0, 0, 0, 0, 0, 0, 0);
    p().draw();
    EXPECT_TRUE(pixelIs(152, 376, 64, 64, 255) && pixelIs(167, 391, 64, 64, 255));
    EXPECT_TRUE(pixelIs(151, 344, 255, 255, 0) && pixelIs(168, 351, 255, 255, 0));
    EXPECT_TRUE(pixelIs(134, 454, 0, 0, 128) &&
                pixelIs(135, 450, 0, 0, 0)); // 100 * 300 / 240 = 125
    keys({KEY_Z});
    p().draw();
    EXPECT_TRUE(pixelIs(155, 348, 128, 128, 255));
    p().damage();
    Plix_fillRect(0, 0, 0, 0, 0, 0, 0);
    p().draw();
    EXPECT_TRUE(pixelIs(160, 384, 64, 64, 255));
    EXPECT_TRUE(pixelIs(155, 348, 0, 0, 0) && pixelIs(10, 450, 0, 0, 0));
}

} // namespace
