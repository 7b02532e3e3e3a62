// No heap allocation during play: global operator new is counted over thousands of frames of real games.
#include "flow/GameMain.h"

#include "objects/Enemy.h"
#include "objects/ItemBomb.h"
#include "objects/Particle.h"
#include "objects/Player.h"
#include "objects/ShotBullet.h"
#include "objects/PlaySupport.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> allocations{0};
int* volatile kept = nullptr; // keeps the compiler from eliding the probe allocation
} // namespace

void* operator new(std::size_t n) {
    ++allocations;
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t n) {
    ++allocations;
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

using namespace play;

class AllocPlayTest : public PlayTest {
  protected:
    // Scripted input: fire in bursts (each new burst is a capture push), sweep left and right,
    // now and then up or down; z also restarts after a game over and confirms a clear.
    void frameWithInput(int f) {
        bool z = f % 45 < 38;
        int side = (f / 70) % 2 ? KEY_LEFT : KEY_RIGHT;
        int vertical = (f / 200) % 3 == 0 ? KEY_UP : (f / 200) % 3 == 1 ? KEY_DOWN : 0;
        testsupport::releaseAllKeys();
        if (z) testsupport::setKey(KEY_Z, true);
        testsupport::setKey(side, true);
        if (vertical) testsupport::setKey(vertical, true);
        testsupport::snapshot();
        game->run();
    }
};

TEST_F(AllocPlayTest, TheCounterSeesAllocations) {
    long before = allocations;
    kept = new int(7);
    long after = allocations;
    delete kept;
    EXPECT_EQ(before + 1, after);
}

TEST_F(AllocPlayTest, ThousandsOfFramesOfPlayAllocateNothing) {
    bool statesSeen[GM_CLEAR_WAIT + 1] = {}; // no std::set: it would allocate mid-run
    int mostBullets = 0;
    for (int lvl : {0, 23, 44}) {
        level = lvl;
        game->start();
        long before = allocations;
        for (int f = 0; f < 4000; ++f) {
            frameWithInput(f);
            statesSeen[game->state] = true;
            mostBullets = std::max(mostBullets, bulletManager->count());
            if (game->toEndRoll) game->start();
        }
        EXPECT_EQ(0, allocations - before) << "level " << lvl;
    }
    // The run really was play: hits, freezes and crowded screens.
    EXPECT_TRUE(statesSeen[GM_MISS]);
    EXPECT_TRUE(statesSeen[GM_BOMB_PAUSE]);
    EXPECT_GT(mostBullets, 200);
}

TEST_F(AllocPlayTest, FramesWithEveryPoolFullAllocateNothing) {
    level = 13;
    game->run();
    for (int i = 0; i < BULLET_CAPACITY; ++i) fireBulletDirect(float(i % 320), float(i % 200), 270, 0.1f, 0, 0);
    for (int i = 0; i < SHOT_CAPACITY; ++i) Shot::create(float(i * 5), 470, 90, 1);
    while (enemyManager->getFreeToken()) Enemy::create(1, 160, 240, 32, 32, 0, 0);
    for (int i = 0; i < ITEM_CAPACITY; ++i) Item::create(float(i * 5), 100, 90, 0, 0, 0);
    for (int i = 0; i < BOMB_CAPACITY; ++i) Bomb::create(float(i * 5), 460, 90, 0.5f, 0, 0);
    for (int i = 0; i < PARTICLE_CAPACITY / 8; ++i) spawnExplosion(float(i * 10), 300, 4);
    ASSERT_EQ(PARTICLE_CAPACITY, particleManager->count());
    long before = allocations;
    for (int f = 0; f < 200; ++f) frameWithInput(f);
    EXPECT_EQ(0, allocations - before);
}

} // namespace
