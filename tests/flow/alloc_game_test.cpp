// No heap allocation once a game runs: global operator new is counted over whole games.
#include "support/FightSupport.h"

#include <atomic>
#include <cstdlib>
#include <gtest/gtest.h>
#include <new>

// The library's array, nothrow and sized forms all end in these two.
static std::atomic<long> allocations{0};
void* operator new(std::size_t n) {
    ++allocations;
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}

using namespace fight;

TEST(AllocGame, WholeGamesAllocateNothingAfterTheStart) {
    long before = allocations;
    static int* volatile kept = new int(3); // the counter does see an allocation
    EXPECT_EQ(allocations - before, 1);
    delete kept;
    // Twin bullets, the rules of the high levels, pop-ups with ratios, "CRAZY MODE", the boss's
    // end and the clear; and a game lost through its misses to the game over.
    struct Game {
        int lvl;
        Pilot pilot;
    } games[] = {{23, Pilot::CHARMED}, {50, Pilot::CHARMED}, {22, Pilot::RANDOM}};
    for (const Game& g : games) {
        newGame(g.lvl, 5); // the scene, its pools and the music may allocate here, not after
        before = allocations;
        Outcome o = drive(g.lvl, 5, g.pilot);
        EXPECT_EQ(allocations - before, 0)
            << "level " << g.lvl << " over " << o.frames << " frames";
        EXPECT_EQ(o.state, g.pilot == Pilot::CHARMED ? GM_CLEAR_WAIT : GM_OVER);
        EXPECT_TRUE(o.crazy || g.pilot == Pilot::RANDOM) << "level " << g.lvl;
    }
}
