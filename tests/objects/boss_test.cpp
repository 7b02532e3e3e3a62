// The boss: its schedule and gate, the trios, the fixed events and its end; and the level rules.
#include "support/FightSupport.h"

#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <tuple>

using namespace fight;

namespace {

using Timeline = std::map<int, std::vector<int>>; // boss age -> kinds of the enemies made then

struct BossRun {
    Timeline kinds;
    std::vector<int> crazyAges;
};

// Moves the boss alone up to `lastAge`, recording and removing what it makes; at the ages `blocked`
// picks, a still kind 6 in place 1 is the one other enemy when the boss counts.
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

// The schedule, with the player at x 160: t, gated, the kinds made, the age in the last phase.
const std::tuple<int, bool, std::vector<int>, int> ROWS[] = {
    {60, false, {5}, 2430},     {240, true, {15, 15}, 2520},  {420, true, {1, 1}, 2610},
    {600, true, {12}, 2700},    {780, true, {11, 11}, 2790},  {1140, true, {7}, 2970},
    {1320, true, {8, 8}, 3060}, {1500, true, {9, 10}, 3150},  {1680, true, {13, 13}, 3240},
    {1860, true, {4}, 3330},    {2220, true, {15, 15}, 3510},
};

// Every enemy the boss makes up to age 3599 at level 0, given the ages at which the gate is open.
Timeline expected(const std::function<bool(int)>& gateOpenAt) {
    Timeline want;
    auto add = [&](int age, const std::vector<int>& kinds) {
        want[age].insert(want[age].end(), kinds.begin(), kinds.end());
    };
    for (int age = 1; age < 3600; ++age) {
        bool last = age > 2400;
        for (const auto& [t, gated, kinds, lastAge] : ROWS)
            if (last ? lastAge == age : t == age && (!gated || gateOpenAt(age))) add(age, kinds);
        if (last ? (age - 2400) % 90 == 30 : age % 180 == 60) add(age, {2, 2, 2});
        if (age == 2500) add(age, {14, 14});
        if (age == 2800) add(age, {14, 14, 5});
    }
    return want;
}

bool (*const never)(int) = [](int) { return false; };
bool (*const always)(int) = [](int) { return true; };

} // namespace

TEST(BossSchedule, WavesByTheGateThenAllAgainAtDoubleSpeedAfterCrazyMode) {
    BossRun open = runBoss(0, 3599, never);
    EXPECT_EQ(open.kinds, expected(always));
    EXPECT_EQ(open.crazyAges, std::vector<int>{2400});
    BossRun closed = runBoss(0, 3599, always); // only t = 60 and the trios leave before 2400
    EXPECT_EQ(closed.kinds, expected(never));
    EXPECT_EQ(closed.crazyAges, std::vector<int>{2400});
    // A wave whose frame finds another enemy is lost until the last phase; the next one leaves.
    EXPECT_EQ(runBoss(0, 3599, [](int age) { return age == 240; }).kinds,
              expected([](int age) { return age != 240; }));
    // With the player left of the centre a kind 3 leaves instead of the kind 4.
    EXPECT_EQ(runBoss(0, 1860, never, 159).kinds[1860], (std::vector<int>{3, 2, 2, 2}));
}

TEST(BossEnd, At3600TheClearComesWithoutPointsAndWithEighteenAimedBulletsAboveLevel19) {
    for (int lvl : {19, 20}) {
        newGame(lvl, 3);
        boss().age = 3599;
        fireBulletDirect(10, 10, 270, 1, 0, 0); // a bullet, a minion and an item, all cleared
        Enemy::create(1, 20, 200, 32, 32, 0, 0);
        Item::create(100, 100, 270, -2, 0, 0);
        gameMain->run(); // GM_START gives way to play
        gameMain->run(); // the boss's 3600th frame, with a last trio made and removed in it
        EXPECT_TRUE(gameMain->state == GM_CLEAR && gameMain->score == 0) << lvl;
        EXPECT_EQ(enemyManager->count() + itemManager->count(), 0) << lvl;
        auto bullets = alive(bulletManager);
        ASSERT_EQ(static_cast<int>(bullets.size()), lvl > 19 ? 18 : 0);
        for (Bullet* b : bullets) // at the player straight below, within 5 degrees
            EXPECT_TRUE(angleGap(headingOf(*b), 270) < 5 + 1e-3 && speedOf(*b) > 3 - 1e-4 &&
                        speedOf(*b) < 3.5);
    }
}

namespace {

// A lone minion of this kind at (160, 70) on a new field, its age set unless `age` is negative.
Enemy& lone(int lvl, int kind, int age = -1) {
    emptyField(lvl, 21);
    Enemy::create(kind, 160, 70, 32, 32, 0, 0);
    if (age >= 0) enemyManager->getTokens()[0].age = age;
    return enemyManager->getTokens()[0];
}

// Forty hits on a lone kind 1: none answered below level 10, about half from it.
double halfAnswered(int lvl) {
    Enemy& e = lone(lvl, 1);
    for (int i = 0; i < 40; ++i)
        e.damage(1);
    return bulletManager->count() > 5 && bulletManager->count() < 35;
}

double launchedAt(int lvl, int age, int kind, bool (*blocked)(int)) {
    BossRun run = runBoss(lvl, age, blocked);
    return std::count(run.kinds[age].begin(), run.kinds[age].end(), kind);
}

// Rule, levels either side of its edge, values there, probe. The boss's return fire and the death
// rings are in enemy_test, speeds and twins in shotbullet_test, the aimed 18 in BossEnd above.
const std::tuple<const char*, int, int, double, double, double (*)(int)> LEVEL_RULES[] = {
    {"hit points", 0, 50, 1600, 11600, [](int l) -> double { return (newGame(l), boss().maxHp); }},
    {"opening kind 12", 9, 10, 0, 1, [](int l) { return launchedAt(l, 10, 12, never); }},
    {"opening kind 14 pair", 19, 20, 0, 2, [](int l) { return launchedAt(l, 10, 14, always); }},
    {"gate open at mod 5 = 4", 3, 4, 0, 2, [](int l) { return launchedAt(l, 240, 15, always); }},
    {"gate closed past it", 4, 5, 2, 0, [](int l) { return launchedAt(l, 240, 15, always); }},
    {"start age 10 above 20", 20, 22, 0, 10, [](int l) -> double { return lone(l, 1).age; }},
    {"start age 10 on even levels", 22, 23, 10, 0, [](int l) -> double { return lone(l, 1).age; }},
    {"kind 2 dashes at the ship, shrunk at once", 16, 21, -0.85, 0.85,
     [](int l) -> double { return (lone(l, 2, 89).move(), enemyManager->getTokens()[0].ay); }},
    {"a hit minion answers one time in two", 9, 10, 0, 1, halfAnswered},
};

} // namespace

TEST(DifficultyByLevel, EachRuleChangesExactlyAtItsEdge) {
    for (const auto& [rule, below, above, wantBelow, wantAbove, probe] : LEVEL_RULES) {
        EXPECT_NEAR(probe(below), wantBelow, 1e-4) << rule << " at level " << below;
        EXPECT_NEAR(probe(above), wantAbove, 1e-4) << rule << " at level " << above;
    }
    newGame(22);
    EXPECT_EQ(boss().age, 0) << "the early start spares the boss";
}
