// Whole games played headless to the clear or the game over at many levels, with every global
// operator new counted: once a game has started nothing may allocate.
#include "support/FightSupport.h"

#include <atomic>
#include <cstdlib>
#include <gtest/gtest.h>
#include <new>
#include <random>

// The library's array, nothrow and sized forms all end in these.
static std::atomic<long> allocations{0};
void* operator new(std::size_t n) {
    ++allocations;
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

using namespace fight;

struct Outcome {
    int state = 0, score = 0, time = 0, frames = 0, badCoordinates = 0, maxEnemies = 0;
    bool overCapacity = false, crazy = false;
    uint64_t rand = 0;
};

template <class T> int inspect(TokenManager<T>* pool, int capacity, Outcome& o) {
    int n = 0;
    for (T& t : *pool)
        if (t.exists) {
            ++n;
            o.badCoordinates += !std::isfinite(t.x + t.y);
        }
    o.overCapacity |= n > capacity;
    return n;
}

// Plays a new game through the real key snapshot to its game over or its clear, wandering and
// firing at random. A charmed ship keeps to the lower field and clears what comes close, so it
// reaches the clear. Counts what is allocated after the start.
Outcome play(int lvl, uint64_t seed, bool charmed, long* allocated = nullptr) {
    newGame(lvl, seed); // the scene, its pools and the music may allocate here
    long before = allocations;
    std::mt19937 hands(static_cast<uint32_t>(seed * 7919 + lvl));
    int dx = 0, dy = 0;
    bool fire = false;
    Outcome o;
    for (; o.frames < 6000 && gameMain->state != GM_OVER && gameMain->state != GM_CLEAR_WAIT;
         ++o.frames) {
        if (o.frames % 12 == 0) {
            dx = static_cast<int>(hands() % 3) - 1;
            dy = static_cast<int>(hands() % 3) - (charmed ? 0 : 1);
        }
        if (o.frames % 4 == 0) fire = hands() % 5 < 3;
        testsupport::releaseAllKeys();
        testsupport::setKey(dx < 0 ? KEY_LEFT : KEY_RIGHT, dx != 0);
        testsupport::setKey(dy < 0 ? KEY_UP : KEY_DOWN, dy != 0);
        testsupport::setKey(KEY_Z, fire);
        testsupport::snapshot();
        if (charmed) clearAroundShip();
        gameMain->run();
        inspect(bulletManager, BULLET_CAPACITY, o);
        o.maxEnemies = std::max(o.maxEnemies, inspect(enemyManager, ENEMY_CAPACITY, o));
        inspect(particleManager, PARTICLE_CAPACITY, o);
        inspect(shotManager, SHOT_CAPACITY, o);
        inspect(itemManager, ITEM_CAPACITY, o);
        inspect(bombManager, BOMB_CAPACITY, o);
        o.badCoordinates += player->exists && !std::isfinite(player->x + player->y);
        for (Particle& p : *particleManager)
            o.crazy |= p.exists && std::strcmp(p.text, "CRAZY MODE") == 0;
    }
    if (allocated) *allocated = allocations - before;
    o.state = gameMain->state;
    o.score = gameMain->score;
    o.time = gameMain->time;
    o.rand = randState();
    return o;
}

} // namespace

TEST(WholeGame, EveryLevelEndsCleanlyWithoutAllocatingAndASurvivorReachesTheClear) {
    long before = allocations;
    static int* volatile kept = new int(3); // the counter does see an allocation
    EXPECT_EQ(allocations - before, 1);
    delete kept;
    for (int lvl : {0, 4, 9, 10, 15, 20, 21, 22, 23, 49, 50}) {
        for (bool charmed : {false, true}) {
            SCOPED_TRACE(testing::Message() << "level " << lvl << (charmed ? " charmed" : ""));
            long allocated = -1;
            Outcome o = play(lvl, 1000 + lvl, charmed, &allocated);
            EXPECT_EQ(allocated, 0) << "over " << o.frames << " frames";
            EXPECT_TRUE(o.badCoordinates == 0 && !o.overCapacity);
            EXPECT_TRUE(o.state == GM_OVER || o.state == GM_CLEAR_WAIT) << o.state;
            EXPECT_LE(o.time, 3600) << "no fight outlasts the boss";
            if (!charmed) continue;
            EXPECT_TRUE(o.state == GM_CLEAR_WAIT && o.maxEnemies > 1);
            // Either the bombs brought the boss down, or it ended itself after "CRAZY MODE".
            EXPECT_TRUE(o.time < 3600 || o.crazy);
        }
    }
}

TEST(WholeGame, SameSeedAndInputGiveTheSameGame) {
    for (int lvl : {0, 22, 23}) {
        Outcome a = play(lvl, 77, true), b = play(lvl, 77, true);
        EXPECT_TRUE(a.score == b.score && a.time == b.time && a.rand == b.rand) << lvl;
    }
    EXPECT_NE(play(23, 78, true).rand, play(23, 77, true).rand);
}
