// Prelude of the tests of a game in play: a new game per test, and keys held frame by frame.
#pragma once

#include "plix/Plix.h"
#include "support/FightSupport.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace fight; // each test program is one file: the fight helpers read as its own

// Exactly these keys are down in the next snapshot, taken the way the frame loop takes it.
inline void keys(std::initializer_list<int> held) {
    testsupport::releaseAllKeys();
    for (int k : held)
        testsupport::setKey(k, true);
    testsupport::snapshot();
}
inline void frames(int n, std::initializer_list<int> held = {}) {
    for (int i = 0; i < n; ++i) {
        keys(held);
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
