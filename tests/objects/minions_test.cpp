// The minion kinds alone on the field: when each fires, how many, where to, and how it ends.
#include "support/FightSupport.h"

#include <array>
#include <gtest/gtest.h>

using namespace fight;

namespace {

using Volley = std::pair<int, int>; // age, bullets

// What a lone minion did over its life, with each volley's bullets in pool order.
struct Life {
    std::vector<Volley> volleys;
    std::vector<std::vector<Bullet>> shots;
    int startAge = 0, firstVolleyFrame = 0, total = 0, endAge = 0, items = 0;
    bool leftScreen = false;
};

// One still minion at (160, y) on an empty field, moved alone until it is gone; the bullets are
// cleared every frame so that each frame's count is that frame's firing.
Life live(int kind, int lvl, float y = 70) {
    emptyField(lvl, 7);
    Enemy::create(kind, 160, y, 32, 32, 0, 0);
    Enemy& e = enemyManager->getTokens()[0];
    Life life;
    life.startAge = e.age;
    for (int f = 1; f <= 1200 && e.exists; ++f) {
        bulletManager->clear();
        itemManager->clear();
        e.move();
        if (bulletManager->count() == 0) continue;
        life.volleys.push_back({e.age, bulletManager->count()});
        life.total += bulletManager->count();
        life.firstVolleyFrame = life.firstVolleyFrame ? life.firstVolleyFrame : f;
        life.shots.emplace_back();
        for (Bullet* b : alive(bulletManager))
            life.shots.back().push_back(*b);
    }
    life.endAge = e.age;
    life.items = itemManager->count();
    life.leftScreen = e.isOutside();
    return life;
}

using Run = std::array<int, 4>; // volleys of `bullets` at the ages from, from + step, ... to

std::vector<Volley> volleysOf(const std::vector<Run>& runs, int twins) {
    std::vector<Volley> v;
    for (auto [from, to, step, bullets] : runs)
        for (int age = from; age <= to; age += step)
            v.push_back({age, bullets * twins});
    std::sort(v.begin(), v.end());
    return v;
}

struct Script {
    int kind;
    std::vector<Run> runs; // at a level without the twin rule
    int total;             // bullets over its life
    int endAge;            // -1: it flies off the screen instead
    bool dropsItem;
    double damping; // the factor, until the age below
    int dampedUntil;
};

// Kinds 3 and 4 sink 4 pixels a frame from y 70 after age 149: their box clears 480 + 16 at 256.
const Script SCRIPTS[] = {
    {1, {{90, 495, 45, 2}}, 20, 511, true, 0.9, 120},
    {2, {{91, 91, 1, 6}}, 6, -1, false, 0.98, 90},
    {3, {{153, 252, 9, 2}}, 24, 256, false, 0.935, 150},
    {4, {{153, 252, 9, 2}}, 24, 256, false, 0.935, 150},
    {5, {{80, 200, 60, 10}, {110, 230, 60, 8}}, 54, 291, true, 0.89, 20},
    {6, {{100, 150, 50, 2}}, 4, -1, false, 0.9, 60},
    {7, {}, 0, 91, true, 0.9, 60},
    {8, {{120, 398, 2, 1}}, 140, 461, true, 0.9, 120},
    {9, {{120, 396, 4, 2}}, 140, 460, true, 0.9, 120},
    {10, {{120, 396, 4, 2}}, 140, 460, true, 0.9, 120},
    {11, {{75, 275, 25, 4}}, 36, 290, true, 0.935, 60},
    {12, {{90, 90, 1, 72}}, 72, 195, true, 0.9, 60},
    {13, {{15, 300, 15, 15}}, 300, 301, true, 0.89, 60},
    {14, {{120, 120, 1, 144}}, 144, 181, false, 0.89, 60},
    {15, {{64, 88, 4, 1}, {152, 176, 4, 1}}, 14, 301, true, 0.89, 32},
};

} // namespace

TEST(MinionLife, EachKindFiresItsCountAtItsAgesAndEndsOnTime) {
    for (const Script& s : SCRIPTS) {
        for (int lvl : {0, 3}) { // level 3 doubles every pattern bullet and shifts no age
            SCOPED_TRACE(testing::Message() << "kind " << s.kind << " level " << lvl);
            int twins = lvl == 3 ? 2 : 1;
            Life life = live(s.kind, lvl);
            EXPECT_EQ(life.total, s.total * twins);
            EXPECT_EQ(life.volleys, volleysOf(s.runs, twins));
            EXPECT_TRUE(s.endAge < 0 ? life.leftScreen : life.endAge == s.endAge) << life.endAge;
            EXPECT_EQ(life.items, s.dropsItem ? 1 : 0);
            EXPECT_EQ(enemyManager->count(), s.kind == 7 ? 16 : 0) << "kind 7 bursts into kind 6";
            // Kinds 2 and 14 start at a random age below 30, the first draw, and their whole
            // script comes that many frames sooner.
            randSeed(7);
            int start = s.kind == 2 || s.kind == 14 ? static_cast<int>(randNext() % 30) : 0;
            EXPECT_EQ(life.startAge, start);
            EXPECT_EQ(life.firstVolleyFrame, s.total ? life.volleys[0].first - start : 0);
        }
    }
}

