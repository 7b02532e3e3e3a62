// Player: steering and clamps, the volley fan, capture boxes and charge, hits and pick-ups.
#include "support/FightSupport.h"

static void moveWith(std::initializer_list<int> held) {
    testsupport::hold(held);
    player->move();
}

TEST_F(PlayTest, SteersAtFiveOrTwoDiagonalsIncludedWithinTheField) {
    auto step = [](std::initializer_list<int> held, float dx, float dy) {
        float x = player->x, y = player->y;
        moveWith(held);
        EXPECT_TRUE(std::fabs(x + dx - player->x) < 1e-4 && std::fabs(y + dy - player->y) < 1e-4)
            << dx << ", " << dy;
    };
    const float d5 = 5 / std::sqrt(2.0f), d2 = 2 / std::sqrt(2.0f);
    step({PLIX_KEY_RIGHT}, 5, 0);
    step({PLIX_KEY_LEFT, PLIX_KEY_Z}, -2, 0);
    step({PLIX_KEY_UP, PLIX_KEY_LEFT}, -d5, -d5);
    step({PLIX_KEY_DOWN, PLIX_KEY_RIGHT, PLIX_KEY_Z}, d2, d2);
    step({PLIX_KEY_LEFT, PLIX_KEY_UP, PLIX_KEY_RIGHT, PLIX_KEY_DOWN}, d5,
         d5); // right wins over left, down over up
    for (int i = 0; i < 150; ++i)
        moveWith({PLIX_KEY_LEFT, PLIX_KEY_UP});
    EXPECT_TRUE(player->x == 0 && player->y == 0);
    player->x = 316, player->y = 476; // the 2 x 2 hit box keeps the centre within 318 x 478
    moveWith({PLIX_KEY_RIGHT, PLIX_KEY_DOWN});
    EXPECT_TRUE(player->x == 318 && player->y == 478);
}

TEST_F(PlayTest, VolleysEveryThirdFrameFanOutFiveDegreesMoreEachTime) {
    player->hasPods = false;
    for (int f = 0; f < 24; ++f) {
        moveWith({PLIX_KEY_Z});
        ASSERT_EQ(4 * (f / 3 + 1), shotManager->count()) << f;
        const Shot* s = shotManager->getTokens() + 4 * (f / 3);
        int k = (f / 3 + 1) % 8; // 5 to 35 degrees, then straight once
        EXPECT_TRUE(s[0].x == player->x - 4 && s[1].x == player->x + 4 && s[2].x == player->x);
        EXPECT_NEAR(90 - 5 * k, headingOf(s[2]), 1e-3) << f;
        EXPECT_NEAR(90 + 5 * k, headingOf(s[3]), 1e-3) << f;
    }
    gameMain->start();
    EXPECT_EQ(8, player->volley); // the fan carries over into the next game
}

TEST_F(PlayTest, CaptureBoxesTieRuleGaugeCeilingAndCharge) {
    moveWith({PLIX_KEY_Z}); // a push in the very first frame captures at once: 120 + 1 - 120
    EXPECT_EQ(1, player->charge);
    // Boxes 48 x 48 on the pods at (155, 348) and (165, 348); touching edges do not count.
    for (float x : {127.0f, 128.0f, 160.0f, 192.0f, 193.0f})
        fireBulletDirect(x, 348, 0, 0, 0, 0);
    moveWith({});
    player->charge = 119;
    moveWith({PLIX_KEY_Z}); // 119 + 1 only reaches 120: no capture yet
    EXPECT_EQ(5, bulletManager->count());
    moveWith({});
    gameMain->gauge = 0;
    moveWith({PLIX_KEY_Z});
    EXPECT_TRUE(player->charge == 2 && bulletManager->count() == 2);
    std::vector<Bomb*> bombs = alive(bombManager);
    ASSERT_EQ(3u, bombs.size()); // the bullet in both boxes makes one
    EXPECT_TRUE(bombs[0]->x == 128 && bombs[1]->x == 160 && bombs[2]->x == 192);
    EXPECT_FLOAT_EQ(-10, bombs[1]->vy);
    EXPECT_EQ(1 + 60, gameMain->gauge);

    // Ten at once from 10 stop at 199; with the bomb pool full the bullets still go and count.
    moveWith({});
    for (int i = 0; i < 10; ++i)
        fireBulletDirect(135, 330.0f + 4 * i, 0, 0, 0, 0);
    while (Bomb* b = bombManager->getFreeToken())
        b->init(0, 0, 16, 16, 90, 0, 0, 0);
    gameMain->gauge = 10;
    player->charge = 240;
    moveWith({PLIX_KEY_Z});
    EXPECT_TRUE(gameMain->gauge == 199 && bulletManager->count() == 2); // 127 and 193 stay

    // Arms at 60 degrees send the boxes' bombs apart: left at 120, right at 60. A tie goes left.
    bombManager->clear();
    bulletManager->clear();
    player->podAngle = 60;
    player->charge = 240;
    moveWith({});
    fireBulletDirect(160, player->podLeft.y, 0, 0, 0, 0);
    fireBulletDirect(161, player->podLeft.y, 0, 0, 0, 0);
    moveWith({PLIX_KEY_Z});
    EXPECT_TRUE(player->charge == 120 && bombManager->count() == 2);
    EXPECT_NEAR(120, headingOf(bombManager->getTokens()[0]), 1e-3);
    EXPECT_NEAR(60, headingOf(bombManager->getTokens()[1]), 1e-3);
    EXPECT_EQ(0, shotManager->count()); // with pods the button never shoots
}

TEST_F(PlayTest, HitsCostPodsThenShipAndPickUpsScoreOrRestore) {
    gameMain->gauge = 47, gameMain->bonus = 1, player->charge = 200;
    player->pickUp();
    EXPECT_TRUE(player->charge == 240 && gameMain->score == 500 && gameMain->bonus == 2);
    player->damage();
    EXPECT_TRUE(player->exists && !player->hasPods && player->charge == 0);
    EXPECT_TRUE(gameMain->gauge == 23 && gameMain->bonus == 1); // 47 / 2 in integers
    player->pickUp();
    EXPECT_TRUE(player->hasPods && player->charge == 120 && gameMain->bonus == 1);
    player->damage();
    player->damage();
    EXPECT_TRUE(!player->exists && gameMain->bonus == 0); // the bonus never goes below 0
}
