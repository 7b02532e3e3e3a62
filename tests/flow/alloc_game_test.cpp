// No heap allocation once a game runs: global new and delete are counted over whole games.
#include "support/FightSupport.h"

#include <atomic>
#include <cstdlib>
#include <gtest/gtest.h>
#include <new>

namespace {
std::atomic<bool> counting{false};
std::atomic<long> allocations{0};

void* allocate(std::size_t n) {
    if (counting) ++allocations;
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
} // namespace

void* operator new(std::size_t n) {
    return allocate(n);
}
void* operator new[](std::size_t n) {
    return allocate(n);
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    if (counting) ++allocations;
    return std::malloc(n ? n : 1);
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept {
    if (counting) ++allocations;
    return std::malloc(n ? n : 1);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

using namespace fight;

TEST(AllocGame, TheCountCatchesAnAllocation) {
    counting = true;
    long before = allocations;
    static int* volatile kept; // volatile: the compiler may not pair the new with the delete away
    kept = new int(3);
    delete kept;
    counting = false;
    EXPECT_EQ(allocations - before, 1);
}

TEST(AllocGame, WholeGamesAllocateNothingAfterTheStart) {
    // Twin bullets, every level rule of the high levels, pop-ups with ratios, "CRAZY MODE", the
    // boss's end and the clear; and a game lost through its misses and the game over.
    struct Game {
        int lvl;
        Pilot pilot;
    };
    const Game GAMES[] = {{23, Pilot::CHARMED}, {50, Pilot::CHARMED}, {22, Pilot::RANDOM}};
    for (const Game& g : GAMES) {
        newGame(g.lvl,
                5); // the scene, its pools and the start (which loads the music) may allocate
        allocations = 0;
        counting = true;
        Outcome o = drive(g.lvl, 5, g.pilot);
        counting = false;
        EXPECT_TRUE(o.state == GM_CLEAR_WAIT || o.state == GM_OVER);
        EXPECT_GT(o.frames, 100);
        EXPECT_EQ(allocations, 0) << "level " << g.lvl << " over " << o.frames << " frames";
    }
}
