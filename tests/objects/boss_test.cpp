// The boss: its schedule and gate, the trios, the fixed events and its end; and the level rules.
#include "support/FightSupport.h"

#include <functional>
#include <gtest/gtest.h>
#include <map>

using namespace fight;

namespace {

using Timeline = std::map<int, std::vector<int>>; // boss age -> kinds of the enemies made then

struct BossRun {
    Timeline kinds;
    std::vector<int> crazyAges;
};

// Moves the boss alone from a new game up to `lastAge`. What it creates is recorded and removed at
// once, so only `blocked` decides whether another enemy exists when the boss counts: a still
// kind 6 stands in place 1 of the pool during those ages.
BossRun runBoss(int lvl, int lastAge, const std::function<bool(int)>& blocked, float px = 160) {
    newGame(lvl, 11);
    player->x = px;
    Enemy& b = boss();
    BossRun run;
    while (b.exists && b.age < lastAge) {
        int age = b.age + 1;
        Enemy* blocker = blocked(age) ? &enemyManager->getTokens()[1] : nullptr;
        if (blocker) Enemy::create(6, 300, 460, 16, 16, 0, 0);
        b.move();
        for (Enemy* e : alive(enemyManager)) {
            if (e != &b && e != blocker) run.kinds[age].push_back(e->kind);
            if (e != &b) e->exists = false;
        }
        for (Particle* p : alive(particleManager))
            if (std::strcmp(p->text, "CRAZY MODE") == 0) run.crazyAges.push_back(age);
        particleManager->clear();
        bulletManager->clear();
    }
    return run;
}

// The schedule with the player at x 160 (the right-hand choices): t, gated, kinds, last-phase age.
struct Row {
    int t;
    bool gated;
    std::vector<int> kinds;
    int lastPhaseAge;
};
const Row ROWS[] = {
    {60, false, {5}, 2430},     {240, true, {15, 15}, 2520},  {420, true, {1, 1}, 2610},
    {600, true, {12}, 2700},    {780, true, {11, 11}, 2790},  {1140, true, {7}, 2970},
    {1320, true, {8, 8}, 3060}, {1500, true, {9, 10}, 3150},  {1680, true, {13, 13}, 3240},
    {1860, true, {4}, 3330},    {2220, true, {15, 15}, 3510},
};

// Every enemy the boss makes up to age 3599, given the ages at which the gate is open.
Timeline expected(int lvl, const std::function<bool(int)>& gateOpenAt) {
    Timeline want;
    auto add = [&](int age, const std::vector<int>& kinds) {
        want[age].insert(want[age].end(), kinds.begin(), kinds.end());
    };
    if (lvl > 9) add(10, lvl > 19 ? std::vector<int>{14, 14} : std::vector<int>{12});
    for (int age = 1; age < 3600; ++age) {
        bool last = age > 2400;
        for (const Row& r : ROWS)
            if (last ? r.lastPhaseAge == age : r.t == age && (!r.gated || gateOpenAt(age)))
                add(age, r.kinds);
        if (last ? (age - 2400) % 90 == 30 : age % 180 == 60) add(age, {2, 2, 2});
        if (age == 2500) add(age, {14, 14});
        if (age == 2800) add(age, {14, 14, 5});
    }
    return want;
}

bool never(int) {
    return false;
}
bool always(int) {
    return true;
}

} // namespace

TEST(BossSchedule, WavesByTheGateThenAllAgainAtDoubleSpeedAfterCrazyMode) {
    BossRun open = runBoss(0, 3599, never);
    EXPECT_EQ(open.kinds, expected(0, always));
    EXPECT_EQ(open.crazyAges, std::vector<int>{2400});
    // Another enemy on the field at every frame: only t = 60 and the trios leave before 2400.
    BossRun closed = runBoss(0, 3599, always);
    EXPECT_EQ(closed.kinds, expected(0, never));
    EXPECT_EQ(closed.crazyAges, std::vector<int>{2400});
    // Something alive at age 240 loses the kind 15 pair for the normal phase (it comes at 2520);
    // the pair of 420 still leaves: the schedule does not wait for the gate.
    EXPECT_EQ(runBoss(0, 3599, [](int age) { return age == 240; }).kinds,
              expected(0, [](int age) { return age != 240; }));
    // With the player left of the centre a kind 3 leaves instead of the kind 4.
    EXPECT_EQ(runBoss(0, 1860, never, 159).kinds[1860], (std::vector<int>{3, 2, 2, 2}));
}

