// The minion kinds alone on the field: when each fires, how many, where to, and how it ends.
#include "support/FightSupport.h"

#include <array>
#include <gtest/gtest.h>
#include <tuple>

using namespace fight;

namespace {

using Volley = std::pair<int, int>; // age, bullets

// What a lone minion did over its life, with each volley's bullets in pool order.
struct Life {
    std::vector<Volley> volleys;
    std::vector<std::vector<Bullet>> shots;
    int total = 0, endAge = 0, items = 0;
    bool leftScreen = false;
};

// A still minion at (160, y) moved alone until it ends, the bullets cleared before every frame.
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
    life.leftScreen = e.isOutside();
    life.items = itemManager->count();
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
    int total, endAge;     // bullets over its life; its last age, -1 when it flies off instead
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
        }
    }
}

TEST(MinionLife, EachKindGlidesOutUnderItsOwnDamping) {
    for (const Script& s : SCRIPTS) {
        emptyField(0, 7);
        Enemy::create(s.kind, 100, 150, 32, 32, 0, 1);
        Enemy& e = enemyManager->getTokens()[0];
        float vx = e.vx;
        for (e.age = 0; e.age < s.dampedUntil - 1; e.move())
            vx = static_cast<float>(vx * s.damping); // the factor in double, the product a float
        EXPECT_EQ(e.vx, vx) << "kind " << s.kind;
        e.move(); // then it keeps its speed, but 13 slows sideways and 11 turns to the middle
        if (s.kind == 2 || s.kind == 3 || s.kind == 4) continue; // a dash or a sink begins
        float steady = s.kind == 13 ? static_cast<float>(vx * 0.89) : vx;
        EXPECT_EQ(e.vx, s.kind == 11 ? 1.5f : steady) << "kind " << s.kind;
    }
}

TEST(MinionPatterns, BulletsLeaveAtTheirAnglesAndSpeedsInOrder) {
    // Kind, level, volley, bullet, heading (aimed is 270), speed. Each catches a slip: age / 90 and
    // age / 60 in integers, twin order, fan order, sin in degrees, the sign kept, ring order.
    const std::tuple<int, int, int, int, double, double> PROBES[] = {
        {1, 0, 1, 1, 270, 2.25},     {1, 3, 0, 1, 270, 2.0},    {5, 0, 1, 1, 225, 2.8},
        {8, 0, 22, 0, 294.98477, 6}, {9, 0, 69, 1, -108, 5.7},  {10, 0, 1, 0, 12, 2.0},
        {12, 0, 0, 71, 260, 4.4},    {14, 0, 0, 0, 272.5, 9.0}, {15, 0, 7, 0, 270, 3.2}};
    for (const auto& [kind, lvl, volley, bullet, heading, speed] : PROBES) {
        Life l = live(kind, lvl);
        ASSERT_TRUE(volley < int(l.shots.size()) && bullet < int(l.shots[volley].size())) << kind;
        const Bullet& b = l.shots[volley][bullet];
        EXPECT_TRUE(angleGap(headingOf(b), heading) < 1e-3 && std::fabs(speedOf(b) - speed) < 1e-4)
            << "kind " << kind << " level " << lvl << " volley " << volley << " bullet " << bullet;
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
    EXPECT_TRUE(live(13, 0, 240).volleys.empty() && !live(13, 0, 239).volleys.empty())
        << "kind 13 fires only in the upper half";
}
