// The minion kinds alone on the field: when each fires, how many, where to, and how it ends.
#include "support/FightSupport.h"

#include <gtest/gtest.h>
#include <string>

using namespace fight;

namespace {

struct Volley {
    int age, bullets;
    bool operator==(const Volley& o) const { return age == o.age && bullets == o.bullets; }
};

// What a lone minion did over its life, with each volley's bullets in pool order.
struct Life {
    std::vector<Volley> volleys;
    std::vector<std::vector<Bullet>> shots;
    int total = 0, endAge = 0, items = 0;
    bool leftScreen = false;
};

// One still minion at (160, y) on an empty field, moved alone until it is gone; the bullets are
// cleared every frame so that each frame's count is that frame's firing.
Life live(int kind, int lvl, float y = 70) {
    emptyField(lvl, 7);
    Enemy::create(kind, 160, y, 32, 32, 0, 0);
    Enemy& e = enemyManager->getTokens()[0];
    Life life;
    for (int f = 0; f < 1200 && e.exists; ++f) {
        bulletManager->clear();
        itemManager->clear();
        e.move();
        if (bulletManager->count() == 0) continue;
        life.volleys.push_back({e.age, bulletManager->count()});
        life.total += bulletManager->count();
        life.shots.emplace_back();
        for (Bullet* b : alive(bulletManager))
            life.shots.back().push_back(*b);
    }
    life.endAge = e.age;
    life.items = itemManager->count();
    life.leftScreen = e.isOutside();
    return life;
}

// Volleys of `bullets` at the ages from, from + step, ... up to `to`.
struct Run {
    int from, to, step, bullets;
};
std::vector<Volley> volleysOf(const std::vector<Run>& runs, int twins) {
    std::vector<Volley> v;
    for (const Run& r : runs)
        for (int a = r.from; a <= r.to; a += r.step)
            v.push_back({a, r.bullets * twins});
    std::sort(v.begin(), v.end(), [](Volley a, Volley b) { return a.age < b.age; });
    return v;
}

struct Script {
    int kind;
    std::vector<Run> runs; // at a level without the twin rule
    int total;             // bullets over its life
    int endAge;            // -1: it flies off the screen instead
    bool dropsItem;
};

// Kinds 3 and 4 sink 4 pixels a frame from y 70 after age 149: their box clears 480 + 16 at 256.
const Script SCRIPTS[] = {
    {1, {{90, 495, 45, 2}}, 20, 511, true},
    {2, {{91, 91, 1, 6}}, 6, -1, false},
    {3, {{153, 252, 9, 2}}, 24, 256, false},
    {4, {{153, 252, 9, 2}}, 24, 256, false},
    {5, {{80, 200, 60, 10}, {110, 230, 60, 8}}, 54, 291, true},
    {6, {{100, 150, 50, 2}}, 4, -1, false},
    {7, {}, 0, 91, true},
    {8, {{120, 398, 2, 1}}, 140, 461, true},
    {9, {{120, 396, 4, 2}}, 140, 460, true},
    {10, {{120, 396, 4, 2}}, 140, 460, true},
    {11, {{75, 275, 25, 4}}, 36, 290, true},
    {12, {{90, 90, 1, 72}}, 72, 195, true},
    {13, {{15, 300, 15, 15}}, 300, 301, true},
    {14, {{120, 120, 1, 144}}, 144, 181, false},
    {15, {{64, 88, 4, 1}, {152, 176, 4, 1}}, 14, 301, true},
};

} // namespace

TEST(MinionLife, EachKindFiresItsCountAtItsAgesAndEndsOnTime) {
    for (const Script& s : SCRIPTS) {
        for (int lvl : {0, 3}) { // level 3 doubles every pattern bullet and shifts no age
            SCOPED_TRACE("kind " + std::to_string(s.kind) + " level " + std::to_string(lvl));
            int twins = lvl == 3 ? 2 : 1;
            Life life = live(s.kind, lvl);
            EXPECT_EQ(life.total, s.total * twins);
            EXPECT_EQ(life.volleys, volleysOf(s.runs, twins));
            EXPECT_TRUE(s.endAge < 0 ? life.leftScreen : life.endAge == s.endAge) << life.endAge;
            EXPECT_EQ(life.items, s.dropsItem ? 1 : 0);
        }
    }
}

