// TokenManager: first free slot, silent refusal when full, clear and count, and the pass order
// rules.
#include "objects/Token.h"
#include "objects/TokenManager.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

// Logs its moves (+id) and draws (-id); may start another slot or free itself in its move.
struct Probe : Token {
    static std::vector<int> log;
    static TokenManager<Probe>* pool;
    int id = 0, spawnAt = -1;
    bool freeSelf = false;
    void move() {
        log.push_back(id);
        if (spawnAt >= 0) pool->getTokens()[spawnAt].set(0, 0, 1, 1, 1, 1, 0, 0, 0, 0);
        spawnAt = -1;
        if (freeSelf) exists = false;
    }
    void draw() { log.push_back(-id); }
};
std::vector<int> Probe::log;
TokenManager<Probe>* Probe::pool;

TEST(TokenManager, FirstFreeSlotClearCountAndPassOrder) {
    TokenManager<Probe> pool(5);
    Probe::pool = &pool;
    Probe* t = pool.getTokens();
    for (int i = 0; i < 5; ++i)
        t[i].id = i + 1;
    EXPECT_EQ(t, pool.getFreeToken());
    EXPECT_EQ(t, pool.getFreeToken()); // asking is not taking
    for (int i = 0; i < 5; ++i)
        t[i].set(0, 0, 1, 1, 1, 1, 0, 0, 0, 0);
    EXPECT_EQ(nullptr, pool.getFreeToken());
    t[2].exists = t[0].exists = false;
    EXPECT_EQ(t, pool.getFreeToken());
    EXPECT_EQ(3, pool.count());

    // Slot 1 starts slot 2 ahead of the pass: moved at once. Slot 3 starts slot 0 behind the pass
    // (moved only next time, drawn now) and frees itself (not drawn).
    pool.clear();
    EXPECT_EQ(0, pool.count());
    EXPECT_TRUE(Probe::log.empty()); // clear calls nothing
    t[1].set(0, 0, 1, 1, 1, 1, 0, 0, 0, 0);
    t[3].set(0, 0, 1, 1, 1, 1, 0, 0, 0, 0);
    t[1].spawnAt = 2;
    t[3].spawnAt = 0;
    t[3].freeSelf = true;
    pool.move();
    pool.draw();
    EXPECT_EQ((std::vector<int>{2, 3, 4, -1, -2, -3}), Probe::log);
    Probe::log.clear();
    pool.move();
    EXPECT_EQ((std::vector<int>{1, 2, 3}), Probe::log);
}

} // namespace
