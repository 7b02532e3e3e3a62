// Test helpers for the fight: a new game at a level and seed, pool views, and whole-game pilots.
#pragma once

#include "flow/GameMain.h"
#include "objects/Enemy.h"
#include "objects/ItemBomb.h"
#include "objects/Particle.h"
#include "objects/Player.h"
#include "objects/Random.h"
#include "objects/ShotBullet.h"
#include "objects/World.h"
#include "support/TestSupport.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace fight {

constexpr int KEY_Z = 122, KEY_UP = 273, KEY_DOWN = 274, KEY_RIGHT = 275, KEY_LEFT = 276;

// Media once per program, the one scene once, then a new game at this level with this seed.
inline void newGame(int lvl, uint64_t seed = 1) {
    testsupport::initMedia();
    testsupport::releaseAllKeys();
    testsupport::snapshot();
    testsupport::snapshot();
    level = lvl;
    if (!gameMain)
        new GameMain();
    else
        gameMain->start();
    // The volley count and shot wait carry over from game to game; a replay starts them afresh.
    player->volley = 0;
    player->shotWait = 0;
    randSeed(seed);
}

// A game with nothing in the enemy pool: minions are tested alone, without the boss's waves.
inline void emptyField(int lvl, uint64_t seed = 1) {
    newGame(lvl, seed);
    enemyManager->clear();
}

inline Enemy& boss() {
    return enemyManager->getTokens()[0];
}

template <class T> std::vector<T*> alive(TokenManager<T>* pool) {
    std::vector<T*> out;
    for (T& t : *pool)
        if (t.exists) out.push_back(&t);
    return out;
}

// Direction of a velocity in degrees, 0 to 360, screen y down.
inline double headingOf(const Token& t) {
    double a = std::atan2(-static_cast<double>(t.vy), static_cast<double>(t.vx)) * 180.0 / M_PI;
    return a < 0 ? a + 360 : a;
}
inline double speedOf(const Token& t) {
    return std::hypot(t.vx, t.vy);
}
// Smallest difference between two angles in degrees.
inline double angleGap(double a, double b) {
    double d = std::fmod(std::fabs(a - b), 360.0);
    return d > 180 ? 360 - d : d;
}

// Whole games. RANDOM wanders and fires at random to whatever end; CHARMED does the same, but
// bullets and minions close to the ship vanish, so it always reaches the clear.
enum class Pilot { RANDOM, CHARMED };

struct Outcome {
    int state = -1, score = 0, time = 0, frames = 0;
    uint64_t rand = 0;
    int badCoordinates = 0, maxBullets = 0, maxEnemies = 0, maxParticles = 0;
    bool crazy = false;
};

// The pool's live objects; those with a coordinate that is not a number are counted in `o`.
template <class T> int inspect(TokenManager<T>* pool, Outcome& o) {
    int n = 0;
    for (T& t : *pool)
        if (t.exists) {
            ++n;
            o.badCoordinates += !std::isfinite(t.x) || !std::isfinite(t.y);
        }
    return n;
}

inline void clearAroundShip() {
    for (Bullet& b : *bulletManager)
        if (std::fabs(b.x - player->x) < 30 && std::fabs(b.y - player->y) < 30) b.exists = false;
    for (Enemy& e : *enemyManager)
        if (e.kind != 0 && std::fabs(e.x - player->x) < 40 && std::fabs(e.y - player->y) < 40)
            e.exists = false;
}

// Plays the game already started until its game over or its clear; allocates nothing itself.
inline Outcome drive(int lvl, uint64_t seed, Pilot pilot) {
    std::mt19937 hands(static_cast<uint32_t>(seed * 7919 + lvl));
    int dx = 0, dy = 0;
    bool fire = false;
    Outcome o;
    while (o.frames < 6000 && gameMain->state != GM_OVER && gameMain->state != GM_CLEAR_WAIT) {
        if (o.frames % 12 == 0) {
            dx = static_cast<int>(hands() % 3) - 1;
            // The charmed ship keeps to the lower field, away from the boss.
            dy = static_cast<int>(hands() % 3) - (pilot == Pilot::CHARMED ? 0 : 1);
        }
        if (o.frames % 4 == 0) fire = hands() % 5 < 3;
        testsupport::releaseAllKeys();
        testsupport::setKey(dx < 0 ? KEY_LEFT : KEY_RIGHT, dx != 0);
        testsupport::setKey(dy < 0 ? KEY_UP : KEY_DOWN, dy != 0);
        testsupport::setKey(KEY_Z, fire);
        testsupport::snapshot();
        if (pilot == Pilot::CHARMED) clearAroundShip();
        gameMain->run();
        ++o.frames;
        o.maxBullets = std::max(o.maxBullets, inspect(bulletManager, o));
        o.maxEnemies = std::max(o.maxEnemies, inspect(enemyManager, o));
        o.maxParticles = std::max(o.maxParticles, inspect(particleManager, o));
        inspect(shotManager, o);
        inspect(itemManager, o);
        inspect(bombManager, o);
        o.badCoordinates +=
            player->exists && !(std::isfinite(player->x) && std::isfinite(player->y));
        for (Particle& p : *particleManager)
            o.crazy |= p.exists && std::strcmp(p.text, "CRAZY MODE") == 0;
    }
    testsupport::releaseAllKeys();
    testsupport::snapshot();
    o.state = gameMain->state;
    o.score = gameMain->score;
    o.time = gameMain->time;
    o.rand = randState();
    return o;
}

inline Outcome play(int lvl, uint64_t seed, Pilot pilot) {
    newGame(lvl, seed);
    return drive(lvl, seed, pilot);
}

} // namespace fight
