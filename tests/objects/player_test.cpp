// Player: capture boxes, their tie rule, the gauge's ceiling and the charge.
#include "support/FightSupport.h"

static void moveWith(std::initializer_list<int> held) {
    testsupport::hold(held);
    player->move();
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

// The program's first game starts from the ship's own defaults, which the simulator's games, handed
// their volley and shot wait, never use: a volley in the first frame, then every third, fanning
// out.
TEST_F(PlayTest, AFreshShipFiresInItsFirstFrameThenEveryThird) {
    player->hasPods = false;
    std::string fired;
    for (int f = 0; f < 7; ++f) {
        const int before = shotManager->count();
        moveWith({PLIX_KEY_Z});
        fired += shotManager->count() > before ? 'F' : '-';
    }
    EXPECT_EQ(fired, "F--F--F");
    EXPECT_NEAR(85, headingOf(shotManager->getTokens()[2]), 1e-3) << "the first fan is 5 degrees";
}
