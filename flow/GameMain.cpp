// GameMain: a game from start to game over or clear: states, collisions, score, ratio and the HUD.
#include "flow/GameMain.h"

#include "flow/Input.h"
#include "flow/Resources.h"
#include "flow/Scene.h"
#include "objects/Enemy.h"
#include "objects/ItemBomb.h"
#include "objects/Particle.h"
#include "objects/Player.h"
#include "objects/Random.h"
#include "objects/ShotBullet.h"
#include "objects/World.h"
#include "plix/Plix.h"

#include <cstdio>
#include <type_traits>

namespace {
constexpr int MISS_FRAMES = 60;
constexpr int ITEM_PAUSE_FRAMES = 10;
constexpr int BOMB_PAUSE_FRAMES = 5;
constexpr int CLEAR_WAIT_FRAMES = 120;
constexpr int BGM_LOOPS = 3000;

// Where each HUD line is drawn, in HudLine order.
struct HudPlace {
    int x, y;
};
const HudPlace HUD_PLACES[HUD_LINES] = {{10, 20}, {10, 50}, {10, 456}, {200, 456}, {0, 0}};

// Width and height 0 fill to the window's far edges, which covers the extra columns of a wide
// window.
void fillScreen(int r, int g, int b) {
    Plix_fillRect(0, 0, 0, 0, r, g, b);
}
} // namespace

GameMain::GameMain() {
    player = new Player();
    ::player = player;
    forEachPool([](auto*& pool, int capacity, const char*) {
        pool = new std::remove_reference_t<decltype(*pool)>(capacity);
    });
    // The player and the enemies reach the score and the state through this from the first frame.
    gameMain = this;
    start();
}

GameMain::~GameMain() {
    forEachPool([](auto*& pool, int, const char*) {
        delete pool;
        pool = nullptr;
    });
    delete player;
    ::player = nullptr;
    if (gameMain == this) gameMain = nullptr;
}

void GameMain::start() {
    time = score = gauge = maxRatio = bonus = 0;
    state = GM_START;
    forEachPool([](auto* pool, int, const char*) { pool->clear(); });
    player->init(SCREEN_CENTRE_X, 384, 16, 16);
    Enemy::create(0, SCREEN_CENTRE_X, 70, 80, 80, 0, 0);
    timer = 0;
    toEndRoll = false;
    Plix_playBgm(MUSIC_FILE, BGM_LOOPS, 0);
}

void startGame() {
    // One GameMain for the whole run: its pools are built once, and start() resets a game.
    if (!gameMain)
        new GameMain();
    else
        gameMain->start();
}

void GameMain::addScore(int n) {
    score += n;
}

int GameMain::ratio() const {
    return gauge / 20 + bonus;
}

void GameMain::run() {
    fillScreen(BACKGROUND_GREY, BACKGROUND_GREY, BACKGROUND_GREY);
    switch (state) {
    case GM_START:
        state = GM_PLAY;
        break;
    case GM_PLAY:
        ++time;
        update();
        break;
    case GM_MISS:
        missStep();
        break;
    case GM_ITEM_PAUSE:
    case GM_BOMB_PAUSE:
        particleManager->move();
        --timer;
        if (timer < 1) state = GM_PLAY;
        break;
    case GM_OVER:
        particleManager->move();
        if (inputZPushed()) start();
        break;
    case GM_CLEAR:
        clearStep();
        break;
    case GM_CLEAR_WAIT:
        clearWaitStep();
        break;
    default:
        break;
    }
    draw();
}

void GameMain::missStep() {
    int v = timer * 255 / MISS_FRAMES;
    fillScreen(v, v, v);
    particleManager->move();
    --timer;
    if (timer >= 1) return;
    if (player->exists) {
        state = GM_PLAY;
        // Play resumes on a cleared field: every bullet fizzles out.
        for (Bullet& b : *bulletManager) {
            if (!b.exists) continue;
            spawnBulletCancel(b.x, b.y);
            b.exists = false;
        }
    } else {
        state = GM_OVER;
        Plix_stopBgm(MUSIC_FADE_OUT_MS);
    }
}

void GameMain::clearStep() {
    // A ship lost in the boss's last frame stays lost: it neither steers nor fires.
    if (player->exists) player->move();
    shotManager->move();
    bombManager->move();
    particleManager->move();
    if (timer > 0) {
        float f = static_cast<float>(CLEAR_FRAMES - timer) / CLEAR_FRAMES;
        Plix_fillRect(static_cast<int>(SCREEN_CENTRE_X - SCREEN_CENTRE_X * f), 0,
                      static_cast<int>(SCREEN_WIDTH * f + 1), SCREEN_HEIGHT, 255, 255, 255);
        timer = timer * 98 / 100;
    }
    if (timer < 1) {
        state = GM_CLEAR_WAIT;
        timer = CLEAR_WAIT_FRAMES;
    }
}

