// The boss: schedule, gate, trios, fixed events and end; and every rule the level changes.
#include "support/FightSupport.h"

#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <string>

using namespace fight;

namespace {

struct Launched {
    int kind;
    float size;
    double heading;
    double speed;
};
using Timeline = std::map<int, std::vector<Launched>>; // boss age -> enemies made in that frame

struct BossRun {
    Timeline launched;
    std::vector<int> crazyAges;
    float crazyX = 0, crazyY = 0;
};

// Moves the boss alone from a new game up to `lastAge`. Whatever it creates is recorded with its
// starting velocity and removed at once, so only `blocked` decides whether another enemy exists
// when the boss counts: a still kind 6 stands in the pool during those ages.
BossRun runBoss(int lvl, int lastAge, const std::function<bool(int)>& blocked,
                float playerX = 160) {
    newGame(lvl, 11);
    player->x = playerX;
    Enemy& b = boss();
    BossRun run;
    while (b.exists && b.age < lastAge) {
        int age = b.age + 1;
        Enemy* blocker = nullptr;
        if (blocked(age)) {
            Enemy::create(6, 300, 460, 16, 16, 0, 0);
            blocker = &enemyManager->getTokens()[1];
        }
        b.move();
        for (Enemy* e : alive(enemyManager)) {
            if (e == &b || e == blocker) continue;
            run.launched[age].push_back({e->kind, e->width, headingOf(*e), speedOf(*e)});
        }
        for (Enemy* e : alive(enemyManager))
            if (e != &b) e->exists = false;
        for (Particle* p : alive(particleManager)) {
            if (p->kind == PK_TEXT && std::strcmp(p->text, "CRAZY MODE") == 0) {
                run.crazyAges.push_back(age);
                run.crazyX = p->x;
                run.crazyY = p->y;
            }
        }
        particleManager->clear();
        bulletManager->clear();
    }
    return run;
}

std::map<int, std::vector<int>> kindsOf(const Timeline& t) {
    std::map<int, std::vector<int>> out;
    for (const auto& [age, list] : t)
        for (const Launched& l : list)
            out[age].push_back(l.kind);
    return out;
}

// The schedule as the rules state it, with the player at x 160 (the right-hand choices).
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

// Every enemy the boss makes up to age 3599, given which gated rows leave in the normal phase.
std::map<int, std::vector<int>> expected(int lvl, const std::function<bool(int)>& gateOpenAt) {
    std::map<int, std::vector<int>> want;
    auto add = [&](int age, const std::vector<int>& kinds) {
        want[age].insert(want[age].end(), kinds.begin(), kinds.end());
    };
    if (lvl > 19)
        add(10, {14, 14});
    else if (lvl > 9)
        add(10, {12});
    for (int age = 1; age <= 2400; ++age) {
        for (const Row& r : ROWS)
            if (r.t == age && (!r.gated || gateOpenAt(age))) add(age, r.kinds);
        if (age % 180 == 60) add(age, {2, 2, 2});
    }
    for (int age = 2401; age < 3600; ++age) {
        for (const Row& r : ROWS)
            if (r.lastPhaseAge == age) add(age, r.kinds);
        if ((age - 2400) % 90 == 30) add(age, {2, 2, 2});
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

TEST(BossSchedule, GateOpenSendsEveryWaveOnTimeTwice) {
    BossRun run = runBoss(0, 3599, never);
    EXPECT_EQ(kindsOf(run.launched), expected(0, always));
}

TEST(BossSchedule, GateClosedKeepsOnlyTheUngatedWavesUntilCrazyMode) {
    // Another enemy on the field at every frame: only t = 60 and the trios leave before age 2400.
    BossRun run = runBoss(0, 3599, always);
    EXPECT_EQ(kindsOf(run.launched), expected(0, never));
    // Level 4 ignores the gate; level 5 does not.
    EXPECT_EQ(kindsOf(runBoss(4, 3599, always).launched), expected(4, always));
    EXPECT_EQ(kindsOf(runBoss(5, 3599, always).launched), expected(5, never));
    EXPECT_EQ(kindsOf(runBoss(49, 3599, always).launched), expected(49, always));
}

TEST(BossSchedule, AWaveIsLostWhenItsFrameFindsOthersOnTheField) {
    // Something still alive at age 240 costs the kind 15 pair for the normal phase; it comes back
    // at 2520. The kind 1 pair at 420 still leaves, and only in that one frame.
    auto at240 = [](int age) { return age == 240; };
    BossRun run = runBoss(0, 3599, at240);
    EXPECT_EQ(kindsOf(run.launched), expected(0, [](int age) { return age != 240; }));
    EXPECT_EQ(run.launched.count(240), 1u) << "the trio still comes";
    EXPECT_EQ(run.launched.at(240).size(), 3u);
    EXPECT_EQ(run.launched.count(421), 0u);
    EXPECT_EQ(run.launched.at(2520).size(), 5u);
}

TEST(BossSchedule, LaunchesLeaveWithTheirSizesDirectionsAndSpeeds) {
    BossRun sides[2] = {runBoss(0, 3599, never, 160), runBoss(0, 3599, never, 159)};
    struct Want {
        int playerLeft, age, index, kind;
        float size;
        double heading, speed;
    };
    const Want WANTS[] = {
        {0, 60, 0, 5, 32, 270, 5},     {0, 240, 0, 15, 32, 330, 10},  {0, 240, 1, 15, 32, 210, 10},
        {0, 420, 0, 1, 32, 180, 12},   {0, 420, 1, 1, 32, 225, 10},   {1, 420, 0, 1, 32, 0, 12},
        {1, 420, 1, 1, 32, 315, 10},   {0, 780, 0, 11, 32, 180, 10},  {0, 780, 1, 11, 32, 0, 10},
        {0, 1140, 0, 7, 16, 270, 15},  {0, 1320, 0, 8, 32, 195, 15},  {0, 1320, 1, 8, 32, 345, 15},
        {0, 1500, 0, 9, 32, 180, 10},  {0, 1500, 1, 10, 32, 0, 10},   {0, 1680, 0, 13, 32, 180, 10},
        {0, 1680, 1, 13, 32, 0, 10},   {0, 1860, 0, 4, 32, 0, 10},    {1, 1860, 0, 3, 32, 180, 10},
        {0, 2220, 0, 15, 32, 300, 10}, {0, 2220, 1, 15, 32, 240, 10}, {0, 2500, 0, 14, 32, 0, 10},
        {0, 2500, 1, 14, 32, 180, 10}, {0, 2800, 0, 14, 32, 300, 20}, {0, 2800, 1, 14, 32, 240, 20},
        {0, 2800, 2, 5, 32, 270, 3},   {1, 2610, 0, 1, 32, 0, 12},
    };
    for (const Want& w : WANTS) {
        SCOPED_TRACE("age " + std::to_string(w.age) + " #" + std::to_string(w.index));
        const Launched& l = sides[w.playerLeft].launched.at(w.age).at(w.index);
        EXPECT_EQ(l.kind, w.kind);
        EXPECT_EQ(l.size, w.size);
        EXPECT_NEAR(angleGap(l.heading, w.heading), 0, 1e-3);
        EXPECT_NEAR(l.speed, w.speed, 1e-4);
    }
    // The random directions, kind 12 at t = 600 and every trio member: 180 to 359 degrees.
    for (const auto& [age, list] : sides[0].launched)
        for (const Launched& l : list)
            if (l.kind == 2 || (l.kind == 12 && age != 10)) {
                EXPECT_GE(l.heading, 180 - 1e-3) << age;
                EXPECT_LE(l.heading, 359 + 1e-3) << age;
                if (l.kind == 2) {
                    EXPECT_EQ(l.size, 12) << age;
                }
            }
}

TEST(BossSchedule, TrioDrawsEachAngleBeforeItsMembersStartAge) {
    // Angle draw, then the new kind 2's own start-age draw, for each member in turn.
    newGame(0, 1);
    Enemy& b = boss();
    b.age = 59;
    randSeed(5);
    uint32_t r[6];
    for (uint32_t& v : r)
        v = randNext();
    randSeed(5);
    b.move();
    std::vector<Enemy*> trio;
    for (Enemy* e : alive(enemyManager))
        if (e->kind == 2) trio.push_back(e);
    ASSERT_EQ(trio.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(angleGap(headingOf(*trio[i]), 180 + r[2 * i] % 180), 0, 1e-3) << i;
        EXPECT_EQ(trio[i]->age, static_cast<int>(r[2 * i + 1] % 30)) << i;
    }
}

TEST(BossSchedule, CrazyModeIsAnnouncedExactlyOnce) {
    for (bool (*gate)(int) : {never, always}) {
        BossRun run = runBoss(0, 3599, gate);
        ASSERT_EQ(run.crazyAges, std::vector<int>{2400});
        // Centred on 160 for ten 12-pixel glyphs.
        EXPECT_EQ(run.crazyX, 100);
        EXPECT_EQ(run.crazyY, 240);
    }
}

TEST(BossSchedule, OpeningWaveByLevel) {
    EXPECT_EQ(runBoss(9, 10, never).launched.count(10), 0u);
    for (int lvl : {10, 19}) {
        BossRun run = runBoss(lvl, 10, never);
        ASSERT_EQ(run.launched.at(10).size(), 1u) << lvl;
        EXPECT_EQ(run.launched.at(10)[0].kind, 12);
        EXPECT_NEAR(angleGap(run.launched.at(10)[0].heading, 270), 0, 1e-3);
        EXPECT_NEAR(run.launched.at(10)[0].speed, 10, 1e-4);
    }
    for (int lvl : {20, 50}) {
        BossRun run = runBoss(lvl, 10, always); // the opening wave ignores the gate
        ASSERT_EQ(run.launched.at(10).size(), 2u) << lvl;
        EXPECT_EQ(run.launched.at(10)[0].kind, 14);
        EXPECT_NEAR(angleGap(run.launched.at(10)[0].heading, 330), 0, 1e-3);
        EXPECT_NEAR(angleGap(run.launched.at(10)[1].heading, 210), 0, 1e-3);
    }
}

TEST(BossEnd, ClearsTheFieldAtAge3600WithoutPoints) {
    for (int lvl : {19, 20}) {
        SCOPED_TRACE(lvl);
        newGame(lvl, 3);
        Enemy& b = boss();
        b.age = 3599;
        for (int i = 0; i < 5; ++i)
            Enemy::create(1, 40.0f * i + 20, 200, 32, 32, 0, 0);
        for (int i = 0; i < 30; ++i)
            fireBulletDirect(10, 10 + i, 270, 1, 0, 0);
        Item::create(100, 100, 270, -2, 0, 0);
        particleManager->clear();
        gameMain->run(); // GM_START -> GM_PLAY, nothing moves
        gameMain->run(); // the boss's 3600th frame
        EXPECT_FALSE(b.exists);
        EXPECT_EQ(gameMain->state, GM_CLEAR);
        EXPECT_EQ(gameMain->score, 0);
        EXPECT_EQ(enemyManager->count(), 0);
        EXPECT_EQ(itemManager->count(), 0) << "no item from the boss, the rest were cleared";
        // Explosions: the boss (size 80 / 4), the five minions (32 / 4) and the last trio (12 / 4),
        // created and removed in this same frame.
        int bySize[21] = {};
        for (Particle* p : alive(particleManager))
            if (p->kind == PK_EXPLOSION && p->width <= 20) ++bySize[static_cast<int>(p->width)];
        EXPECT_EQ(bySize[20], 8);
        EXPECT_EQ(bySize[8], 40);
        EXPECT_EQ(bySize[3], 24);
        // Only the boss's own parting shots remain: 18 aimed ones from level 20.
        auto bullets = alive(bulletManager);
        ASSERT_EQ(static_cast<int>(bullets.size()), lvl > 19 ? 18 : 0);
        for (Bullet* bl : bullets) {
            EXPECT_LE(angleGap(headingOf(*bl), 270), 5 + 1e-3);
            EXPECT_GE(speedOf(*bl), 3 - 1e-4);
            EXPECT_LT(speedOf(*bl), 3.5);
        }
    }
}

// ---- Difficulty by level: every rule the level changes, probed on each side of its edge. ----

namespace {

int bulletsAfter(const std::function<void()>& act) {
    if (!gameMain) newGame(0); // the pools exist once the scene does
    bulletManager->clear();
    act();
    return bulletManager->count();
}

// A lone minion of this kind at (160, 70), or (160, 200) where it is shot at, its age set.
Enemy& lone(int lvl, int kind, int age, float y = 70) {
    emptyField(lvl, 21);
    Enemy::create(kind, 160, y, 32, 32, 0, 0);
    Enemy& e = enemyManager->getTokens()[0];
    if (age >= 0) e.age = age;
    return e;
}

int launchedAt(int lvl, int age, int kind, bool (*blocked)(int)) {
    BossRun run = runBoss(lvl, age, blocked);
    int n = 0;
    if (run.launched.count(age))
        for (const Launched& l : run.launched.at(age))
            n += l.kind == kind;
    return n;
}

// A kind 11's first column: fire (270, 4.0), then 3.8, 1.0 and 0.9.
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

const LevelRule LEVEL_RULES[] = {
    {"boss hit points 1600 + 200 level", 0, 50, 1600, 11600,
     [](int l) -> double { return (newGame(l), boss().maxHp); }},
    {"opening kind 12 from level 10", 9, 10, 0, 1,
     [](int l) -> double { return launchedAt(l, 10, 12, never); }},
    {"opening pair of kind 14 from level 20", 19, 20, 0, 2,
     [](int l) -> double { return launchedAt(l, 10, 14, never); }},
    {"gate always open at level mod 5 = 4", 3, 4, 0, 2,
     [](int l) -> double { return launchedAt(l, 240, 15, always); }},
    {"gate closed again past it", 4, 5, 2, 0,
     [](int l) -> double { return launchedAt(l, 240, 15, always); }},
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
    {"boss answers a bomb from level 5", 4, 5, 0, 3,
     [](int l) -> double { return (newGame(l), bulletsAfter([] { boss().damage(40); })); }},
    {"five bullets for a bomb from level 20", 19, 20, 3, 5,
     [](int l) -> double { return (newGame(l), bulletsAfter([] { boss().damage(40); })); }},
    {"boss answers a shot from level 25", 24, 25, 0, 1,
     [](int l) -> double { return (newGame(l), bulletsAfter([] { boss().damage(1); })); }},
    {"a hit minion answers from level 10, one time in two", 9, 10, 0, 1,
     [](int l) -> double {
         Enemy& e = lone(l, 1, -1, 200);
         int n = bulletsAfter([&] {
             for (int i = 0; i < 40; ++i)
                 e.damage(1);
         });
         return n > 5 && n < 35 ? 1 : n;
     }},
    {"death ring from level 15", 14, 15, 0, 18,
     [](int l) -> double { return bulletsAfter([&] { lone(l, 1, -1, 200).damage(100); }); }},
    {"death ring at speed 2 at mod 5 = 2", 17, 18, 2, 6,
     [](int l) -> double {
         bulletsAfter([&] { lone(l, 1, -1, 200).damage(100); });
         return speedOf(bulletManager->getTokens()[0]);
     }},
    {"time-out releases 18 aimed bullets from level 20", 19, 20, 0, 18,
     [](int l) -> double { return bulletsAfter([&] { lone(l, 12, 194).move(); }); }},
};

} // namespace

TEST(DifficultyByLevel, EachRuleChangesExactlyAtItsEdge) {
    for (const LevelRule& r : LEVEL_RULES) {
        EXPECT_NEAR(r.probe(r.below), r.wantBelow, 1e-4) << r.rule << " at level " << r.below;
        EXPECT_NEAR(r.probe(r.above), r.wantAbove, 1e-4) << r.rule << " at level " << r.above;
    }
}

TEST(DifficultyByLevel, KillsAndTimeOutsOfTheExceptions) {
    // Kind 2 never rings, even at a ring level; the boss always starts at age 0.
    EXPECT_EQ(bulletsAfter([] { lone(20, 2, -1, 200).damage(100); }), 0);
    emptyField(22);
    Enemy::create(0, 160, 70, 80, 80, 0, 0);
    EXPECT_EQ(enemyManager->getTokens()[0].age, 0);
    // The time-out bullets are aimed: within 5 degrees of the player straight below.
    bulletsAfter([] { lone(20, 12, 194).move(); });
    for (Bullet* b : alive(bulletManager))
        EXPECT_LE(angleGap(headingOf(*b), 270), 5 + 1e-3);
}
