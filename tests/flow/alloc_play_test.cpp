// No heap allocation during play: global operator new is counted over thousands of frames of real
// games.
#include "flow/GameMain.h"

#include "objects/Enemy.h"
#include "objects/ItemBomb.h"
#include "objects/Particle.h"
#include "objects/PlaySupport.h"
#include "objects/ShotBullet.h"

#include <atomic>
#include <cstdlib>
#include <new>

static std::atomic<long> allocations{0};
static int* volatile kept = nullptr; // keeps the compiler from eliding the probe allocation

void* operator new(std::size_t n) {
    ++allocations;
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t n) {
    return operator new(n);
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

namespace {

using namespace play;

class AllocPlayTest : public PlayTest {
  protected:
    // Fire in bursts (each new burst a capture push), sweep left and right, now and then up or
    // down; z also restarts after a game over and confirms a clear.
    void frameWithInput(int f) {
        int vertical[] = {KEY_UP, KEY_DOWN, 0};
        testsupport::releaseAllKeys();
        testsupport::setKey(KEY_Z, f % 45 < 38);
        testsupport::setKey((f / 70) % 2 ? KEY_LEFT : KEY_RIGHT, true);
        if (vertical[(f / 200) % 3]) testsupport::setKey(vertical[(f / 200) % 3], true);
        testsupport::snapshot();
        game->run();
    }
};

TEST_F(AllocPlayTest, ThousandsOfFramesOfPlayAllocateNothing) {
    long before = allocations;
    kept = new int(7);
    EXPECT_EQ(before + 1, allocations); // the counter does see allocations
    delete kept;

    bool statesSeen[GM_CLEAR_WAIT + 1] = {}; // no std::set: it would allocate mid-run
    int mostBullets = 0;
    for (int lvl : {0, 23, 44}) {
        level = lvl;
        game->start();
        before = allocations;
        for (int f = 0; f < 4000; ++f) {
            frameWithInput(f);
            statesSeen[game->state] = true;
            mostBullets = std::max(mostBullets, bulletManager->count());
            if (game->toEndRoll) game->start();
        }
        EXPECT_EQ(0, allocations - before) << "level " << lvl;
    }
    EXPECT_TRUE(statesSeen[GM_MISS] && statesSeen[GM_BOMB_PAUSE] &&
                mostBullets > 200); // it was play
}

TEST_F(AllocPlayTest, FramesWithEveryPoolFullAllocateNothing) {
    level = 13;
    game->run();
    for (int i = 0; i < BULLET_CAPACITY; ++i)
        fireBulletDirect(float(i % 320), float(i % 200), 270, 0.1f, 0, 0);
    for (int i = 0; i < SHOT_CAPACITY; ++i)
        Shot::create(float(i * 5), 470, 90, 1);
    while (enemyManager->getFreeToken())
        Enemy::create(1, 160, 240, 32, 32, 0, 0);
    for (int i = 0; i < ITEM_CAPACITY; ++i)
        Item::create(float(i * 5), 100, 90, 0, 0, 0);
    for (int i = 0; i < BOMB_CAPACITY; ++i)
        Bomb::create(float(i * 5), 460, 90, 0.5f, 0, 0);
    for (int i = 0; i < PARTICLE_CAPACITY / 8; ++i)
        spawnExplosion(float(i * 10), 300, 4);
    ASSERT_EQ(PARTICLE_CAPACITY, particleManager->count());
    long before = allocations;
    for (int f = 0; f < 200; ++f)
        frameWithInput(f);
    EXPECT_EQ(0, allocations - before);
}

} // namespace
