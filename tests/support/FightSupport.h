// Test helpers for the fight: a new game at a level and seed, the boss, pool views and headings.
#pragma once

#include "flow/GameMain.h"
#include "objects/Enemy.h"
#include "objects/ItemBomb.h"
#include "objects/Particle.h"
#include "objects/Player.h"
#include "objects/Random.h"
#include "objects/ShotBullet.h"
#include "objects/World.h"
#include "plix/PlixKeys.h"
#include "sim/SimGame.h"
#include "support/TestSupport.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace fight {

// Media once per program, then a new game at this level with this seed, as the simulator starts
// one: the same game whatever the tests before it played.
inline void newGame(int lvl, uint64_t seed = 1) {
    simInitMedia();
    simFreshStart(lvl, seed);
    startGame();
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
inline double angleGap(double a, double b) { // the smaller way round, in degrees
    double d = std::fmod(std::fabs(a - b), 360.0);
    return d > 180 ? 360 - d : d;
}

// Bullets and minions close to the ship vanish: a ship that survives anything.
inline void clearAroundShip() {
    for (Bullet& b : *bulletManager)
        if (std::fabs(b.x - player->x) < 30 && std::fabs(b.y - player->y) < 30) b.exists = false;
    for (Enemy& e : *enemyManager)
        if (e.kind != 0 && std::fabs(e.x - player->x) < 40 && std::fabs(e.y - player->y) < 40)
            e.exists = false;
}

} // namespace fight
