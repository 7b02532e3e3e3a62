// Whole games played headless from the first frame to the clear or the game over, at many levels.
#include "support/FightSupport.h"

#include <gtest/gtest.h>

using namespace fight;

TEST(WholeGame, EveryLevelEndsCleanlyAndASurvivorReachesTheClear) {
    for (int lvl : {0, 4, 9, 10, 15, 20, 21, 22, 23, 49, 50}) {
        for (Pilot pilot : {Pilot::RANDOM, Pilot::CHARMED}) {
            SCOPED_TRACE(testing::Message() << "level " << lvl << " pilot " << int(pilot));
            Outcome o = play(lvl, 1000 + lvl, pilot);
            EXPECT_EQ(o.badCoordinates, 0);
            EXPECT_TRUE(o.state == GM_OVER || o.state == GM_CLEAR_WAIT) << o.state;
            EXPECT_LE(o.time, 3600) << "no fight outlasts the boss";
            EXPECT_LE(o.maxBullets, BULLET_CAPACITY);
            EXPECT_LE(o.maxEnemies, ENEMY_CAPACITY);
            EXPECT_LE(o.maxParticles, PARTICLE_CAPACITY);
            if (pilot == Pilot::RANDOM) continue;
            EXPECT_EQ(o.state, GM_CLEAR_WAIT);
            EXPECT_GT(o.maxEnemies, 1);
            // Either the bombs brought the boss down, or it ended itself after "CRAZY MODE".
            EXPECT_TRUE(o.time < 3600 || o.crazy);
        }
    }
}

TEST(WholeGame, SameSeedAndInputGiveTheSameGame) {
    for (int lvl : {0, 22, 23}) {
        Outcome a = play(lvl, 77, Pilot::CHARMED);
        Outcome b = play(lvl, 77, Pilot::CHARMED);
        EXPECT_EQ(a.score, b.score) << "level " << lvl;
        EXPECT_EQ(a.time, b.time) << "level " << lvl;
        EXPECT_EQ(a.rand, b.rand) << "level " << lvl;
    }
    EXPECT_NE(play(23, 78, Pilot::CHARMED).rand, play(23, 77, Pilot::CHARMED).rand);
}
