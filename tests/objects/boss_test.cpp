// The boss's schedule, gate, trios, fixed events and end, and every rule of the fight that the level changes.
#include "support/FightSupport.h"

#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <map>

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
BossRun runBoss(int lvl, int lastAge, const std::function<bool(int)>& blocked, float playerX = 160) {
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
        for (const Launched& l : list) out[age].push_back(l.kind);
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
    {60, false, {5}, 2430},         {240, true, {15, 15}, 2520},  {420, true, {1, 1}, 2610},
    {600, true, {12}, 2700},        {780, true, {11, 11}, 2790},  {1140, true, {7}, 2970},
    {1320, true, {8, 8}, 3060},     {1500, true, {9, 10}, 3150},  {1680, true, {13, 13}, 3240},
    {1860, true, {4}, 3330},        {2220, true, {15, 15}, 3510},
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

bool never(int) { return false; }
bool always(int) { return true; }

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
    // Something still alive at age 240 costs the kind 15 pair for the normal phase; it comes back at
    // 2520. The kind 1 pair at 420 still leaves, and only in that one frame.
    auto at240 = [](int age) { return age == 240; };
    BossRun run = runBoss(0, 3599, at240);
    EXPECT_EQ(kindsOf(run.launched), expected(0, [](int age) { return age != 240; }));
    EXPECT_EQ(run.launched.count(240), 1u) << "the trio still comes";
    EXPECT_EQ(run.launched.at(240).size(), 3u);
    EXPECT_EQ(run.launched.count(421), 0u);
    EXPECT_EQ(run.launched.at(2520).size(), 5u);
}

TEST(BossSchedule, LaunchesLeaveWithTheirSizesDirectionsAndSpeeds) {
    BossRun right = runBoss(0, 3599, never, 160);
    BossRun left = runBoss(0, 3599, never, 159);
    auto check = [](const Launched& l, int kind, float size, double heading, double speed) {
        EXPECT_EQ(l.kind, kind);
        EXPECT_EQ(l.size, size);
        EXPECT_NEAR(angleGap(l.heading, heading), 0, 1e-3) << "kind " << kind;
        EXPECT_NEAR(l.speed, speed, 1e-4) << "kind " << kind;
    };
    check(right.launched.at(60)[0], 5, 32, 270, 5);
    check(right.launched.at(240)[0], 15, 32, 330, 10);
    check(right.launched.at(240)[1], 15, 32, 210, 10);
    check(right.launched.at(420)[0], 1, 32, 180, 12);
    check(right.launched.at(420)[1], 1, 32, 225, 10);
    check(left.launched.at(420)[0], 1, 32, 0, 12);
    check(left.launched.at(420)[1], 1, 32, 315, 10);
    const Launched& twelve = right.launched.at(600)[0];
    EXPECT_EQ(twelve.kind, 12);
    EXPECT_GE(twelve.heading, 180 - 1e-3);
    EXPECT_LE(twelve.heading, 359 + 1e-3);
    check(right.launched.at(780)[0], 11, 32, 180, 10);
    check(right.launched.at(780)[1], 11, 32, 0, 10);
    check(right.launched.at(1140)[0], 7, 16, 270, 15);
    check(right.launched.at(1320)[0], 8, 32, 195, 15);
    check(right.launched.at(1320)[1], 8, 32, 345, 15);
    check(right.launched.at(1500)[0], 9, 32, 180, 10);
    check(right.launched.at(1500)[1], 10, 32, 0, 10);
    check(right.launched.at(1680)[0], 13, 32, 180, 10);
    check(right.launched.at(1680)[1], 13, 32, 0, 10);
    check(right.launched.at(1860)[0], 4, 32, 0, 10);
    check(left.launched.at(1860)[0], 3, 32, 180, 10);
    check(right.launched.at(2220)[0], 15, 32, 300, 10);
    check(right.launched.at(2220)[1], 15, 32, 240, 10);
    // The fixed events of the last phase.
    check(right.launched.at(2500)[0], 14, 32, 0, 10);
    check(right.launched.at(2500)[1], 14, 32, 180, 10);
    check(right.launched.at(2800)[0], 14, 32, 300, 20);
    check(right.launched.at(2800)[1], 14, 32, 240, 20);
    check(right.launched.at(2800)[2], 5, 32, 270, 3);
    // Every trio member is 12 x 12 at speed 2, somewhere from 180 to 359 degrees.
    for (const auto& [age, list] : right.launched)
        for (const Launched& l : list)
            if (l.kind == 2) {
                EXPECT_EQ(l.size, 12) << age;
                EXPECT_NEAR(l.speed, 2, 1e-4) << age;
                EXPECT_GE(l.heading, 180 - 1e-3) << age;
                EXPECT_LE(l.heading, 359 + 1e-3) << age;
            }
}

