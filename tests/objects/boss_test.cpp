// The boss: its schedule and gate, the trios, the fixed events and its end; and the level rules.
#include "support/FightSupport.h"

#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <string>

using namespace fight;

namespace {

struct Launched {
    int kind;
    float size;
    double heading, speed;
};

struct BossRun {
    std::map<int, std::vector<Launched>> launched; // boss age -> enemies made in that frame
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
            if (e == &b) continue;
            if (e != blocker)
                run.launched[age].push_back({e->kind, e->width, headingOf(*e), speedOf(*e)});
            e->exists = false;
        }
        for (Particle* p : alive(particleManager))
            if (p->kind == PK_TEXT && std::strcmp(p->text, "CRAZY MODE") == 0)
                run.crazyAges.push_back(age);
        particleManager->clear();
        bulletManager->clear();
    }
    return run;
}

std::map<int, std::vector<int>> kindsOf(const BossRun& run) {
    std::map<int, std::vector<int>> out;
    for (const auto& [age, list] : run.launched)
        for (const Launched& l : list)
            out[age].push_back(l.kind);
    return out;
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
std::map<int, std::vector<int>> expected(int lvl, const std::function<bool(int)>& gateOpenAt) {
    std::map<int, std::vector<int>> want;
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
    EXPECT_EQ(kindsOf(open), expected(0, always));
    EXPECT_EQ(open.crazyAges, std::vector<int>{2400});
    // Another enemy on the field at every frame: only t = 60 and the trios leave before 2400.
    BossRun closed = runBoss(0, 3599, always);
    EXPECT_EQ(kindsOf(closed), expected(0, never));
    EXPECT_EQ(closed.crazyAges, std::vector<int>{2400});
    // Something alive at age 240 loses the kind 15 pair for the normal phase (it comes at 2520);
    // the pair of 420 still leaves, and the schedule does not wait for the gate.
    BossRun lost = runBoss(0, 3599, [](int age) { return age == 240; });
    EXPECT_EQ(kindsOf(lost), expected(0, [](int age) { return age != 240; }));
}

TEST(BossSchedule, LaunchesLeaveWithTheirSizesDirectionsAndSpeeds) {
    // The player right of the centre at level 0; left of it at level 20, which adds the opening.
    BossRun sides[2] = {runBoss(0, 3599, never, 160), runBoss(20, 3599, never, 159)};
    struct Want {
        int side, age, index, kind;
        float size;
        double heading, speed;
    };
    const Want WANTS[] = {
        {1, 10, 0, 14, 32, 330, 10},  {1, 10, 1, 14, 32, 210, 10},   {0, 420, 0, 1, 32, 180, 12},
        {0, 420, 1, 1, 32, 225, 10},  {1, 420, 0, 1, 32, 0, 12},     {1, 420, 1, 1, 32, 315, 10},
        {0, 1140, 0, 7, 16, 270, 15}, {0, 1320, 1, 8, 32, 345, 15},  {0, 1860, 0, 4, 32, 0, 10},
        {1, 1860, 0, 3, 32, 180, 10}, {0, 2500, 0, 14, 32, 0, 10},   {0, 2800, 1, 14, 32, 240, 20},
        {0, 2800, 2, 5, 32, 270, 3},  {0, 1500, 1, 10, 32, 360, 10},
    };
    for (const Want& w : WANTS) {
        SCOPED_TRACE("age " + std::to_string(w.age) + " #" + std::to_string(w.index));
        const Launched& l = sides[w.side].launched.at(w.age).at(w.index);
        EXPECT_EQ(l.kind, w.kind);
        EXPECT_EQ(l.size, w.size);
        EXPECT_NEAR(angleGap(l.heading, w.heading), 0, 1e-3);
        EXPECT_NEAR(l.speed, w.speed, 1e-4);
    }
    // The random directions, kind 12 at t = 600 and every trio member (12 x 12): 180 to 359.
    for (const auto& [age, list] : sides[0].launched)
        for (const Launched& l : list)
            if (l.kind == 2 || l.kind == 12) {
                EXPECT_TRUE(l.heading > 180 - 1e-3 && l.heading < 359 + 1e-3) << age;
                EXPECT_EQ(l.size, l.kind == 2 ? 12 : 32) << age;
            }
}

TEST(BossSchedule, TrioDrawsEachAngleBeforeItsMembersStartAge) {
    newGame(0, 1);
    boss().age = 59;
    uint32_t r[6];
    randSeed(5);
    for (uint32_t& v : r)
        v = randNext();
    randSeed(5);
    boss().move();
    std::vector<Enemy*> trio = alive(enemyManager);
    ASSERT_EQ(trio.size(), 5u) << "the boss, the kind 5 and the trio";
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(angleGap(headingOf(*trio[i + 2]), 180 + r[2 * i] % 180), 0, 1e-3) << i;
        EXPECT_EQ(trio[i + 2]->age, static_cast<int>(r[2 * i + 1] % 30)) << i;
    }
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

int bulletsAfter(const std::function<void()>& act) {
    bulletManager->clear();
    act();
    return bulletManager->count();
}

// A lone minion of this kind at (160, 70), its age set unless `age` is negative.
Enemy& lone(int lvl, int kind, int age) {
    emptyField(lvl, 21);
    Enemy::create(kind, 160, 70, 32, 32, 0, 0);
    Enemy& e = enemyManager->getTokens()[0];
    if (age >= 0) e.age = age;
    return e;
}

double launchedAt(int lvl, int age, int kind, bool (*blocked)(int)) {
    BossRun run = runBoss(lvl, age, blocked);
    int n = 0;
    for (const Launched& l : run.launched[age])
        n += l.kind == kind;
    return n;
}

// A kind 11's first column: (270, 4.0), then 3.8, 1.0 and 0.9.
double columnBullets(int lvl) {
    return bulletsAfter([&] { lone(lvl, 11, 74).move(); });
}
double columnFirstSpeed(int lvl) {
    columnBullets(lvl);
    return speedOf(bulletManager->getTokens()[0]);
}

struct LevelRule {
    const char* rule;
    int below, above;
    double wantBelow, wantAbove;
    double (*probe)(int lvl);
};

// Return fire, death rings and their speeds are probed with the kills in enemy_test.
const LevelRule LEVEL_RULES[] = {
    {"boss hit points 1600 + 200 level", 0, 50, 1600, 11600,
     [](int l) -> double { return (newGame(l), boss().maxHp); }},
    {"opening kind 12 from level 10", 9, 10, 0, 1,
     [](int l) { return launchedAt(l, 10, 12, never); }},
    {"opening pair of kind 14 from level 20", 19, 20, 0, 2,
     [](int l) { return launchedAt(l, 10, 14, always); }},
    {"gate always open at level mod 5 = 4", 3, 4, 0, 2,
     [](int l) { return launchedAt(l, 240, 15, always); }},
    {"gate closed again past it", 4, 5, 2, 0, [](int l) { return launchedAt(l, 240, 15, always); }},
    {"start age 10 on even levels above 20", 20, 22, 0, 10,
     [](int l) -> double { return lone(l, 1, -1).age; }},
    {"start age 10 only on even levels", 22, 23, 10, 0,
     [](int l) -> double { return lone(l, 1, -1).age; }},
    {"kind 2 dashes at the player at mod 5 = 1 above 19", 16, 21, -1, 1,
     [](int l) -> double {
         Enemy& e = lone(l, 2, 89);
         e.move();
         return e.ay > 0 ? 1 : -1;
     }},
    {"pattern bullets 1.5 times as fast at mod 5 = 2 below 20", 1, 2, 4.0, 6.0, columnFirstSpeed},
    {"1.8 times from level 20", 17, 22, 6.0, 7.2, columnFirstSpeed},
    {"twin bullets at mod 5 = 3", 2, 3, 4, 8, columnBullets},
    {"no twins past it", 23, 24, 8, 4, columnBullets},
    {"time-out releases 18 aimed bullets from level 20", 19, 20, 0, 18,
     [](int l) -> double { return bulletsAfter([&] { lone(l, 12, 194).move(); }); }},
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
