// Storage of the game-wide variables; GameMain's constructor fills the pools and the player.
#include "objects/World.h"

int level = 0;
Player* player = nullptr;
TokenManager<Bullet>* bulletManager = nullptr;
TokenManager<Shot>* shotManager = nullptr;
TokenManager<Enemy>* enemyManager = nullptr;
TokenManager<Item>* itemManager = nullptr;
TokenManager<Bomb>* bombManager = nullptr;
TokenManager<Particle>* particleManager = nullptr;
GameMain* gameMain = nullptr;
