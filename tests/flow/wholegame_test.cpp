// Whole games played headless from the first frame to the clear or the game over, at many levels.
#include "support/FightSupport.h"

#include <gtest/gtest.h>

using namespace fight;

namespace {

const int LEVELS[] = {0, 4, 9, 10, 15, 20, 21, 22, 23, 49, 50};

void expectSound(const Outcome& o, int lvl) {
    EXPECT_EQ(o.badCoordinates, 0) << "level " << lvl;
    EXPECT_TRUE(o.state == GM_OVER || o.state == GM_CLEAR_WAIT)
        << "level " << lvl << " ended in state " << o.state << " after " << o.frames;
    // No fight outlasts the boss's 3600 frames.
    EXPECT_LE(o.time, 3600) << "level " << lvl;
}

} // namespace

TEST(WholeGame, RandomPlayEndsCleanlyAtEveryLevel) {
    for (int lvl : LEVELS) {
        Outcome o = play(lvl, 1000 + lvl, Pilot::RANDOM);
        expectSound(o, lvl);
    }
}

TEST(WholeGame, SurvivingShipReachesTheClearAtEveryLevel) {
    for (int lvl : LEVELS) {
        Outcome o = play(lvl, 2000 + lvl, Pilot::CHARMED);
        expectSound(o, lvl);
        EXPECT_EQ(o.state, GM_CLEAR_WAIT) << "level " << lvl;
        // Either the bombs brought the boss down, or it ended itself at 3600 after CRAZY MODE.
        if (o.time == 3600) {
            EXPECT_TRUE(o.crazy) << "level " << lvl;
        }
        EXPECT_GT(o.maxEnemies, 1) << "level " << lvl;
        EXPECT_LE(o.maxBullets, BULLET_CAPACITY);
        EXPECT_LE(o.maxParticles, PARTICLE_CAPACITY);
    }
}

TEST(WholeGame, SameSeedAndInputGiveTheSameGame) {
    for (int lvl : {0, 22, 23}) {
        for (Pilot pilot : {Pilot::RANDOM, Pilot::CHARMED}) {
            Outcome a = play(lvl, 77, pilot);
            Outcome b = play(lvl, 77, pilot);
            EXPECT_EQ(a.score, b.score) << "level " << lvl;
            EXPECT_EQ(a.time, b.time) << "level " << lvl;
            EXPECT_EQ(a.frames, b.frames) << "level " << lvl;
            EXPECT_EQ(a.rand, b.rand) << "level " << lvl;
        }
    }
    // A different seed gives a different game.
    Outcome c = play(23, 78, Pilot::CHARMED);
    Outcome d = play(23, 77, Pilot::CHARMED);
    EXPECT_NE(c.rand, d.rand);
}