void GameMain::clearWaitStep() {
    if (inputZPushed()) {
        toEndRoll = true;
    } else if (timer > 1) {
        --timer;
        int v = timer * 255 / CLEAR_WAIT_FRAMES;
        fillScreen(v, v, v);
    } else {
        int r = static_cast<int>(randNext() % 40);
        int g = static_cast<int>(randNext() % 40);
        int b = static_cast<int>(randNext() % 40);
        fillScreen(r, g, b);
    }
}

void GameMain::update() {
    enemyManager->move();
    shotManager->move();
    bulletManager->move();
    itemManager->move();
    bombManager->move();
    bool destroyed = hitEnemies();
    if (player->exists) {
        hitShip();
        // Also in the frame of a hit, even one that destroyed the ship.
        player->move();
    }
    if (destroyed) Plix_playWAV(SOUND_DESTROY, 0);
    particleManager->move();
}

// A pause or a miss replaces an earlier state of this frame, but nothing replaces the clear that
// the boss's destruction set: the fight is over, and play must not resume without a boss.
void GameMain::enter(int next, int frames) {
    if (state == GM_CLEAR) return;
    state = next;
    timer = frames;
}

bool GameMain::hitEnemies() {
    bool destroyed = false;
    for (Enemy& e : *enemyManager) {
        if (!e.exists) continue;
        for (Shot& s : *shotManager) {
            if (s.exists && e.exists && s.hits(e)) {
                e.damage(SHOT_DAMAGE);
                s.exists = false;
                if (!e.exists) destroyed = true;
            }
        }
        for (Bomb& b : *bombManager) {
            if (b.exists && e.exists && b.hits(e)) {
                enter(GM_BOMB_PAUSE, BOMB_PAUSE_FRAMES);
                e.damage(BOMB_DAMAGE);
                destroyed = true;
                b.explode();
            }
        }
    }
    return destroyed;
}

void GameMain::hitShip() {
    for (Item& i : *itemManager) {
        if (i.exists && i.hits(*player)) {
            i.exists = false;
            player->pickUp();
            enter(GM_ITEM_PAUSE, ITEM_PAUSE_FRAMES);
        }
    }
    for (Bullet& b : *bulletManager) {
        if (b.exists && b.hits(*player)) {
            player->damage();
            enter(GM_MISS, MISS_FRAMES);
            // One hit per frame: a bullet hit spares the ship the contact test.
            return;
        }
    }
    for (Enemy& e : *enemyManager) {
        if (e.exists && e.hits(*player)) {
            e.damage(CONTACT_DAMAGE);
            player->damage();
            enter(GM_MISS, MISS_FRAMES);
            break;
        }
    }
}

void GameMain::draw() {
    if (player->exists) player->draw();
    enemyManager->draw();
    shotManager->draw();
    bulletManager->draw();
    itemManager->draw();
    bombManager->draw();
    particleManager->draw();

    char text[48];
    for (int line : {HUD_SCORE, HUD_TIME}) {
        hudText(line, text, sizeof text);
        Plix_drawText(text, HUD_PLACES[line].x, HUD_PLACES[line].y, 255);
    }
    if (ratio() > maxRatio) maxRatio = ratio();
    for (int line : {HUD_RATIO, HUD_MAX}) {
        hudText(line, text, sizeof text);
        Plix_drawText(text, HUD_PLACES[line].x, HUD_PLACES[line].y, 255);
    }
    if (state == GM_OVER) Plix_drawText("GAME OVER", 120, 240, 255);
    if (state == GM_CLEAR_WAIT) Plix_drawText("GAME CLEAR", 120, 240, 255);
    hudText(HUD_LEVEL, text, sizeof text);
    Plix_drawText(text, HUD_PLACES[HUD_LEVEL].x, HUD_PLACES[HUD_LEVEL].y, 255);
}

void GameMain::hudText(int line, char* out, int size) const {
    switch (line) {
    case HUD_SCORE:
        std::snprintf(out, size, "SCORE : %d", score);
        break;
    case HUD_TIME:
        std::snprintf(out, size, "TIME  : %d", time);
        break;
    case HUD_RATIO:
        // The two parts of the multiplier, shown apart.
        std::snprintf(out, size, "RATIO : x%d + %d", gauge / 20, bonus);
        break;
    case HUD_MAX:
        std::snprintf(out, size, "MAX : x%d", maxRatio);
        break;
    case HUD_LEVEL:
        std::snprintf(out, size, "LEVEL %d", level);
        break;
    default:
        if (size > 0) out[0] = '\0';
        break;
    }
}