TEST(BossEnd, ClearsTheFieldAtAge3600WithoutPointsAndAimsEighteenAboveLevel19) {
    for (int lvl : {19, 20}) {
        SCOPED_TRACE(lvl);
        newGame(lvl, 3);
        boss().age = 3599;
        for (int i = 0; i < 5; ++i)
            Enemy::create(1, 40.0f * i + 20, 200, 32, 32, 0, 0);
        for (int i = 0; i < 30; ++i)
            fireBulletDirect(10, 10 + i, 270, 1, 0, 0);
        Item::create(100, 100, 270, -2, 0, 0);
        particleManager->clear();
        gameMain->run(); // GM_START -> GM_PLAY, nothing moves
        gameMain->run(); // the boss's 3600th frame
        EXPECT_EQ(gameMain->state, GM_CLEAR);
        EXPECT_EQ(gameMain->score, 0);
        EXPECT_EQ(enemyManager->count() + itemManager->count(), 0);
        // Explosions of the boss (80 / 4), the five (32 / 4) and the last trio (12 / 4), made and
        // removed in this frame.
        int bySize[21] = {};
        for (Particle* p : alive(particleManager))
            if (p->kind == PK_EXPLOSION && p->width <= 20) ++bySize[static_cast<int>(p->width)];
        EXPECT_TRUE(bySize[20] == 8 && bySize[8] == 40 && bySize[3] == 24);
        // Only the boss's parting shots remain, aimed at the player below within 5 degrees.
        auto bullets = alive(bulletManager);
        ASSERT_EQ(static_cast<int>(bullets.size()), lvl > 19 ? 18 : 0);
        for (Bullet* bl : bullets)
            EXPECT_TRUE(angleGap(headingOf(*bl), 270) < 5 + 1e-3 && speedOf(*bl) > 3 - 1e-4 &&
                        speedOf(*bl) < 3.5);
    }
}

// ---- Difficulty by level: each rule probed on either side of the level where it changes. ----

namespace {

// A lone minion of this kind at (160, 70) on a new field, its age set unless `age` is negative.
Enemy& lone(int lvl, int kind, int age = -1) {
    emptyField(lvl, 21);
    Enemy::create(kind, 160, 70, 32, 32, 0, 0);
    Enemy& e = enemyManager->getTokens()[0];
    e.age = age < 0 ? e.age : age;
    return e;
}

double launchedAt(int lvl, int age, int kind, bool (*blocked)(int)) {
    BossRun run = runBoss(lvl, age, blocked);
    return std::count(run.kinds[age].begin(), run.kinds[age].end(), kind);
}

struct LevelRule {
    const char* rule;
    int below, above;
    double wantBelow, wantAbove;
    double (*probe)(int lvl);
};

// Return fire and death rings are probed in enemy_test; pattern speeds and twins in
// shotbullet_test, and by the minions' lives at level 3.
const LevelRule LEVEL_RULES[] = {
    {"boss hit points", 0, 50, 1600, 11600,
     [](int l) -> double { return (newGame(l), boss().maxHp); }},
    {"opening kind 12", 9, 10, 0, 1, [](int l) { return launchedAt(l, 10, 12, never); }},
    {"opening kind 14 pair, gate or not", 19, 20, 0, 2,
     [](int l) { return launchedAt(l, 10, 14, always); }},
    {"gate open at mod 5 = 4", 3, 4, 0, 2, [](int l) { return launchedAt(l, 240, 15, always); }},
    {"gate closed past it", 4, 5, 2, 0, [](int l) { return launchedAt(l, 240, 15, always); }},
    {"start age 10 above 20", 20, 22, 0, 10, [](int l) -> double { return lone(l, 1).age; }},
    {"start age 10 on even levels", 22, 23, 10, 0, [](int l) -> double { return lone(l, 1).age; }},
    {"kind 2 dashes at the ship, shrunk at once", 16, 21, -0.85, 0.85,
     [](int l) -> double { return (lone(l, 2, 89).move(), enemyManager->getTokens()[0].ay); }},
    {"18 aimed on a time-out", 19, 20, 0, 18,
     [](int l) -> double { return (lone(l, 12, 194).move(), bulletManager->count()); }},
};

} // namespace

TEST(DifficultyByLevel, EachRuleChangesExactlyAtItsEdge) {
    for (const LevelRule& r : LEVEL_RULES) {
        EXPECT_NEAR(r.probe(r.below), r.wantBelow, 1e-4) << r.rule << " at level " << r.below;
        EXPECT_NEAR(r.probe(r.above), r.wantAbove, 1e-4) << r.rule << " at level " << r.above;
    }
    newGame(22);
    EXPECT_EQ(boss().age, 0) << "the early start spares the boss";
}
