// TokenManager: first free slot, silent refusal when full, clear and count, and the pass order rules.
#include "objects/TokenManager.h"
#include "objects/Token.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

// A pooled kind that logs its moves and draws, and can start a neighbour or free itself mid-pass.
struct Probe : Token {
    static std::vector<int> log; // +index for a move, -index-1000 for a draw
    static TokenManager<Probe>* pool;
    int id = 0;
    int spawnAt = -1;
    bool freeSelf = false;

    void start(int index) {
        id = index;
        set(0, 0, 1, 1, 1, 1, 0, 0, 0, 0);
    }
    void move() {
        log.push_back(id);
        if (spawnAt >= 0) {
            pool->getTokens()[spawnAt].start(spawnAt);
            spawnAt = -1;
        }
        if (freeSelf) exists = false;
    }
    void draw() { log.push_back(-1000 - id); }
};
std::vector<int> Probe::log;
TokenManager<Probe>* Probe::pool = nullptr;

class PoolTest : public ::testing::Test {
  protected:
    TokenManager<Probe> pool{4};
    void SetUp() override {
        Probe::pool = &pool;
        Probe::log.clear();
    }
    void startAt(int i) { pool.getTokens()[i].start(i); }
};

TEST_F(PoolTest, HandsOutTheLowestFreeSlotAndRefusesWhenFull) {
    EXPECT_EQ(4, pool.capacity());
    EXPECT_EQ(0, pool.count());
    EXPECT_EQ(&pool.getTokens()[0], pool.getFreeToken());
    // Asking is not taking: the same slot comes back until it is started.
    EXPECT_EQ(pool.getFreeToken(), pool.getFreeToken());

    startAt(0);
    startAt(1);
    EXPECT_EQ(&pool.getTokens()[2], pool.getFreeToken());
    pool.getTokens()[0].exists = false;
    EXPECT_EQ(&pool.getTokens()[0], pool.getFreeToken());

    for (int i = 0; i < 4; ++i) startAt(i);
    EXPECT_EQ(4, pool.count());
    EXPECT_EQ(nullptr, pool.getFreeToken());

    pool.clear();
    EXPECT_EQ(0, pool.count());
    EXPECT_EQ(&pool.getTokens()[0], pool.getFreeToken());
    // clear only drops the flags; it calls nothing on the elements.
    EXPECT_TRUE(Probe::log.empty());
}

TEST_F(PoolTest, PassesVisitAliveElementsInIndexOrder) {
    startAt(3);
    startAt(1);
    pool.move();
    pool.draw();
    EXPECT_EQ((std::vector<int>{1, 3, -1001, -1003}), Probe::log);
}

TEST_F(PoolTest, StartedAheadMovesNowStartedBehindWaits) {
    startAt(1);
    startAt(2);
    pool.getTokens()[1].spawnAt = 3; // ahead of the pass
    pool.getTokens()[2].spawnAt = 0; // behind it
    pool.move();
    EXPECT_EQ((std::vector<int>{1, 2, 3}), Probe::log);
    Probe::log.clear();
    pool.move();
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3}), Probe::log);
}

TEST_F(PoolTest, ElementThatFreesItselfIsNotDrawn) {
    startAt(0);
    startAt(2);
    pool.getTokens()[0].freeSelf = true;
    pool.move();
    pool.draw();
    EXPECT_EQ((std::vector<int>{0, 2, -1002}), Probe::log);
    EXPECT_EQ(1, pool.count());
}

} // namespace
