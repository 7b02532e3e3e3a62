// The benchmark worlds, built with the game's own create functions so every object is a real one.
#include "Scenes.h"

#include "flow/GameMain.h"
#include "flow/Scene.h"
#include "objects/Enemy.h"
#include "objects/ItemBomb.h"
#include "objects/Particle.h"
#include "objects/Random.h"
#include "objects/ShotBullet.h"
#include "objects/World.h"
#include "sim/SimGame.h"

namespace {

void freshGame(int lv, uint64_t seed) {
    RandomPlayer none; // only to satisfy runGame; the game is cut after its start frame
    SimOptions o;
    o.maxFrames = 1;
    runGame(lv, seed, none, o);
    gameMain->state = GM_PLAY;
}

// Bullets on a grid in the upper field, slow, so none leaves or reaches the ship in the frame.
void fillBullets(int count) {
    for (int i = 0; bulletManager->count() < count && i < 4 * BULLET_CAPACITY; ++i)
        fireBulletDirect(12.0f + static_cast<float>(i % 32) * 9.5f,
                         90.0f + static_cast<float>(i / 32 % 32) * 7,
                         static_cast<float>(i * 37 % 360), 0.5f, 0, 0);
}

void fillMinions() {
    for (int i = 0; enemyManager->count() < ENEMY_CAPACITY && i < 4 * ENEMY_CAPACITY; ++i)
        Enemy::create(1 + i % 15, 20.0f + static_cast<float>(i % 8) * 40,
                      130.0f + static_cast<float>(i / 8 % 8) * 24, 32, 32, 270, 0);
}

void fillRest() {
    for (int i = 0; shotManager->count() < SHOT_CAPACITY && i < 4 * SHOT_CAPACITY; ++i)
        Shot::create(20.0f + static_cast<float>(i % 16) * 19,
                     330.0f + static_cast<float>(i / 16) * 10, 90, 10);
    for (int i = 0; itemManager->count() < ITEM_CAPACITY && i < 4 * ITEM_CAPACITY; ++i)
        Item::create(i % 2 ? 20.0f + static_cast<float>(i % 16) * 5
                           : 230.0f + static_cast<float>(i % 16) * 5,
                     420.0f + static_cast<float>(i / 16) * 10, 90, 1, 0, 0);
    for (int i = 0; bombManager->count() < BOMB_CAPACITY && i < 4 * BOMB_CAPACITY; ++i)
        Bomb::create(10.0f + static_cast<float>(i % 32) * 9.7f,
                     345.0f + static_cast<float>(i / 32) * 20, 90, 10, 0, 0);
    static const int KINDS[5] = {PK_EXPLOSION, PK_DEBRIS, PK_FLASH, PK_TEXT, PK_BULLET_CANCEL};
    for (int i = 0; particleManager->count() < PARTICLE_CAPACITY && i < 4 * PARTICLE_CAPACITY; ++i)
        Particle::create(KINDS[i % 5], 10.0f + static_cast<float>(i % 30) * 10,
                         40.0f + static_cast<float>(i / 30) * 40, 8, 8,
                         static_cast<float>(i * 53 % 360), 1, "12000 x 19");
}

std::string notFull() {
    if (bulletManager->count() < BULLET_CAPACITY || shotManager->count() < SHOT_CAPACITY ||
        enemyManager->count() < ENEMY_CAPACITY || itemManager->count() < ITEM_CAPACITY ||
        bombManager->count() < BOMB_CAPACITY || particleManager->count() < PARTICLE_CAPACITY)
        return "pools not full: " + poolCounts();
    return "";
}

} // namespace

std::string poolCounts() {
    return "b" + std::to_string(bulletManager->count()) + " s" +
           std::to_string(shotManager->count()) + " e" + std::to_string(enemyManager->count()) +
           " i" + std::to_string(itemManager->count()) + " o" +
           std::to_string(bombManager->count()) + " p" + std::to_string(particleManager->count());
}

std::string buildTypicalFrame(int lv, int frame) {
    DodgeBot bot;
    SimOptions o;
    o.maxFrames = frame;
    runGame(lv, 1, bot, o);
    // A frame of play, not a freeze: step on to the next one.
    for (int extra = 0; gameMain->state != GM_PLAY && extra < 200; ++extra)
        frameStep(0);
    return gameMain->state == GM_PLAY ? "" : "no frame of play near frame " + std::to_string(frame);
}

std::string buildFullPools(int lv) {
    freshGame(lv, 1);
    fillBullets(BULLET_CAPACITY);
    fillMinions();
    fillRest();
    return notFull();
}

std::string buildKind14Rings(int lv, int enemies, int bulletsBefore) {
    freshGame(lv, 1);
    fillBullets(bulletsBefore);
    for (int i = 0; i < enemies; ++i) {
        Enemy::create(14, 120.0f + 80.0f * static_cast<float>(i), 150, 32, 32, 270, 0);
    }
    int ready = 0;
    for (Enemy& e : *enemyManager)
        if (e.exists && e.kind == 14) {
            e.age = 119; // its next frame is the one that fires both rings
            ++ready;
        }
    return ready == enemies ? "" : "kind 14 not created";
}

std::string buildBossDeath(int lv) {
    std::string bad = buildFullPools(lv);
    if (!bad.empty()) return bad;
    Enemy* boss = nullptr;
    for (Enemy& e : *enemyManager)
        if (e.exists && e.kind == 0) boss = &e;
    if (!boss) return "no boss";
    boss->hp = 1;
    // The first shot, moved 10 up in this frame, lands inside the boss.
    Shot& s = shotManager->getTokens()[0];
    s.x = boss->x;
    s.y = boss->y + 10;
    return "";
}
