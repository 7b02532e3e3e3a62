// Enemy: the per-kind tables, creation, damage with return fire, destruction and drawing.
#include "objects/Enemy.h"

#include "flow/GameMain.h"
#include "flow/Resources.h"
#include "objects/Angle.h"
#include "objects/ItemBomb.h"
#include "objects/Particle.h"
#include "objects/Player.h"
#include "objects/Random.h"
#include "objects/ShotBullet.h"
#include "objects/World.h"
#include "plix/Plix.h"

#include <cstdio>

// clang-format off
// kind                                       0    1   2    3    4    5   6    7    8    9   10   11   12   13   14   15
const int ENEMY_HIT_POINTS[ENEMY_KINDS] = {1600,  60,  3,  60,  60,  60, 30,  60,  60,  60,  60,  60,  60,  60,  50,  60};
const int ENEMY_SCORES[ENEMY_KINDS] =     {2000, 100, 10, 500, 500, 100, 10, 100, 100, 100, 100, 500, 100, 200, 100, 100};

namespace {
const bool DROPS_ITEM[ENEMY_KINDS] =      {false, true, false, true, true, true, false, true,
                                           true,  true, true,  true, true, true, false, true};
// clang-format on

constexpr int BOSS = 0;
constexpr int BOSS_HP_PER_LEVEL = 200;
constexpr int RING_BULLETS = 18;
constexpr float RING_STEP_DEG = 20;

// The boss's burst when a bomb hits it, by level band: bullets, speed = base + (r % spread) / 100.
struct BossBurst {
    int minLevel;
    int bullets;
    float base;
    unsigned spread;
};
const BossBurst BOSS_BURSTS[] = {
    {20, 5, 1, 500},
    {15, 3, 1, 500},
    {10, 3, 3, 300},
    {5, 3, 5, 100},
};

// A fresh draw reduced modulo n, as a float ready for position and angle offsets.
float randomBelow(unsigned n) {
    return static_cast<float>(randNext() % n);
}
// base + (r % spread) / 100: a speed in hundredths.
float drawSpeed(float base, unsigned spread) {
    return static_cast<float>(base + (randNext() % spread) / 100.0);
}
} // namespace

float Enemy::angleToPlayer() const {
    return angleOf(player->x - x, player->y - y);
}

void Enemy::create(int kind, float x, float y, float w, float h, float angle, float speed) {
    Enemy* e = enemyManager->getFreeToken();
    if (e) e->init(kind, x, y, w, h, angle, speed);
}

void Enemy::init(int kind_, float x_, float y_, float w, float h, float angle, float speed) {
    kind = kind_;
    hp = maxHp = ENEMY_HIT_POINTS[kind];
    Vec2D v = velocity(angle, speed);
    set(x_, y_, w, h, w, h, v.x, v.y, 0, 0);
    age = 0;
    if (level % 2 == 0 && level > 20) age = 10;
    if (kind == BOSS) {
        maxHp = ENEMY_HIT_POINTS[BOSS] + BOSS_HP_PER_LEVEL * level;
        hp = maxHp;
        age = 0;
    } else if (kind == 2 || kind == 14) {
        age = static_cast<int>(randNext() % 30);
    }
}

void Enemy::damage(int amount) {
    hp -= amount;
    if (hp < 1) {
        hp = 0;
        destroy();
        int r = gameMain->ratio();
        int points = ENEMY_SCORES[kind];
        char text[Particle::TEXT_CAPACITY];
        if (r < 2) {
            std::snprintf(text, sizeof text, "%d", points);
            spawnText(x, y + height, text);
            gameMain->addScore(points);
        } else {
            std::snprintf(text, sizeof text, "%d x %d", points, r);
            spawnText(x, y + height, text);
            gameMain->addScore(points * r);
        }
        // The ring comes after destroy, so the boss's ring outlives its clearing of the bullets.
        if (level > 14 && kind != 2) {
            float speed = level % 5 == 2 ? 2 : 6;
            for (int i = 0; i < RING_BULLETS; ++i)
                fireBulletDirect(x, y, RING_STEP_DEG * i, speed, 0, 0);
        }
        return;
    }

    if (kind == BOSS) {
        if (level <= 4) return;
        // Anything above a contact with the ship is a bomb.
        if (amount > GameMain::CONTACT_DAMAGE) {
            for (const BossBurst& burst : BOSS_BURSTS) {
                if (level < burst.minLevel) continue;
                for (int i = 0; i < burst.bullets; ++i) {
                    // Separate statements keep the draws in their order: x, y, angle, speed.
                    float bx = x + randomBelow(32) - 16;
                    float by = y + randomBelow(32) - 16;
                    float angle = static_cast<float>(angleToPlayer() + randomBelow(15) - 7.5);
                    float speed = drawSpeed(burst.base, burst.spread);
                    fireBulletDirect(bx, by, angle, speed, 0, 0);
                }
                break;
            }
        } else if (level > 24) {
            float bx = x + randomBelow(24) - 12;
            float by = y + randomBelow(24) - 12;
            float angle = angleToPlayer() + randomBelow(20) - 10;
            float speed = drawSpeed(1, 100);
            fireBulletDirect(bx, by, angle, speed, 0, 0);
        }
    } else if (level > 9) {
        if (randNext() % 2 == 0) {
            float bx = x + randomBelow(24) - 12;
            float by = y + randomBelow(24) - 12;
            float speed = drawSpeed(1, 50);
            fireBulletDirect(bx, by, angleToPlayer(), speed, 0, 0);
        }
    }
}

void Enemy::destroy() {
    exists = false;
    spawnExplosion(x, y, width / 4);
    if (kind == BOSS) {
        Plix_playWAV(SOUND_DAMAGE, 0);
        gameMain->state = GM_CLEAR;
        gameMain->timer = GameMain::CLEAR_FRAMES;
        bulletManager->clear();
        itemManager->clear();
        // The rest go without points, items or bullets.
        for (Enemy& e : *enemyManager) {
            if (!e.exists) continue;
            e.exists = false;
            spawnExplosion(e.x, e.y, e.width / 4);
        }
    } else if (DROPS_ITEM[kind]) {
        // Speed -2 at 270 degrees: the item pops up before it falls.
        Item::create(x, y, 270, -2, 0, 0);
    }
    // Removed with hit points left: a time-out or the boss's own end.
    if (level > 19 && hp > 0) {
        for (int i = 0; i < RING_BULLETS; ++i) {
            float angle = angleToPlayer() + randomBelow(10) - 5;
            float speed = drawSpeed(3, 50);
            fireBulletDirect(x, y, angle, speed, 0, 0);
        }
    }
}

void Enemy::move() {
    // Every behaviour works with the new age, so a kind's first frame is its age 1.
    ++age;
    Behaviour behave = BEHAVIOURS[kind];
    (this->*behave)();
    step();
    // Leaving the screen is silent: no points, no explosion, no item.
    if (isOutside()) exists = false;
}

void Enemy::draw() {
    drawBox(0, 255, 0);
    if (kind != BOSS) return;
    // Integer arithmetic: the bar shrinks and turns from green to red in whole steps.
    Plix_fillRect(BAR_LEFT, 10, hp * BAR_WIDTH / maxHp, 10, (maxHp - hp) * 255 / maxHp,
                  hp * 255 / maxHp, 128);
}