TEST(BossSchedule, TrioDrawsEachAngleBeforeItsMembersStartAge) {
    // Angle draw, then the new kind 2's own start-age draw, for each member in turn.
    newGame(0, 1);
    Enemy& b = boss();
    b.age = 59;
    randSeed(5);
    uint32_t r[6];
    for (uint32_t& v : r) v = randNext();
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
        for (int i = 0; i < 5; ++i) Enemy::create(1, 40.0f * i + 20, 200, 32, 32, 0, 0);
        for (int i = 0; i < 30; ++i) fireBulletDirect(10, 10 + i, 270, 1, 0, 0);
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

// ---- Difficulty by level: for each rule, a level on each side of where it starts or stops. ----

namespace {
int bulletsAfter(const std::function<void()>& act) {
    bulletManager->clear();
    act();
    return bulletManager->count();
}
} // namespace

TEST(DifficultyByLevel, BossHitPoints) {
    for (int lvl : {0, 1, 50}) {
        newGame(lvl);
        EXPECT_EQ(boss().maxHp, 1600 + 200 * lvl);
        EXPECT_EQ(boss().hp, boss().maxHp);
        EXPECT_EQ(boss().age, 0);
    }
}

TEST(DifficultyByLevel, NewEnemiesStartTenFramesEarlyOnEvenLevelsAbove20) {
    const int LEVELS[] = {20, 21, 22, 50};
    const int WANT[] = {0, 0, 10, 10};
    for (int i = 0; i < 4; ++i) {
        emptyField(LEVELS[i]);
        Enemy::create(1, 100, 100, 32, 32, 0, 0);
        Enemy::create(0, 160, 70, 80, 80, 0, 0);
        EXPECT_EQ(enemyManager->getTokens()[0].age, WANT[i]) << LEVELS[i];
        EXPECT_EQ(enemyManager->getTokens()[1].age, 0) << "the boss always starts at 0";
    }
}

TEST(DifficultyByLevel, Kind2DashesTowardsThePlayerOnlyAtMod5Is1Above19) {
    const int LEVELS[] = {16, 20, 21, 26};
    const bool TOWARDS[] = {false, false, true, true};
    for (int i = 0; i < 4; ++i) {
        emptyField(LEVELS[i]);
        Enemy::create(2, 160, 70, 12, 12, 0, 0);
        Enemy& e = enemyManager->getTokens()[0];
        e.age = 89;
        e.move();
        // The player is straight below: towards means a downward pull.
        EXPECT_EQ(e.ay > 0, TOWARDS[i]) << LEVELS[i];
    }
}

TEST(DifficultyByLevel, PatternBulletSpeedAndTwinRules) {
    // A kind 11's first column: fire (270, 4.0) first, then 3.8, 1.0, 0.9.
    struct Case {
        int lvl;
        int bullets;
        double first, second;
    };
    const Case CASES[] = {
        {1, 4, 4.0, 3.8},  {2, 4, 6.0, 5.7},  {17, 4, 6.0, 5.7}, {22, 4, 7.2, 6.84},
        {21, 4, 4.0, 3.8}, {3, 8, 4.0, 3.2},  {4, 4, 4.0, 3.8},  {23, 8, 4.0, 3.2},
    };
    for (const Case& c : CASES) {
        emptyField(c.lvl);
        Enemy::create(11, 160, 70, 32, 32, 0, 0);
        Enemy& e = enemyManager->getTokens()[0];
        e.age = 74;
        ASSERT_EQ(bulletsAfter([&] { e.move(); }), c.bullets) << c.lvl;
        auto b = alive(bulletManager);
        EXPECT_NEAR(speedOf(*b[0]), c.first, 1e-4) << c.lvl;
        EXPECT_NEAR(speedOf(*b[1]), c.second, 1e-4) << c.lvl;
    }
}

TEST(DifficultyByLevel, BossReturnFire) {
    // A bomb (40) draws 3 bullets from level 5, 5 from level 20; a shot (1) draws one from level 25.
    const int LEVELS[] = {4, 5, 9, 10, 19, 20, 24, 25};
    const int BOMB[] = {0, 3, 3, 3, 3, 5, 5, 5};
    const int SHOT[] = {0, 0, 0, 0, 0, 0, 0, 1};
    for (int i = 0; i < 8; ++i) {
        newGame(LEVELS[i]);
        EXPECT_EQ(bulletsAfter([] { boss().damage(40); }), BOMB[i]) << LEVELS[i];
        EXPECT_EQ(bulletsAfter([] { boss().damage(1); }), SHOT[i]) << LEVELS[i];
    }
    // Level 5 to 9: speed 5 + (r mod 100) / 100.
    newGame(7);
    bulletsAfter([] { boss().damage(40); });
    for (Bullet* b : alive(bulletManager)) {
        EXPECT_GE(speedOf(*b), 5 - 1e-4);
        EXPECT_LE(speedOf(*b), 5.99 + 1e-4);
    }
}

TEST(DifficultyByLevel, MinionsFireBackFromLevel10) {
    for (int lvl : {9, 10}) {
        emptyField(lvl, 21);
        Enemy::create(1, 160, 200, 32, 32, 0, 0);
        Enemy& e = enemyManager->getTokens()[0];
        int back = bulletsAfter([&] {
            for (int i = 0; i < 40; ++i) e.damage(1);
        });
        if (lvl == 9) {
            EXPECT_EQ(back, 0);
        } else {
            // One chance in two per hit: with this seed neither none nor all.
            EXPECT_GT(back, 5);
            EXPECT_LT(back, 35);
        }
    }
}

TEST(DifficultyByLevel, DeathRingFromLevel15) {
    struct Case {
        int lvl, kind, bullets;
        double speed;
    };
    const Case CASES[] = {{14, 1, 0, 0}, {15, 1, 18, 6}, {17, 1, 18, 2}, {20, 2, 0, 0}, {20, 14, 18, 6}};
    for (const Case& c : CASES) {
        emptyField(c.lvl);
        Enemy::create(c.kind, 160, 200, 32, 32, 0, 0);
        Enemy& e = enemyManager->getTokens()[0];
        ASSERT_EQ(bulletsAfter([&] { e.damage(100); }), c.bullets) << c.lvl;
        auto ring = alive(bulletManager);
        for (int i = 0; i < c.bullets; ++i) {
            EXPECT_NEAR(angleGap(headingOf(*ring[i]), 20 * i), 0, 1e-3);
            EXPECT_NEAR(speedOf(*ring[i]), c.speed, 1e-4);
        }
    }
}

TEST(DifficultyByLevel, TimeOutReleasesAimedBulletsFromLevel20) {
    for (int lvl : {19, 20}) {
        emptyField(lvl);
        Enemy::create(12, 160, 70, 32, 32, 0, 0);
        Enemy& e = enemyManager->getTokens()[0];
        e.age = 194;
        itemManager->clear();
        EXPECT_EQ(bulletsAfter([&] { e.move(); }), lvl > 19 ? 18 : 0);
        EXPECT_FALSE(e.exists);
        EXPECT_EQ(itemManager->count(), 1);
        for (Bullet* b : alive(bulletManager)) EXPECT_LE(angleGap(headingOf(*b), 270), 5 + 1e-3);
    }
}
