// The game-wide variables every object reaches directly: level, player, the six pools, gameMain.
#pragma once

#include "objects/TokenManager.h"

class Player;
class Bullet;
class Shot;
class Enemy;
class Item;
class Bomb;
class Particle;
class GameMain;

extern int level; // chosen on the title, LEVEL_MIN to LEVEL_MAX, kept from game to game
extern Player* player;
extern TokenManager<Bullet>* bulletManager;
extern TokenManager<Shot>* shotManager;
extern TokenManager<Enemy>* enemyManager;
extern TokenManager<Item>* itemManager;
extern TokenManager<Bomb>* bombManager;
extern TokenManager<Particle>* particleManager;
extern GameMain* gameMain; // created with the first game, reused by every later one

constexpr int BULLET_CAPACITY = 1024;
constexpr int SHOT_CAPACITY = 64;
constexpr int ENEMY_CAPACITY = 64;
constexpr int ITEM_CAPACITY = 64;
constexpr int BOMB_CAPACITY = 64;
constexpr int PARTICLE_CAPACITY = 256;

// Calls visit(pool, capacity, name) on each of the six pools, always in this order. pool is the
// game-wide variable itself, so a visit may build or free it; name is what one of its objects is
// called in a message.
template <class Visit> void forEachPool(Visit&& visit) {
    visit(bulletManager, BULLET_CAPACITY, "bullet");
    visit(shotManager, SHOT_CAPACITY, "shot");
    visit(enemyManager, ENEMY_CAPACITY, "enemy");
    visit(itemManager, ITEM_CAPACITY, "item");
    visit(bombManager, BOMB_CAPACITY, "bomb");
    visit(particleManager, PARTICLE_CAPACITY, "particle");
}
