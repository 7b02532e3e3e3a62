// The game-wide variables every object reaches directly: level, player, the six pools, scene.
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

extern int level; // 0 to 50, chosen on the title, kept from game to game
extern Player* player;
extern TokenManager<Bullet>* bulletManager;     // 1024
extern TokenManager<Shot>* shotManager;         // 64
extern TokenManager<Enemy>* enemyManager;       // 64
extern TokenManager<Item>* itemManager;         // 64
extern TokenManager<Bomb>* bombManager;         // 64
extern TokenManager<Particle>* particleManager; // 256
extern GameMain* gameMain; // created with the first game, reused by every later one

constexpr int BULLET_CAPACITY = 1024;
constexpr int SHOT_CAPACITY = 64;
constexpr int ENEMY_CAPACITY = 64;
constexpr int ITEM_CAPACITY = 64;
constexpr int BOMB_CAPACITY = 64;
constexpr int PARTICLE_CAPACITY = 256;
