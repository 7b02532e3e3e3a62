// The minion kinds alone on the field: when each fires, how many, where to, when and how it ends.
#include "support/FightSupport.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>

using namespace fight;

namespace {

struct Volley {
    int age;
    int bullets;
    bool operator==(const Volley& o) const { return age == o.age && bullets == o.bullets; }
};

// What a minion did over its life, frame by frame, with the bullets of each frame kept.
struct Life {
    std::vector<Volley> volleys;
    std::vector<std::vector<Bullet>> shots; // the bullets of each volley, in pool order
    int startAge = 0;
    int endAge = -1;
    int frames = 0;
    bool leftScreen = false;
    int items = 0;
};

// Creates one minion on an empty field and moves it alone until it is gone, clearing the bullets
// every frame so that each frame's count is that frame's firing.
Life live(int kind, float x, float y, float size, float angle, float speed, int lvl,
          int maxFrames = 1200) {
    emptyField(lvl, 7);
    Enemy::create(kind, x, y, size, size, angle, speed);
    Enemy& e = enemyManager->getTokens()[0];
    Life life;
    life.startAge = e.age;
    for (int f = 1; f <= maxFrames && e.exists; ++f) {
        bulletManager->clear();
        itemManager->clear();
        e.move();
        life.frames = f;
        if (bulletManager->count() > 0) {
            life.volleys.push_back({e.age, bulletManager->count()});
            std::vector<Bullet> fired;
            for (Bullet* b : alive(bulletManager))
                fired.push_back(*b);
            life.shots.push_back(fired);
        }
        if (!e.exists) {
            life.endAge = e.age;
            life.items = itemManager->count();
            life.leftScreen = e.isOutside();
        }
    }
    return life;
}

std::vector<Volley> every(int from, int to, int step, int bullets) {
    std::vector<Volley> v;
    for (int a = from; a <= to; a += step)
        v.push_back({a, bullets});
    return v;
}
std::vector<Volley> join(std::vector<Volley> a, const std::vector<Volley>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
std::vector<Volley> twice(std::vector<Volley> v) {
    for (Volley& x : v)
        x.bullets *= 2;
    return v;
}
int total(const std::vector<Volley>& v) {
    int n = 0;
    for (const Volley& x : v)
        n += x.bullets;
    return n;
}

struct Script {
    int kind;
    float x, y, size, angle, speed;
    std::vector<Volley> volleys; // at a level without the twin rule
    int endAge;                  // -1: it flies off the screen instead
    bool dropsItem;
};

// The scripts written out from the rules of each kind. Placed at the boss's centre with no speed
// (kind 11 exactly at 160, kind 13 in the upper half) so that none leaves early.
std::vector<Script> scripts() {
    // Kinds 3 and 4 sink 4 pixels a frame from age 150 at y 70, and go once past 480 + 16.
    int sinkEnd = 150;
    while (70 + 4.0f * (sinkEnd - 149) <= 480 + 16)
        ++sinkEnd;
    std::vector<Volley> sideStreams;
    for (int a = 151; a < sinkEnd; ++a)
        if (a % 9 == 0) sideStreams.push_back({a, 2});
    std::vector<Volley> swing;
    for (int a = 120; a < 400; a += 2)
        swing.push_back({a, 1});
    return {
        {1, 160, 70, 32, 0, 0, every(90, 495, 45, 2), 511, true},
        {2, 160, 70, 12, 0, 0, {{91, 6}}, -1, false},
        {3, 160, 70, 32, 0, 0, sideStreams, sinkEnd, false},
        {4, 160, 70, 32, 0, 0, sideStreams, sinkEnd, false},
        {5,
         160,
         70,
         32,
         0,
         0,
         {{80, 10}, {110, 8}, {140, 10}, {170, 8}, {200, 10}, {230, 8}},
         291,
         true},
        {6, 160, 70, 16, 0, 0, {{100, 2}, {150, 2}}, -1, false},
        {7, 160, 70, 16, 0, 0, {}, 91, true},
        {8, 160, 70, 32, 0, 0, swing, 461, true},
        {9, 160, 70, 32, 0, 0, every(120, 396, 4, 2), 460, true},
        {10, 160, 70, 32, 0, 0, every(120, 396, 4, 2), 460, true},
        {11, 160, 70, 32, 0, 0, every(75, 275, 25, 4), 290, true},
        {12, 160, 70, 32, 0, 0, {{90, 72}}, 195, true},
        {13, 160, 70, 32, 0, 0, every(15, 300, 15, 15), 301, true},
        {14, 160, 70, 32, 0, 0, {{120, 144}}, 181, false},
        {15, 160, 70, 32, 0, 0, join(every(64, 88, 4, 1), every(152, 176, 4, 1)), 301, true},
    };
}

} // namespace

TEST(MinionLife, EachKindFiresAtItsAgesAndEndsOnTime) {
    // Level 0 has no level rule; level 3 doubles every pattern bullet; neither shifts the ages.
    for (int lvl : {0, 3}) {
        for (const Script& s : scripts()) {
            SCOPED_TRACE("kind " + std::to_string(s.kind) + " level " + std::to_string(lvl));
            Life life = live(s.kind, s.x, s.y, s.size, s.angle, s.speed, lvl);
            std::vector<Volley> want = lvl == 3 ? twice(s.volleys) : s.volleys;
            EXPECT_EQ(life.volleys, want);
            EXPECT_EQ(total(life.volleys), total(want));
            if (s.endAge >= 0) {
                EXPECT_EQ(life.endAge, s.endAge);
            } else {
                EXPECT_TRUE(life.leftScreen) << "ended at age " << life.endAge;
            }
            EXPECT_EQ(life.items, s.dropsItem ? 1 : 0);
        }
    }
}

TEST(MinionLife, QuotedTotalsOfTheRingKinds) {
    EXPECT_EQ(total(live(15, 160, 70, 32, 0, 0, 0).volleys), 14);
    EXPECT_EQ(total(live(12, 160, 70, 32, 0, 0, 0).volleys), 72);
    EXPECT_EQ(total(live(14, 160, 70, 32, 0, 0, 0).volleys), 144);
    EXPECT_EQ(total(live(14, 160, 70, 32, 0, 0, 8).volleys), 288);
}

TEST(MinionLife, RandomStartAgesShiftTheWholeScript) {
    // Kinds 2 and 14 start at a random age below 30: the spread comes 91 - start frames after
    // creation, and the ring 120 - start frames after.
    std::vector<int> starts;
    for (uint64_t seed = 1; seed <= 6; ++seed) {
        for (int kind : {2, 14}) {
            emptyField(0, seed);
            Enemy::create(kind, 160, 70, 32, 32, 0, 0);
            Enemy& e = enemyManager->getTokens()[0];
            int start = e.age;
            ASSERT_GE(start, 0);
            ASSERT_LT(start, 30);
            starts.push_back(start);
            int firstVolley = 0;
            for (int f = 1; f < 300 && e.exists && !firstVolley; ++f) {
                bulletManager->clear();
                e.move();
                if (bulletManager->count() > 0) firstVolley = f;
            }
            EXPECT_EQ(firstVolley, (kind == 2 ? 91 : 120) - start) << "kind " << kind;
        }
    }
    std::sort(starts.begin(), starts.end());
    EXPECT_GT(std::unique(starts.begin(), starts.end()) - starts.begin(), 3);
}

TEST(MinionPatterns, EachBulletLeavesAtItsAngleAndSpeed) {
    // Minions at (160, 70) with the player straight below them: aimed means 270 degrees.
    struct Probe {
        int kind, lvl, volley, bullet;
        double heading, speed;
    };
    const Probe PROBES[] = {
        // Kind 1: pairs at s = age / 90 + 1.5 and 0.9 s; at level 3 each with its 0.8 twin.
        {1, 0, 0, 0, 270, 2.5},
        {1, 0, 0, 1, 270, 2.25},
        {1, 0, 2, 0, 270, 3.5},
        {1, 0, 9, 0, 270, 6.5},
        {1, 0, 9, 1, 270, 5.85},
        {1, 3, 0, 1, 270, 2.0},
        {1, 3, 0, 2, 270, 2.25},
        {1, 3, 0, 3, 270, 1.8},
        // Kinds 3 and 4: sideways, 1.0 then 0.8.
        {3, 0, 0, 0, 0, 1.0},
        {3, 0, 0, 1, 0, 0.8},
        {4, 0, 0, 0, 180, 1.0},
        // Kind 5: offsets -60 ... 60, then -45 ... 45, each at 3.0 then 2.8.
        {5, 0, 0, 0, 210, 3.0},
        {5, 0, 0, 1, 210, 2.8},
        {5, 0, 0, 8, 330, 3.0},
        {5, 0, 1, 0, 225, 3.0},
        {5, 0, 1, 6, 315, 3.0},
        // Kind 6: 30 degrees either side of the aim.
        {6, 0, 0, 0, 240, 3.0},
        {6, 0, 0, 1, 300, 3.0},
        // Kind 8: 270 + 25 sin(2 (age - 120)) at ages 120, 164, 210, 254.
        {8, 0, 0, 0, 270, 6.0},
        {8, 0, 22, 0, 294.98477, 6.0},
        {8, 0, 45, 0, 270, 6.0},
        {8, 0, 67, 0, 245.01523, 6.0},
        // Kinds 9 and 10: 12 degrees a volley, clockwise or not; speed age / 60, partner 0.95.
        {9, 0, 0, 0, 0, 2.0},
        {9, 0, 0, 1, 0, 1.9},
        {9, 0, 1, 0, -12, 2.0},
        {9, 0, 3, 0, -36, 2.0},
        {9, 0, 69, 0, -108, 6.0},
        {10, 0, 1, 0, 12, 2.0},
        {10, 0, 3, 0, 36, 2.0},
        // Kind 11: a column of four straight down.
        {11, 0, 0, 0, 270, 4.0},
        {11, 0, 0, 1, 270, 3.8},
        {11, 0, 0, 2, 270, 1.0},
        {11, 0, 0, 3, 270, 0.9},
        // Kind 12: fixed ring bullet 10 i at 4.0, then the aimed one at 4.4.
        {12, 0, 0, 0, 0, 4.0},
        {12, 0, 0, 1, 270, 4.4},
        {12, 0, 0, 70, 350, 4.0},
        {12, 0, 0, 71, 260, 4.4},
        // Kind 13: aim -90 ... 90, each at 3.0, 2.5, 2.0.
        {13, 0, 0, 0, 180, 3.0},
        {13, 0, 0, 2, 180, 2.0},
        {13, 0, 0, 14, 0, 2.0},
        // Kind 14: the fast ring 2.5 degrees ahead of the slow one.
        {14, 0, 0, 0, 272.5, 9.0},
        {14, 0, 0, 1, 270, 2.0},
        {14, 0, 0, 143, 265, 2.0},
        // Kind 15: speeds (age mod 90 - 30) / 10.
        {15, 0, 0, 0, 270, 3.4},
        {15, 0, 6, 0, 270, 5.8},
        {15, 0, 7, 0, 270, 3.2},
        {15, 0, 13, 0, 270, 5.6},
    };
    for (const Probe& p : PROBES) {
        SCOPED_TRACE("kind " + std::to_string(p.kind) + " level " + std::to_string(p.lvl) +
                     " volley " + std::to_string(p.volley) + " bullet " + std::to_string(p.bullet));
        Life l = live(p.kind, 160, 70, p.kind == 6 ? 16 : 32, 0, 0, p.lvl);
        ASSERT_LT(static_cast<size_t>(p.volley), l.shots.size());
        ASSERT_LT(static_cast<size_t>(p.bullet), l.shots[p.volley].size());
        const Bullet& b = l.shots[p.volley][p.bullet];
        EXPECT_NEAR(angleGap(headingOf(b), p.heading), 0, 1e-3);
        EXPECT_NEAR(speedOf(b), p.speed, 1e-4);
    }
    // The side streams accelerate towards the other side.
    EXPECT_NEAR(live(3, 160, 70, 32, 0, 0, 0).shots[0][0].ax, 0.05, 1e-6);
    EXPECT_NEAR(live(4, 160, 70, 32, 0, 0, 0).shots[0][1].ax, -0.05, 1e-6);
}

TEST(MinionPatterns, Kind2SpreadAndDash) {
    // The spread: b = aim + (r mod 10) - 5, then b, b + 60 and b - 60 at 2.0 and 2.2. The draw is
    // the first one taken after the age-90 frame, so replaying the seed from there gives b.
    emptyField(0, 7);
    Enemy::create(2, 160, 70, 12, 12, 0, 0);
    Enemy& e = enemyManager->getTokens()[0];
    e.age = 89;
    e.move(); // age 90: the dash is set, then shrunk by 0.85
    EXPECT_NEAR(e.ay, -0.85f, 1e-6) << "away from the player below";
    EXPECT_NEAR(e.ax, 0.0f, 1e-6);
    randSeed(99);
    uint32_t r = randNext();
    randSeed(99);
    e.move(); // age 91
    double b = 270 + static_cast<double>(r % 10) - 5;
    auto fired = alive(bulletManager);
    ASSERT_EQ(fired.size(), 6u);
    const double OFFSETS[] = {0, 0, 60, 60, -60, -60};
    for (int i = 0; i < 6; ++i) {
        EXPECT_NEAR(angleGap(headingOf(*fired[i]), b + OFFSETS[i]), 0, 1e-3) << i;
        EXPECT_NEAR(speedOf(*fired[i]), i % 2 ? 2.2 : 2.0, 1e-4) << i;
    }
    // The dash keeps shrinking by 0.85 every frame and adds to the velocity each time.
    EXPECT_NEAR(e.ay, -0.85 * 0.85, 1e-6);
    EXPECT_NEAR(e.vy, -(0.85 + 0.85 * 0.85), 1e-5);
}

TEST(MinionPatterns, Kind7BurstsIntoSixteenOrAsManyAsFit) {
    for (int fillers : {0, 53}) {
        SCOPED_TRACE(fillers);
        emptyField(0, 7);
        Enemy::create(7, 160, 70, 16, 16, 270, 15);
        for (int i = 0; i < fillers; ++i)
            Enemy::create(1, 10, 10, 32, 32, 0, 0);
        Enemy& e = enemyManager->getTokens()[0];
        int before = enemyManager->count();
        while (e.exists && e.age < 90)
            e.move();
        int made = enemyManager->count() - before;
        EXPECT_EQ(made, fillers ? 10 : 16);
        // Angles i * 360 / 16 in whole degrees, speed 8: the first ones at 0, 22, 45, 67.
        std::vector<Enemy*> six;
        for (Enemy* m : alive(enemyManager))
            if (m->kind == 6) six.push_back(m);
        ASSERT_EQ(static_cast<int>(six.size()), made);
        const int WANT[] = {0, 22, 45, 67};
        for (int i = 0; i < 4; ++i) {
            EXPECT_NEAR(angleGap(headingOf(*six[i]), WANT[i]), 0, 1e-3);
            EXPECT_NEAR(speedOf(*six[i]), 8, 1e-4);
            EXPECT_EQ(six[i]->width, 16);
        }
        itemManager->clear();
        e.move();
        EXPECT_FALSE(e.exists);
        EXPECT_EQ(e.age, 91);
        EXPECT_EQ(itemManager->count(), 1);
    }
}

TEST(MinionPatterns, Kind11TurnsBackTowardsTheMiddle) {
    const float STARTS[] = {100, 220, 160};
    const float WANT_VX[] = {1.5f, -1.5f, 0.25f};
    for (int i = 0; i < 3; ++i) {
        emptyField(0, 7);
        Enemy::create(11, STARTS[i], 70, 32, 32, 0, 0);
        Enemy& e = enemyManager->getTokens()[0];
        e.age = 59;
        e.vx = 0.25f;
        e.vy = 0.5f;
        e.move();
        EXPECT_EQ(e.vx, WANT_VX[i]) << STARTS[i];
        EXPECT_EQ(e.vy, 0);
    }
}

TEST(MinionPatterns, Kind13IsSilentInTheLowerHalf) {
    Life low = live(13, 160, 240, 32, 0, 0, 0);
    EXPECT_TRUE(low.volleys.empty());
    EXPECT_EQ(low.endAge, 301);
    Life high = live(13, 160, 239, 32, 0, 0, 0);
    EXPECT_FALSE(high.volleys.empty());
}

TEST(MinionPatterns, EachKindGlidesOutUnderItsOwnDamping) {
    // Factor and the age at which the damping stops; -1 marks the kinds whose velocity is set anew
    // at that age (kind 2 starts its dash, 3 and 4 sink, 11 turns) and is checked elsewhere.
    struct Damping {
        int kind;
        double f;
        int until;
        bool steadyAfter;
    };
    const Damping DAMPINGS[] = {
        {1, 0.9, 120, true},  {2, 0.98, 90, false}, {3, 0.935, 150, false}, {4, 0.935, 150, false},
        {5, 0.89, 20, true},  {6, 0.9, 60, true},   {7, 0.9, 60, true},     {8, 0.9, 120, true},
        {9, 0.9, 120, true},  {10, 0.9, 120, true}, {11, 0.935, 60, false}, {12, 0.9, 60, true},
        {13, 0.89, 60, true}, {14, 0.89, 60, true}, {15, 0.89, 32, true},
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
            vx = static_cast<float>(vx * d.f);
            vy = static_cast<float>(vy * d.f);
        }
        EXPECT_EQ(e.vx, vx);
        EXPECT_EQ(e.vy, vy);
        if (!d.steadyAfter) continue;
        e.move();
        // Kind 13 keeps slowing sideways only.
        EXPECT_EQ(e.vx, d.kind == 13 ? static_cast<float>(vx * 0.89) : vx);
        EXPECT_EQ(e.vy, vy);
    }
    // At the end of their damping kinds 3 and 4 sink at 4; kind 11 turns back and stops sinking.
    for (int kind : {3, 11}) {
        emptyField(0, 7);
        Enemy::create(kind, 150, 150, 32, 32, 315, 1);
        Enemy& e = enemyManager->getTokens()[0];
        e.age = kind == 3 ? 149 : 59;
        e.move();
        EXPECT_EQ(e.vx, kind == 3 ? 0.0f : 1.5f);
        EXPECT_EQ(e.vy, kind == 3 ? 4.0f : 0.0f);
    }
}

TEST(MinionPatterns, DampingIsDoubleTimesFloat) {
    // Ten frames of 0.9 damping from speed 10, each product rounded back to a float.
    emptyField(0, 7);
    Enemy::create(12, 160, 70, 32, 32, 0, 10);
    Enemy& e = enemyManager->getTokens()[0];
    float want = 10;
    for (int i = 0; i < 10; ++i) {
        e.move();
        want = static_cast<float>(want * 0.9);
    }
    EXPECT_EQ(e.vx, want);
}
