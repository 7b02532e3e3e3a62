// The minion kinds alone on the field: when each fires, how many, where to, and when and how it ends.
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
            for (Bullet* b : alive(bulletManager)) fired.push_back(*b);
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
    for (int a = from; a <= to; a += step) v.push_back({a, bullets});
    return v;
}
std::vector<Volley> join(std::vector<Volley> a, const std::vector<Volley>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
std::vector<Volley> twice(std::vector<Volley> v) {
    for (Volley& x : v) x.bullets *= 2;
    return v;
}
int total(const std::vector<Volley>& v) {
    int n = 0;
    for (const Volley& x : v) n += x.bullets;
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
    while (70 + 4.0f * (sinkEnd - 149) <= 480 + 16) ++sinkEnd;
    std::vector<Volley> sideStreams;
    for (int a = 151; a < sinkEnd; ++a)
        if (a % 9 == 0) sideStreams.push_back({a, 2});
    std::vector<Volley> swing;
    for (int a = 120; a < 400; a += 2) swing.push_back({a, 1});
    return {
        {1, 160, 70, 32, 0, 0, every(90, 495, 45, 2), 511, true},
        {2, 160, 70, 12, 0, 0, {{91, 6}}, -1, false},
        {3, 160, 70, 32, 0, 0, sideStreams, sinkEnd, false},
        {4, 160, 70, 32, 0, 0, sideStreams, sinkEnd, false},
        {5, 160, 70, 32, 0, 0,
         {{80, 10}, {110, 8}, {140, 10}, {170, 8}, {200, 10}, {230, 8}}, 291, true},
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

TEST(MinionPatterns, AimedPairsSpeedUpEveryNinetyFrames) {
    Life l = live(1, 160, 70, 32, 0, 0, 0);
    ASSERT_EQ(l.shots.size(), 10u);
    for (size_t i = 0; i < l.shots.size(); ++i) {
        int age = l.volleys[i].age;
        double s = age / 90 + 1.5; // integer division of the age
        SCOPED_TRACE(age);
        // The player stands straight below the minion: aimed means 270 degrees.
        EXPECT_NEAR(headingOf(l.shots[i][0]), 270, 1e-3);
        EXPECT_NEAR(speedOf(l.shots[i][0]), s, 1e-4);
        EXPECT_NEAR(speedOf(l.shots[i][1]), 0.9 * s, 1e-4);
    }
}

TEST(MinionPatterns, TwinRuleFollowsEachBulletOnItsLine) {
    Life l = live(1, 160, 70, 32, 0, 0, 3);
    ASSERT_FALSE(l.shots.empty());
    const auto& v = l.shots[0]; // age 90, s = 2.5
    ASSERT_EQ(v.size(), 4u);
    EXPECT_NEAR(speedOf(v[0]), 2.5, 1e-4);
    EXPECT_NEAR(speedOf(v[1]), 2.0, 1e-4);
    EXPECT_NEAR(speedOf(v[2]), 2.25, 1e-4);
    EXPECT_NEAR(speedOf(v[3]), 1.8, 1e-4);
}

TEST(MinionPatterns, SpreadsFansAndRings) {
    // Kind 5: five directions then four, each a 3.0 and a 2.8 bullet, around the aim (270).
    Life five = live(5, 160, 70, 32, 0, 0, 0);
    ASSERT_EQ(five.shots.size(), 6u);
    const double FAN5[] = {-60, -30, 0, 30, 60}, FAN4[] = {-45, -15, 15, 45};
    for (int i = 0; i < 5; ++i) {
        EXPECT_NEAR(angleGap(headingOf(five.shots[0][2 * i]), 270 + FAN5[i]), 0, 1e-3);
        EXPECT_NEAR(speedOf(five.shots[0][2 * i]), 3.0, 1e-4);
        EXPECT_NEAR(speedOf(five.shots[0][2 * i + 1]), 2.8, 1e-4);
    }
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(angleGap(headingOf(five.shots[1][2 * i]), 270 + FAN4[i]), 0, 1e-3);

    // Kind 12: fixed ring bullet 10 i at 4.0, then the aimed one 270 + 10 i at 4.4.
    Life twelve = live(12, 160, 70, 32, 0, 0, 0);
    const auto& ring = twelve.shots.at(0);
    for (int i = 0; i < 36; ++i) {
        EXPECT_NEAR(angleGap(headingOf(ring[2 * i]), 10 * i), 0, 1e-3);
        EXPECT_NEAR(speedOf(ring[2 * i]), 4.0, 1e-4);
        EXPECT_NEAR(angleGap(headingOf(ring[2 * i + 1]), 270 + 10 * i), 0, 1e-3);
        EXPECT_NEAR(speedOf(ring[2 * i + 1]), 4.4, 1e-4);
    }

    // Kind 14: fast ring half a step ahead of the slow ring.
    Life fourteen = live(14, 160, 70, 32, 0, 0, 0);
    const auto& rings = fourteen.shots.at(0);
    EXPECT_NEAR(angleGap(headingOf(rings[0]), 272.5), 0, 1e-3);
    EXPECT_NEAR(speedOf(rings[0]), 9.0, 1e-4);
    EXPECT_NEAR(angleGap(headingOf(rings[1]), 270), 0, 1e-3);
    EXPECT_NEAR(speedOf(rings[1]), 2.0, 1e-4);
    EXPECT_NEAR(angleGap(headingOf(rings[143]), 270 + 355), 0, 1e-3);

    // Kind 13: aim + (-90, -45, 0, 45, 90), each at 3.0, 2.5, 2.0.
    Life thirteen = live(13, 160, 70, 32, 0, 0, 0);
    const auto& spread = thirteen.shots.at(0);
    EXPECT_NEAR(angleGap(headingOf(spread[0]), 180), 0, 1e-3);
    EXPECT_NEAR(speedOf(spread[2]), 2.0, 1e-4);
    EXPECT_NEAR(angleGap(headingOf(spread[14]), 360), 0, 1e-3);
}

TEST(MinionPatterns, StreamsTurnAndSwing) {
    // Kind 9 turns clockwise from 0 in steps of 12 degrees; kind 10 the other way.
    Life nine = live(9, 160, 70, 32, 0, 0, 0);
    Life ten = live(10, 160, 70, 32, 0, 0, 0);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_NEAR(angleGap(headingOf(nine.shots[i][0]), -12.0 * i), 0, 1e-3) << i;
        EXPECT_NEAR(angleGap(headingOf(ten.shots[i][0]), 12.0 * i), 0, 1e-3) << i;
    }
    // Speed age / 60 in whole steps: 2 at age 120, 6 from age 360; the partner at 0.95 of it.
    EXPECT_NEAR(speedOf(nine.shots[0][0]), 2.0, 1e-4);
    EXPECT_NEAR(speedOf(nine.shots[0][1]), 1.9, 1e-4);
    EXPECT_NEAR(speedOf(nine.shots.back()[0]), 6.0, 1e-4);
    // The first pair flies straight right, not up or down.
    EXPECT_NEAR(nine.shots[0][0].vy, 0, 1e-6);

    // Kind 8 swings 25 degrees about straight down with a 180-frame period.
    Life eight = live(8, 160, 70, 32, 0, 0, 0);
    for (size_t i = 0; i < eight.shots.size(); i += 11) {
        int age = eight.volleys[i].age;
        double want = 270 + 25 * std::sin(2 * (age - 120) * M_PI / 180);
        EXPECT_NEAR(angleGap(headingOf(eight.shots[i][0]), want), 0, 1e-3) << age;
        EXPECT_NEAR(speedOf(eight.shots[i][0]), 6.0, 1e-4);
    }

    // Kind 3 streams right and accelerates right; kind 4 the mirror image.
    Life three = live(3, 160, 70, 32, 0, 0, 0);
    Life four = live(4, 160, 70, 32, 0, 0, 0);
    const Bullet& r = three.shots.at(0).at(0);
    const Bullet& l = four.shots.at(0).at(0);
    EXPECT_NEAR(r.vx, 1.0, 1e-5);
    EXPECT_NEAR(r.ax, 0.05, 1e-6);
    EXPECT_NEAR(l.vx, -1.0, 1e-5);
    EXPECT_NEAR(l.ax, -0.05, 1e-6);
    EXPECT_NEAR(three.shots[0][1].vx, 0.8, 1e-5);

    // Kind 15: speeds (age mod 90 - 30) / 10, from 3.4 and then from 3.2.
    Life fifteen = live(15, 160, 70, 32, 0, 0, 0);
    EXPECT_NEAR(speedOf(fifteen.shots[0][0]), 3.4, 1e-4);
    EXPECT_NEAR(speedOf(fifteen.shots[6][0]), 5.8, 1e-4);
    EXPECT_NEAR(speedOf(fifteen.shots[7][0]), 3.2, 1e-4);

    // Kind 11: a column of four straight down at 4.0, 3.8, 1.0, 0.9.
    Life eleven = live(11, 160, 70, 32, 0, 0, 0);
    const float COLUMN[] = {4.0f, 3.8f, 1.0f, 0.9f};
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(speedOf(eleven.shots[0][i]), COLUMN[i], 1e-4);
        EXPECT_NEAR(angleGap(headingOf(eleven.shots[0][i]), 270), 0, 1e-3);
    }

    // Kind 6: a pair 30 degrees either side of the aim.
    Life six = live(6, 160, 70, 16, 0, 0, 0);
    EXPECT_NEAR(angleGap(headingOf(six.shots[0][0]), 240), 0, 1e-3);
    EXPECT_NEAR(angleGap(headingOf(six.shots[0][1]), 300), 0, 1e-3);
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
        for (int i = 0; i < fillers; ++i) Enemy::create(1, 10, 10, 32, 32, 0, 0);
        Enemy& e = enemyManager->getTokens()[0];
        int before = enemyManager->count();
        while (e.exists && e.age < 90) e.move();
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