TEST(MinionLife, Kinds2And14StartAtARandomAgeThatShiftsTheirScript) {
    bool seen[30] = {};
    for (uint64_t seed = 1; seed <= 6; ++seed) {
        for (int kind : {2, 14}) {
            emptyField(0, seed);
            Enemy::create(kind, 160, 70, 32, 32, 0, 0);
            Enemy& e = enemyManager->getTokens()[0];
            int start = e.age, frames = 0;
            ASSERT_TRUE(start >= 0 && start < 30) << start;
            seen[start] = true;
            for (; bulletManager->count() == 0 && frames < 300; ++frames)
                e.move();
            EXPECT_EQ(frames, (kind == 2 ? 91 : 120) - start) << "kind " << kind;
        }
    }
    EXPECT_GT(std::count(seen, seen + 30, true), 3);
}

TEST(MinionPatterns, BulletsLeaveAtTheirAnglesAndSpeedsInOrder) {
    // At (160, 70) with the player straight below: aimed is 270 degrees.
    struct Probe {
        int kind, lvl, volley, bullet;
        double heading, speed;
    };
    const Probe PROBES[] = {
        {1, 0, 1, 1, 270, 2.25},     // age 135: s = 135 / 90 + 1.5 in integers, then 0.9 s
        {1, 3, 0, 1, 270, 2.0},      // the twin at 0.8 follows its own bullet
        {5, 0, 0, 1, 210, 2.8},      // each direction at 3.0 then 2.8, from aim - 60
        {5, 0, 1, 6, 315, 3.0},      // the second fan: -45, -15, 15, 45
        {6, 0, 0, 1, 300, 3.0},      // aim + 30 after aim - 30
        {8, 0, 22, 0, 294.98477, 6}, // 270 + 25 sin(2 (164 - 120)) in degrees
        {9, 0, 1, 0, -12, 2.0},      // the angle keeps its sign
        {9, 0, 69, 1, -108, 5.7},    // age 396: speed 396 / 60 = 6 in integers, partner 0.95
        {10, 0, 1, 0, 12, 2.0},      // the other way round
        {11, 0, 0, 3, 270, 0.9},     // the last of the column
        {12, 0, 0, 70, 350, 4.0},    // fixed ring bullet 35 ...
        {12, 0, 0, 71, 260, 4.4},    // ... then its aimed partner
        {13, 0, 0, 14, 0, 2.0},      // aim + 90, slowest last
        {14, 0, 0, 0, 272.5, 9.0},   // the fast ring 2.5 degrees ahead ...
        {14, 0, 0, 143, 265, 2.0},   // ... of the slow one
        {15, 0, 7, 0, 270, 3.2},     // age 152: (152 mod 90 - 30) / 10
        {4, 0, 0, 1, 180, 0.8},
    };
    for (const Probe& p : PROBES) {
        SCOPED_TRACE(testing::Message() << "kind " << p.kind << " level " << p.lvl << " volley "
                                        << p.volley << " bullet " << p.bullet);
        Life l = live(p.kind, p.lvl);
        ASSERT_LT(static_cast<size_t>(p.volley), l.shots.size());
        ASSERT_LT(static_cast<size_t>(p.bullet), l.shots[p.volley].size());
        const Bullet& b = l.shots[p.volley][p.bullet];
        EXPECT_NEAR(angleGap(headingOf(b), p.heading), 0, 1e-3);
        EXPECT_NEAR(speedOf(b), p.speed, 1e-4);
    }
    // The side streams speed up towards the other side.
    EXPECT_NEAR(live(3, 0).shots[0][0].ax, 0.05, 1e-6);
    EXPECT_NEAR(live(4, 0).shots[0][1].ax, -0.05, 1e-6);
    // Kind 13 fires only in the upper half.
    EXPECT_TRUE(live(13, 0, 240).volleys.empty());
    EXPECT_FALSE(live(13, 0, 239).volleys.empty());
}

TEST(MinionPatterns, Kind2DashesAwayThenSpreadsFromOneDraw) {
    emptyField(0, 7);
    Enemy::create(2, 160, 70, 12, 12, 0, 0);
    Enemy& e = enemyManager->getTokens()[0];
    e.age = 89;
    e.move(); // age 90: the dash away from the player below, already shrunk by 0.85
    EXPECT_NEAR(e.ax, 0.0f, 1e-6);
    EXPECT_NEAR(e.ay, -0.85f, 1e-6);
    randSeed(99);
    double b = 270 + static_cast<double>(randNext() % 10) - 5;
    randSeed(99);
    e.move(); // age 91: b, b + 60 and b - 60, each at 2.0 then 2.2
    auto fired = alive(bulletManager);
    ASSERT_EQ(fired.size(), 6u);
    const double OFFSETS[] = {0, 60, -60};
    for (int i = 0; i < 6; ++i) {
        EXPECT_NEAR(angleGap(headingOf(*fired[i]), b + OFFSETS[i / 2]), 0, 1e-3) << i;
        EXPECT_NEAR(speedOf(*fired[i]), i % 2 ? 2.2 : 2.0, 1e-4) << i;
    }
    EXPECT_NEAR(e.vy, -(0.85 + 0.85 * 0.85), 1e-5) << "the shrinking dash adds up";
}