TEST(MinionLife, EachKindGlidesOutUnderItsOwnDamping) {
    for (const Script& s : SCRIPTS) {
        emptyField(0, 7);
        Enemy::create(s.kind, 100, 150, 32, 32, 315, 1);
        Enemy& e = enemyManager->getTokens()[0];
        e.age = 0;
        float vx = e.vx, vy = e.vy;
        while (e.age < s.dampedUntil - 1) {
            e.move();
            vx = static_cast<float>(vx * s.damping); // the factor in double, the product a float
            vy = static_cast<float>(vy * s.damping);
        }
        EXPECT_TRUE(e.vx == vx && e.vy == vy) << "kind " << s.kind;
        if (s.kind == 2 || s.kind == 3 || s.kind == 4) continue; // a dash or a sink comes next
        e.move(); // kind 11 turns towards the middle; kind 13 keeps slowing sideways only
        vx = s.kind == 11 ? 1.5f : s.kind == 13 ? static_cast<float>(vx * 0.89) : vx;
        EXPECT_TRUE(e.vx == vx && e.vy == (s.kind == 11 ? 0 : vy)) << "kind " << s.kind;
    }
    // Kind 11 turns the other way from the right, and not at all from exactly 160.
    for (float x : {220.0f, 160.0f}) {
        emptyField(0, 7);
        Enemy::create(11, x, 70, 32, 32, 0, 0);
        Enemy& e = enemyManager->getTokens()[0];
        e.age = 59;
        e.vx = 0.25f;
        e.move();
        EXPECT_EQ(e.vx, x == 160 ? 0.25f : -1.5f);
    }
}

TEST(MinionPatterns, BulletsLeaveAtTheirAnglesAndSpeedsInOrder) {
    // Kind, level, volley, bullet, heading, speed; aimed is 270, the player straight below. Each
    // row catches its own slip: age / 90 and age / 60 in integers, the twin right after its
    // bullet, fan order, sin in degrees, the sign kept, the fixed ring first, the fast ring ahead.
    struct Probe {
        int kind, lvl, volley, bullet;
        double heading, speed;
    } probes[] = {{1, 0, 1, 1, 270, 2.25}, {1, 3, 0, 1, 270, 2.0},    {5, 0, 0, 1, 210, 2.8},
                  {5, 0, 1, 6, 315, 3.0},  {6, 0, 0, 1, 300, 3.0},    {8, 0, 22, 0, 294.98477, 6},
                  {9, 0, 1, 0, -12, 2.0},  {9, 0, 69, 1, -108, 5.7},  {10, 0, 1, 0, 12, 2.0},
                  {11, 0, 0, 3, 270, 0.9}, {12, 0, 0, 70, 350, 4.0},  {12, 0, 0, 71, 260, 4.4},
                  {13, 0, 0, 14, 0, 2.0},  {14, 0, 0, 0, 272.5, 9.0}, {14, 0, 0, 143, 265, 2.0},
                  {15, 0, 7, 0, 270, 3.2}, {4, 0, 0, 1, 180, 0.8}};
    for (const Probe& p : probes) {
        Life l = live(p.kind, p.lvl);
        ASSERT_TRUE(p.volley < int(l.shots.size()) && p.bullet < int(l.shots[p.volley].size()));
        const Bullet& b = l.shots[p.volley][p.bullet];
        EXPECT_TRUE(angleGap(headingOf(b), p.heading) < 1e-3 &&
                    std::fabs(speedOf(b) - p.speed) < 1e-4)
            << "kind " << p.kind << " level " << p.lvl << " volley " << p.volley << " bullet "
            << p.bullet << ": " << headingOf(b) << " at " << speedOf(b);
    }
    // Kind 2's spread turns on the draw after its start age: b, b + 60, b - 60 at 2.0 then 2.2.
    randSeed(7);
    randNext();
    double spread = 270 + static_cast<double>(randNext() % 10) - 5;
    const double OFFSETS[] = {0, 0, 60, 60, -60, -60};
    std::vector<Bullet> two = live(2, 0).shots.at(0);
    for (int i = 0; i < 6; ++i)
        EXPECT_TRUE(angleGap(headingOf(two[i]), spread + OFFSETS[i]) < 1e-3 &&
                    std::fabs(speedOf(two[i]) - (i % 2 ? 2.2 : 2.0)) < 1e-4)
            << i;
    // The side streams speed up towards the other side; kind 13 fires only in the upper half.
    EXPECT_NEAR(live(3, 0).shots[0][0].ax, 0.05, 1e-6);
    EXPECT_NEAR(live(4, 0).shots[0][1].ax, -0.05, 1e-6);
    EXPECT_TRUE(live(13, 0, 240).volleys.empty());
    EXPECT_FALSE(live(13, 0, 239).volleys.empty());
}

TEST(MinionPatterns, Kind7MakesAsManyAsFitAndStillEndsAt91) {
    emptyField(0, 7);
    Enemy::create(7, 160, 70, 16, 16, 270, 15);
    for (int i = 0; i < 53; ++i)
        Enemy::create(1, 10, 10, 32, 32, 0, 0);
    Enemy& e = enemyManager->getTokens()[0];
    while (e.exists)
        e.move();
    EXPECT_EQ(e.age, 91);
    EXPECT_EQ(enemyManager->count(), 63) << "the 53 and ten kind 6";
    const int ANGLES[] = {0, 22, 45, 67}; // i * 360 / 16 in integers, at speed 8
    for (int i = 0; i < 4; ++i) {
        const Enemy& six = enemyManager->getTokens()[54 + i];
        EXPECT_TRUE(six.kind == 6 && six.width == 16 &&
                    angleGap(headingOf(six), ANGLES[i]) < 1e-3 &&
                    std::fabs(speedOf(six) - 8) < 1e-4)
            << i;
    }
}
