// GameMain: states, timers and the stopped clock, each state's screen, and the clear that stands.
#include "objects/PlaySupport.h"

#include <SDL/SDL.h>

// The whole screen's bytes.
static std::vector<Uint8> screen() {
    SDL_Surface* s = SDL_GetVideoSurface();
    const Uint8* p = static_cast<const Uint8*>(s->pixels);
    return std::vector<Uint8>(p, p + s->pitch * s->h);
}

TEST_F(PlayTest, PausesFreezeAllButParticlesAndTheClock) {
    frames(1); // GM_START gives way at once
    EXPECT_TRUE(gameMain->state == GM_PLAY && gameMain->time == 0);
    frames(3);
    Item::create(player->x + 20, player->y, 0, 0, 0, 0); // 40 x 40 items reach 21 px
    Item::create(player->x - 20, player->y, 0, 0, 0, 0);
    frames(1);
    EXPECT_TRUE(gameMain->state == GM_ITEM_PAUSE && gameMain->timer == 10);
    EXPECT_TRUE(itemManager->count() == 0 && gameMain->score == 1000); // both taken in one frame
    const Particle& popUp = particleManager->getTokens()[0];
    float y = popUp.y;
    EXPECT_EQ(10, framesIn(GM_ITEM_PAUSE));
    EXPECT_TRUE(gameMain->time == 4 && boss().age == 4 && popUp.y == y - 10);

    Enemy::create(1, 250, 200, 32, 32, 0, 0); // one bomb across two enemies hurts the first only
    Enemy::create(1, 256, 200, 32, 32, 0, 0);
    Bomb::create(253, 210, 90, 10, 0, 0);
    frames(1);
    EXPECT_TRUE(gameMain->state == GM_BOMB_PAUSE && gameMain->timer == 5);
    EXPECT_TRUE(enemyManager->getTokens()[1].hp == 20 && enemyManager->getTokens()[2].hp == 60);
    EXPECT_TRUE(framesIn(GM_BOMB_PAUSE) == 5 && gameMain->time == 5);
}

TEST_F(PlayTest, MissFlashesSixtyFramesThenPlayResumesOrTheGameIsOver) {
    frames(1);
    player->x = 160, player->y = 100; // inside the boss, and on a bullet: the bullet's hit only
    fireBulletDirect(160, 100, 0, 0, 0, 0);
    fireBulletDirect(160, 300, 0, 0, 0, 0);
    frames(1);
    EXPECT_TRUE(gameMain->state == GM_MISS && gameMain->timer == 60 && boss().hp == 1600);
    // The bullet that hit stays until the flash ends.
    EXPECT_TRUE(player->exists && !player->hasPods && bulletManager->count() == 2);
    EXPECT_EQ(60, framesIn(GM_MISS));
    EXPECT_TRUE(gameMain->state == GM_PLAY && gameMain->time == 1);
    EXPECT_EQ(PK_BULLET_CANCEL, alive(particleManager).back()->kind);

    frames(1); // now the contact: the boss loses 10, and without pods the ship is lost
    EXPECT_TRUE(gameMain->state == GM_MISS && boss().hp == 1590 && !player->exists);
    EXPECT_EQ(60, framesIn(GM_MISS));
    EXPECT_EQ(100, framesIn(GM_OVER, 100));
    frames(1, {PLIX_KEY_Z});
    EXPECT_TRUE(gameMain->state == GM_START && player->exists);
}

TEST_F(PlayTest, ClearRunsItsTimerDownThenWaitsForZ) {
    frames(1);
    boss().hp = 1;
    Shot::create(160, 110, 90, 10);
    frames(1);
    EXPECT_TRUE(gameMain->state == GM_CLEAR && gameMain->timer == 240 && gameMain->time == 1);
    frames(1);
    EXPECT_EQ(235, gameMain->timer); // 240 * 98 / 100 in integers
    EXPECT_EQ(112 - 1, framesIn(GM_CLEAR));
    EXPECT_TRUE(gameMain->state == GM_CLEAR_WAIT && gameMain->timer == 120);
    frames(130);
    EXPECT_TRUE(gameMain->timer == 1 && !gameMain->toEndRoll && gameMain->time == 1);
    frames(1, {PLIX_KEY_Z});
    EXPECT_TRUE(gameMain->toEndRoll);
}

