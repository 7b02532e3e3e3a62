// Whole games played headless at many levels, every operator new counted: play allocates nothing.
#include "sim/SimAllocations.h"
#include "support/FightSupport.h"

#include <gtest/gtest.h>
#include <random>

namespace {

using namespace fight;

struct Outcome {
    int frames = 0, badCoordinates = 0, allocated = 0; // allocated after the start
    bool crazy = false;
};

template <class T> void inspect(TokenManager<T>* pool, Outcome& o) {
    for (T& t : *pool)
        if (t.exists) o.badCoordinates += !std::isfinite(t.x + t.y);
}

// A new game through the real key snapshot, firing and roaming the lower field at random.
Outcome play(int lvl, uint64_t seed) {
    newGame(lvl, seed); // the scene, its pools and the music may allocate here
    uint64_t before = simNewCalls();
    std::mt19937 hands(static_cast<uint32_t>(seed * 7919 + lvl));
    int dx = 0;
    bool down = false, fire = false;
    Outcome o;
    for (; o.frames < 6000 && gameMain->state != GM_OVER && gameMain->state != GM_CLEAR_WAIT;
         ++o.frames) {
        if (o.frames % 12 == 0) {
            dx = static_cast<int>(hands() % 3) - 1;
            down = hands() % 3 != 0; // away from the boss
        }
        if (o.frames % 4 == 0) fire = hands() % 5 < 3;
        testsupport::releaseAllKeys();
        testsupport::setKey(dx < 0 ? PLIX_KEY_LEFT : PLIX_KEY_RIGHT, dx != 0);
        testsupport::setKey(PLIX_KEY_DOWN, down);
        testsupport::setKey(PLIX_KEY_Z, fire);
        testsupport::snapshot();
        clearAroundShip();
        gameMain->run();
        inspect(bulletManager, o);
        inspect(enemyManager, o);
        inspect(particleManager, o);
        inspect(shotManager, o);
        inspect(itemManager, o);
        inspect(bombManager, o);
        o.badCoordinates += player->exists && !std::isfinite(player->x + player->y);
        for (Particle& p : *particleManager)
            o.crazy |= p.exists && std::strcmp(p.text, "CRAZY MODE") == 0;
    }
    o.allocated = static_cast<int>(simNewCalls() - before);
    return o;
}

} // namespace

// That the same seed gives the same game, in every build, is the golden traces' part.
TEST(WholeGame, EveryLevelPlaysToTheClearCleanlyWithoutAllocating) {
    EXPECT_GT(simNewCalls(), 0u) << "the counter sees the test program's own allocations";
    for (int lvl : {0, 4, 9, 10, 15, 20, 21, 22, 23, 49, 50}) {
        Outcome o = play(lvl, 1000 + lvl);
        EXPECT_EQ(o.allocated, 0) << "level " << lvl << " over " << o.frames << " frames";
        EXPECT_EQ(o.badCoordinates, 0) << "level " << lvl;
        EXPECT_EQ(gameMain->state, GM_CLEAR_WAIT) << "level " << lvl;
        // The bombs brought the boss down, or it ended itself at 3600 after "CRAZY MODE".
        EXPECT_TRUE(gameMain->time < 3600 || (gameMain->time == 3600 && o.crazy))
            << "level " << lvl;
    }
}
