// The boss: its wave schedule and gate, the kind 2 trios, "CRAZY MODE" and the end it comes to.
#include "objects/Enemy.h"

#include "objects/Particle.h"
#include "objects/Player.h"
#include "objects/Random.h"
#include "objects/World.h"

namespace {

// One enemy of a wave. Kind 0 marks an unused place; RANDOM_DOWN is 180 + (r mod 180), one draw
// each.
struct Launch {
    int kind;
    float size;
    float angle;
    float speed;
};
constexpr float RANDOM_DOWN = -1;
constexpr Launch NONE = {0, 0, 0, 0};

// A row of the schedule. A row split by the player's side sends its first pair while the player is
// left of the field's centre and its second pair otherwise; other rows send every launch in order.
struct Wave {
    int t;
    bool gated;
    bool bySide;
    Launch launches[4];
};

const Wave SCHEDULE[] = {
    {60, false, false, {{5, 32, 270, 5}, NONE, NONE, NONE}},
    {240, true, false, {{15, 32, 330, 10}, {15, 32, 210, 10}, NONE, NONE}},
    {420, true, true, {{1, 32, 360, 12}, {1, 32, 315, 10}, {1, 32, 180, 12}, {1, 32, 225, 10}}},
    {600, true, false, {{12, 32, RANDOM_DOWN, 10}, NONE, NONE, NONE}},
    {780, true, false, {{11, 32, 180, 10}, {11, 32, 0, 10}, NONE, NONE}},
    {1140, true, false, {{7, 16, 270, 15}, NONE, NONE, NONE}},
    {1320, true, false, {{8, 32, 195, 15}, {8, 32, 345, 15}, NONE, NONE}},
    {1500, true, false, {{9, 32, 180, 10}, {10, 32, 360, 10}, NONE, NONE}},
    {1680, true, false, {{13, 32, 180, 10}, {13, 32, 360, 10}, NONE, NONE}},
    {1860, true, true, {{3, 32, 180, 10}, NONE, {4, 32, 0, 10}, NONE}},
    {2220, true, false, {{15, 32, 300, 10}, {15, 32, 240, 10}, NONE, NONE}},
};

// Every 180 frames of schedule time, at 60 past, whatever the gate.
constexpr int TRIO_PERIOD = 180;
constexpr int TRIO_PHASE = 60;
constexpr Launch TRIO_MEMBER = {2, 12, RANDOM_DOWN, 2};

// Fixed events of the boss's own age.
struct Event {
    int age;
    Launch launches[3];
};
const Event EVENTS[] = {
    {2500, {{14, 32, 360, 10}, {14, 32, 180, 10}, NONE}},
    {2800, {{14, 32, 300, 20}, {14, 32, 240, 20}, {5, 32, 270, 3}}},
};

// The opening wave at age 10: above level 19 two kind 14, above level 9 one kind 12.
constexpr int OPENING_AGE = 10;
constexpr Launch OPENING_HIGH[2] = {{14, 32, 330, 10}, {14, 32, 210, 10}};
constexpr Launch OPENING_MID = {12, 32, 270, 10};

constexpr int CRAZY_AGE = 2400;
constexpr int LAST_AGE = 3600;
// Centre of "CRAZY MODE" on the field.
constexpr float CRAZY_X = SCREEN_CENTRE_X;
constexpr float CRAZY_Y = SCREEN_CENTRE_Y;

void launch(const Launch& l, float x, float y) {
    if (l.kind == 0) return;
    float angle = l.angle;
    if (angle == RANDOM_DOWN) angle = static_cast<float>(180 + randNext() % 180);
    Enemy::create(l.kind, x, y, l.size, l.size, angle, l.speed);
}

} // namespace

void Enemy::behaveBoss() {
    // The count is taken before this frame's waves exist: the gate sees only older enemies.
    bool gateOpen = age > CRAZY_AGE || enemyManager->count() < 2 || level % 5 == 4;
    int t = age <= CRAZY_AGE ? age : (age - CRAZY_AGE) * 2;

    if (age == OPENING_AGE && level > 9) {
        if (level > 19) {
            for (const Launch& l : OPENING_HIGH)
                launch(l, x, y);
        } else {
            launch(OPENING_MID, x, y);
        }
    }

    for (const Wave& w : SCHEDULE) {
        if (w.t != t || (w.gated && !gateOpen)) continue;
        int from = 0, to = 4;
        if (w.bySide) {
            bool left = player->x < SCREEN_CENTRE_X;
            from = left ? 0 : 2;
            to = from + 2;
        }
        for (int i = from; i < to; ++i)
            launch(w.launches[i], x, y);
    }

    if (t % TRIO_PERIOD == TRIO_PHASE)
        for (int i = 0; i < 3; ++i)
            launch(TRIO_MEMBER, x, y);

    if (age == CRAZY_AGE) spawnText(CRAZY_X, CRAZY_Y, "CRAZY MODE");

    for (const Event& e : EVENTS)
        if (e.age == age)
            for (const Launch& l : e.launches)
                launch(l, x, y);

    if (age == LAST_AGE) destroy();
}
