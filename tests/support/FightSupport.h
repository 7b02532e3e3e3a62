// Test helpers for the fight: a new game at a level and seed, the boss, pool views, headings, and
// frames played with keys held.
#pragma once

#include "flow/GameMain.h"
#include "objects/Enemy.h"
#include "objects/ItemBomb.h"
#include "objects/Particle.h"
#include "objects/Player.h"
#include "objects/Random.h"
#include "objects/ShotBullet.h"
#include "objects/World.h"
#include "plix/PlixKeys.h"
#include "sim/SimGame.h"
#include "support/TestSupport.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace fight {

// Media once per program, then a new game at this level with this seed, as the simulator starts
// one: the same game whatever the tests before it played.
inline void newGame(int lvl, uint64_t seed = 1) {
    simInitMedia();
    simFreshStart(lvl, seed);
    startGame();
}

inline Enemy& boss() {
    return enemyManager->getTokens()[0];
}

template <class T> std::vector<T*> alive(TokenManager<T>* pool) {
    std::vector<T*> out;
    for (T& t : *pool)
        if (t.exists) out.push_back(&t);
    return out;
}

// Direction of a velocity in degrees, 0 to 360, screen y down.
inline double headingOf(const Token& t) {
    double a = std::atan2(-static_cast<double>(t.vy), static_cast<double>(t.vx)) * 180.0 / M_PI;
    return a < 0 ? a + 360 : a;
}

// Frames of the game with exactly these keys held in each frame's snapshot.
inline void frames(int n, std::initializer_list<int> held = {}) {
    for (int i = 0; i < n; ++i) {
        testsupport::hold(held);
        gameMain->run();
    }
}
// Runs frames while the state stays; how many ran until it changed (or the limit).
inline int framesIn(int state, int limit = 1000) {
    int n = 0;
    for (; gameMain->state == state && n < limit; ++n)
        frames(1);
    return n;
}

// Each test begins a new game at level 0 with a fixed seed and no key held.
struct PlayTest : ::testing::Test {
    void SetUp() override { newGame(0, 20261206); }
};

} // namespace fight

using namespace fight; // each test program is one file: the fight helpers read as its own