TEST(MinionPatterns, Kind7BurstsIntoSixteenOrAsManyAsFit) {
    for (int fillers : {0, 53}) {
        SCOPED_TRACE(fillers);
        emptyField(0, 7);
        Enemy::create(7, 160, 70, 16, 16, 270, 15);
        for (int i = 0; i < fillers; ++i)
            Enemy::create(1, 10, 10, 32, 32, 0, 0);
        Enemy& e = enemyManager->getTokens()[0];
        while (e.age < 90)
            e.move();
        std::vector<Enemy*> six;
        for (Enemy* m : alive(enemyManager))
            if (m->kind == 6) six.push_back(m);
        ASSERT_EQ(six.size(), fillers ? 10u : 16u);
        const int WANT[] = {0, 22, 45, 67}; // i * 360 / 16 in integers
        for (int i = 0; i < 4; ++i) {
            EXPECT_NEAR(angleGap(headingOf(*six[i]), WANT[i]), 0, 1e-3);
            EXPECT_NEAR(speedOf(*six[i]), 8, 1e-4);
            EXPECT_EQ(six[i]->width, 16);
        }
        e.move();
        EXPECT_FALSE(e.exists) << "gone at 91 even when the pool was full";
    }
}

TEST(MinionMotion, EachKindGlidesOutUnderItsOwnDampingThenSinksOrTurns) {
    // Factor and the age at which it stops; `renewed`: a new velocity is set at that age.
    struct Damping {
        int kind;
        double f;
        int until;
        bool renewed;
    };
    const Damping DAMPINGS[] = {
        {1, 0.9, 120, false},  {2, 0.98, 90, true},   {3, 0.935, 150, true}, {4, 0.935, 150, true},
        {5, 0.89, 20, false},  {6, 0.9, 60, false},   {7, 0.9, 60, false},   {8, 0.9, 120, false},
        {9, 0.9, 120, false},  {10, 0.9, 120, false}, {11, 0.935, 60, true}, {12, 0.9, 60, false},
        {13, 0.89, 60, false}, {14, 0.89, 60, false}, {15, 0.89, 32, false},
    };
    for (const Damping& d : DAMPINGS) {
        SCOPED_TRACE("kind " + std::to_string(d.kind));
        emptyField(0, 7);
        Enemy::create(d.kind, 150, 150, 32, 32, 315, 1);
        Enemy& e = enemyManager->getTokens()[0];
        e.age = 0;
        float vx = e.vx, vy = e.vy;
        while (e.age < d.until - 1) {
            e.move();
            vx = static_cast<float>(vx * d.f); // the factor in double, the product a float
            vy = static_cast<float>(vy * d.f);
        }
        EXPECT_TRUE(e.vx == vx && e.vy == vy);
        if (d.renewed) continue;
        e.move();
        EXPECT_EQ(e.vx, d.kind == 13 ? static_cast<float>(vx * 0.89) : vx) << "13 slows sideways";
        EXPECT_EQ(e.vy, vy);
    }
    // Kinds 3 and 4 then sink at 4; kind 11 turns to the middle (not at all from 160), level.
    struct Turn {
        int kind;
        float x, vx, vy;
    } turns[] = {{3, 150, 0, 4}, {11, 100, 1.5f, 0}, {11, 220, -1.5f, 0}, {11, 160, 0.25f, 0}};
    for (const Turn& t : turns) {
        emptyField(0, 7);
        Enemy::create(t.kind, t.x, 70, 32, 32, 0, 0);
        Enemy& e = enemyManager->getTokens()[0];
        e.age = t.kind == 3 ? 149 : 59;
        e.vx = 0.25f;
        e.vy = 0.5f;
        e.move();
        EXPECT_TRUE(e.vx == t.vx && e.vy == t.vy) << t.kind << " from " << t.x;
    }
}