// One frame of each state against the same picture drawn by hand: the background, the boss's box
// and its bar of hp * 300 / maxHp pixels, a minion's box without one, the HUD and the banner.
TEST_F(PlayTest, EachStateDrawsItsBackgroundTheBossesBarAndTheHud) {
    newGame(7); // the boss has 1600 + 7 * 200 = 3000 hit points
    gameMain->gauge = 199;
    gameMain->draw();
    EXPECT_EQ(9, gameMain->maxRatio); // 199 / 20 + 0, kept when the ratio falls
    player->exists = false;
    boss().hp = 1999;
    Enemy::create(1, 100, 200, 32, 32, 0, 0);
    gameMain->score = 2000, gameMain->time = 77, gameMain->gauge = 47, gameMain->bonus = 2;
    struct Look {
        int state, timer, grey, bandX, bandW;
        const char* banner;
    } looks[] = {{GM_ITEM_PAUSE, 10, 32, 0, 0, ""},
                 {GM_MISS, 31, 131, 0, 0, ""},     // 31 * 255 / 60
                 {GM_CLEAR, 100, 32, 66, 187, ""}, // f = 140 / 240: 160 - 93.3 and 186.7 + 1
                 {GM_OVER, 0, 32, 0, 0, "GAME OVER"},
                 {GM_CLEAR_WAIT, 20, 40, 0, 0, "GAME CLEAR"}}; // 19 * 255 / 120
    for (const Look& l : looks) {
        SCOPED_TRACE(l.state);
        gameMain->state = l.state;
        gameMain->timer = l.timer;
        gameMain->run();
        std::vector<Uint8> drawn = screen();
        Plix_fillRect(0, 0, 0, 0, l.grey, l.grey, l.grey);
        if (l.bandW) Plix_fillRect(l.bandX, 0, l.bandW, 480, 255, 255, 255);
        Plix_fillRect(120, 30, 80, 80, 0, 255, 0);
        // 1999 * 300 / 3000 wide; red 1001 * 255 / 3000, green 1999 * 255 / 3000
        Plix_fillRect(10, 10, 199, 10, 85, 169, 128);
        Plix_fillRect(84, 184, 32, 32, 0, 255, 0);
        Plix_drawText("SCORE : 2000", 10, 20, 255);
        Plix_drawText("TIME  : 77", 10, 50, 255);
        Plix_drawText("RATIO : x2 + 2", 10, 456, 255);
        Plix_drawText("MAX : x9", 200, 456, 255);
        Plix_drawText(l.banner, 120, 240, 255);
        Plix_drawText("LEVEL 7", 0, 0, 255);
        EXPECT_TRUE(drawn == screen());
    }
}

// The boss's death sets the clear; a hit on the ship in the same frame must not replace it with a
// miss. After such a hit the clear with its timer stands, and a lost ship neither steers nor fires.
static void hitInTheBossesLastFrame(bool pods, float shipY, int bossHp, bool shotOnBoss) {
    level = 15; // the boss's death ring
    gameMain->start();
    frames(1);
    boss().hp = bossHp;
    player->hasPods = pods;
    player->x = 160, player->y = shipY;
    if (shotOnBoss) Shot::create(160, 90, 90, 10);
    frames(1);
    EXPECT_TRUE(!boss().exists && !player->hasPods && player->exists == pods);
    EXPECT_TRUE(gameMain->state == GM_CLEAR && gameMain->timer == 240) << gameMain->state;
    float x = player->x;
    frames(1, {PLIX_KEY_LEFT, PLIX_KEY_Z});
    frames(1, {PLIX_KEY_LEFT});
    frames(1, {PLIX_KEY_LEFT, PLIX_KEY_Z});
    EXPECT_EQ(pods ? x - 9 : x, player->x); // 2 + 5 + 2 while it lives
    EXPECT_EQ(0, shotManager->count() - int(pods) * 4);
    EXPECT_EQ(112 - 3, framesIn(GM_CLEAR));
    EXPECT_EQ(GM_CLEAR_WAIT, gameMain->state);
}
using RepairedClearTest = PlayTest;

TEST_F(RepairedClearTest, TouchingTheBossWithItsLastHitPoints) {
    hitInTheBossesLastFrame(true, 100, 10, false);
    hitInTheBossesLastFrame(false, 100, 10, false);
}

TEST_F(RepairedClearTest, TheDeathRingBornOnTheShip) {
    hitInTheBossesLastFrame(true, 70, 1, true);
    EXPECT_EQ(18, bulletManager->count());
    hitInTheBossesLastFrame(false, 70, 1, true);
}
