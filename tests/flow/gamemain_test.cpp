// GameMain: states and their timers, collisions in pool order, time, ratio, the HUD, and the clear.
#include "flow/GameMain.h"

#include "objects/Enemy.h"
#include "objects/ItemBomb.h"
#include "objects/Particle.h"
#include "objects/Player.h"
#include "objects/ShotBullet.h"
#include "objects/PlaySupport.h"
#include "plix/Plix.h"

#include <SDL/SDL_mixer.h>
#include <cstring>
#include <dlfcn.h>
#include <string>
#include <vector>

// The music calls the scene makes, recorded on their way to the real SDL_mixer.
namespace {
std::vector<std::string> musicCalls;
template <class F> F realMixer(const char* name) { return reinterpret_cast<F>(dlsym(RTLD_NEXT, name)); }
} // namespace

extern "C" int Mix_PlayMusic(Mix_Music* music, int loops) {
    musicCalls.push_back("play " + std::to_string(loops));
    static auto next = realMixer<int (*)(Mix_Music*, int)>("Mix_PlayMusic");
    return next(music, loops);
}

extern "C" int Mix_FadeOutMusic(int ms) {
    musicCalls.push_back("fadeOut " + std::to_string(ms));
    static auto next = realMixer<int (*)(int)>("Mix_FadeOutMusic");
    return next(ms);
}

namespace {

using namespace play;

// The bytes of a screen rectangle, for comparing what the scene drew with a reference drawing.
std::vector<Uint8> region(int x, int y, int w, int h) {
    SDL_Surface* s = SDL_GetVideoSurface();
    int bpp = s->format->BytesPerPixel;
    std::vector<Uint8> out;
    SDL_LockSurface(s);
    for (int row = y; row < y + h; ++row) {
        const Uint8* p = static_cast<const Uint8*>(s->pixels) + row * s->pitch + x * bpp;
        out.insert(out.end(), p, p + w * bpp);
    }
    SDL_UnlockSurface(s);
    return out;
}

// The text alone on the play background, as the HUD should show it, read back w pixels wide.
std::vector<Uint8> reference(const char* text, int x, int y, int w) {
    Plix_fillRect(0, 0, 0, 0, 32, 32, 32);
    Plix_drawText(text, x, y, 255);
    return region(x, y, w, 18);
}

class GameMainTest : public PlayTest {
  protected:
    Enemy& boss() { return enemyManager->getTokens()[0]; }
    void toPlay() {
        game->run(); // GM_START gives way at once
        ASSERT_EQ(GM_PLAY, game->state);
    }
    // Runs frames while the state stays; returns how many ran until it changed (or the limit).
    int framesIn(int state, int limit = 1000) {
        int n = 0;
        while (game->state == state && n < limit) {
            keys({});
            game->run();
            ++n;
        }
        return n;
    }
    std::string hud(int line) {
        char text[64];
        game->hudText(line, text, sizeof text);
        return text;
    }
};

TEST_F(GameMainTest, StartsAShipABossAndTheMusic) {
    EXPECT_EQ(GM_START, game->state);
    EXPECT_EQ(std::vector<std::string>{"play 3000"}, musicCalls);
    EXPECT_EQ(160.0f, player->x);
    EXPECT_EQ(384.0f, player->y);
    EXPECT_TRUE(player->hasPods);
    ASSERT_EQ(1, enemyManager->count());
    EXPECT_EQ(0, boss().kind);
    EXPECT_EQ(160.0f, boss().x);
    EXPECT_EQ(70.0f, boss().y);
    EXPECT_EQ(80.0f, boss().width);
    EXPECT_EQ(gameMain, game.get());

    game->run();
    EXPECT_EQ(GM_PLAY, game->state);
    EXPECT_EQ(0, game->time);
    game->run();
    EXPECT_EQ(1, game->time);
    EXPECT_EQ(1, boss().age);
}

TEST_F(GameMainTest, ANewGameResetsEverythingButLevelAndVolley) {
    level = 12;
    toPlay();
    frames(30);
    game->score = 900;
    game->gauge = 50;
    game->bonus = 3;
    game->maxRatio = 5;
    game->toEndRoll = true;
    player->volley = 6;
    fireBulletDirect(10, 10, 0, 0, 0, 0);
    musicCalls.clear();
    game->start();
    EXPECT_EQ(0, game->score + game->gauge + game->bonus + game->maxRatio + game->time + game->timer);
    EXPECT_FALSE(game->toEndRoll);
    EXPECT_EQ(GM_START, game->state);
    EXPECT_EQ(0, bulletManager->count());
    EXPECT_EQ(1, enemyManager->count());
    EXPECT_EQ(1600 + 200 * 12, boss().hp);
    EXPECT_EQ(6, player->volley);
    EXPECT_EQ(std::vector<std::string>{"play 3000"}, musicCalls);
}

TEST_F(GameMainTest, ItemAndBombPausesFreezeAllButParticlesAndStopTheClock) {
    toPlay();
    frames(3);
    EXPECT_EQ(3, game->time);
    Item::create(player->x + 20, player->y, 0, 0, 0, 0);
    Item::create(player->x - 20, player->y, 0, 0, 0, 0);
    keys({});
    game->run();
    EXPECT_EQ(GM_ITEM_PAUSE, game->state);
    EXPECT_EQ(10, game->timer);
    EXPECT_EQ(0, itemManager->count()); // both taken in the same frame
    EXPECT_EQ(1000, game->score);
    EXPECT_EQ(4, game->time);
    int bossAge = boss().age;
    Particle* text = alive(particleManager).front();
    float textY = text->y;
    EXPECT_EQ(10, framesIn(GM_ITEM_PAUSE));
    EXPECT_EQ(GM_PLAY, game->state);
    EXPECT_EQ(4, game->time);
    EXPECT_EQ(bossAge, boss().age);
    EXPECT_EQ(textY - 10, text->y);

    // A bomb on the boss: 40 damage, 5 frames; two bombs in one frame both hit.
    Bomb::create(160, 100, 90, 0, 0, 0);
    Bomb::create(150, 100, 90, 0, 0, 0);
    int hp = boss().hp;
    keys({});
    game->run();
    EXPECT_EQ(GM_BOMB_PAUSE, game->state);
    EXPECT_EQ(5, game->timer);
    EXPECT_EQ(hp - 80, boss().hp);
    EXPECT_EQ(0, bombManager->count());
    EXPECT_EQ(5, framesIn(GM_BOMB_PAUSE));
    EXPECT_EQ(5, game->time);
}

TEST_F(GameMainTest, ShotsHitEnemiesInPoolOrderAndStopOnceTheEnemyIsGone) {
    toPlay();
    Enemy::create(2, 60, 200, 12, 12, 0, 0); // 3 hit points
    Enemy& small = enemyManager->getTokens()[1];
    // Shots move 10 px up before the test, landing on the enemy.
    for (int i = 0; i < 4; ++i) Shot::create(60, 210, 90, 10);
    // A bomb that crosses two enemies hurts only the first in pool order.
    Enemy::create(1, 250, 200, 32, 32, 0, 0);
    Enemy::create(1, 256, 200, 32, 32, 0, 0);
    Bomb::create(253, 210, 90, 10, 0, 0);
    keys({});
    game->run();
    EXPECT_FALSE(small.exists);
    EXPECT_EQ(1, shotManager->count());
    EXPECT_EQ(10, game->score);
    EXPECT_EQ(20, enemyManager->getTokens()[2].hp);
    EXPECT_EQ(60, enemyManager->getTokens()[3].hp);
}

TEST_F(GameMainTest, AMissWithPodsFlashesSixtyFramesThenCancelsEveryBullet) {
    toPlay();
    game->gauge = 47;
    game->bonus = 1;
    fireBulletDirect(player->x, player->y - 30, 0, 0, 0, 0);
    fireBulletDirect(player->x, player->y, 0, 0, 0, 0);
    fireBulletDirect(player->x + 1, player->y, 0, 0, 0, 0);
    keys({});
    game->run();
    EXPECT_EQ(GM_MISS, game->state);
    EXPECT_EQ(60, game->timer);
    EXPECT_TRUE(player->exists);
    EXPECT_FALSE(player->hasPods);
    EXPECT_EQ(22, game->gauge); // halved to 23, then the ship's move drifts it
    EXPECT_EQ(0, game->bonus);
    // The bullet that hit stays until the flash ends.
    EXPECT_EQ(3, bulletManager->count());
    int time = game->time;

    frames(2);
    // The second frame of the flash: v = 59 * 255 / 60 = 250 under the objects.
    EXPECT_TRUE(pixelIs(300, 300, 250, 250, 250));
    EXPECT_EQ(58, framesIn(GM_MISS));
    EXPECT_EQ(GM_PLAY, game->state);
    EXPECT_EQ(time, game->time);
    EXPECT_EQ(0, bulletManager->count());
    int cancels = 0;
    for (Particle* q : alive(particleManager)) cancels += q->kind == PK_BULLET_CANCEL;
    EXPECT_EQ(3, cancels);
}

TEST_F(GameMainTest, OneHitPerFrameAndContactHurtsTheEnemyToo) {
    toPlay();
    player->x = 160;
    player->y = 100; // inside the boss
    fireBulletDirect(160, 100, 0, 0, 0, 0);
    int hp = boss().hp;
    keys({});
    game->run();
    EXPECT_EQ(GM_MISS, game->state);
    EXPECT_EQ(hp, boss().hp);
    EXPECT_TRUE(player->exists);

    // With the bullet gone the next contact costs the ship, and the boss 10.
    framesIn(GM_MISS);
    keys({});
    game->run();
    EXPECT_EQ(GM_MISS, game->state);
    EXPECT_EQ(hp - 10, boss().hp);
    EXPECT_FALSE(player->exists);
}

TEST_F(GameMainTest, LosingTheShipEndsInGameOverAndZStartsAgain) {
    toPlay();
    player->hasPods = false;
    fireBulletDirect(player->x, player->y, 0, 0, 0, 0);
    keys({});
    game->run();
    EXPECT_FALSE(player->exists);
    musicCalls.clear();
    EXPECT_EQ(60, framesIn(GM_MISS));
    EXPECT_EQ(GM_OVER, game->state);
    EXPECT_EQ(std::vector<std::string>{"fadeOut 3000"}, musicCalls);

    EXPECT_EQ(100, framesIn(GM_OVER, 100));
    keys({KEY_Z});
    game->run();
    EXPECT_EQ(GM_START, game->state);
    EXPECT_TRUE(player->exists);
    EXPECT_EQ("play 3000", musicCalls.back());
}

TEST_F(GameMainTest, ClearOpensTheBandThenFadesThenWaitsForZ) {
    toPlay();
    boss().hp = 1;
    Shot::create(160, 110, 90, 10);
    keys({});
    game->run();
    EXPECT_EQ(GM_CLEAR, game->state);
    EXPECT_EQ(240, game->timer);
    int time = game->time;

    // The first band is one column wide at x 160.
    keys({});
    game->run();
    EXPECT_TRUE(pixelIs(160, 250, 255, 255, 255));
    EXPECT_FALSE(pixelIs(159, 250, 255, 255, 255));
    EXPECT_FALSE(pixelIs(161, 250, 255, 255, 255));
    EXPECT_EQ(235, game->timer);
    // The ship still steers during the clear.
    keys({KEY_LEFT});
    game->run();
    EXPECT_EQ(155.0f, player->x);
    EXPECT_EQ(110, framesIn(GM_CLEAR));
    EXPECT_EQ(GM_CLEAR_WAIT, game->state);
    EXPECT_EQ(120, game->timer);
    EXPECT_EQ(time, game->time);

    EXPECT_EQ(100, framesIn(GM_CLEAR_WAIT, 100));
    EXPECT_EQ(20, game->timer);
    EXPECT_TRUE(pixelIs(300, 300, 42, 42, 42)); // 20 * 255 / 120
    frames(30);
    EXPECT_EQ(1, game->timer);
    EXPECT_FALSE(game->toEndRoll);
    keys({KEY_Z});
    game->run();
    EXPECT_TRUE(game->toEndRoll);
}

TEST_F(GameMainTest, RatioAndMaxRatioAsTheHudShowsThem) {
    EXPECT_EQ("SCORE : 0", hud(HUD_SCORE));
    EXPECT_EQ("TIME  : 0", hud(HUD_TIME));
    EXPECT_EQ("RATIO : x0 + 0", hud(HUD_RATIO));
    EXPECT_EQ("MAX : x0", hud(HUD_MAX));
    EXPECT_EQ("LEVEL 0", hud(HUD_LEVEL));

    game->gauge = 47;
    game->bonus = 2;
    EXPECT_EQ(4, game->ratio());
    EXPECT_EQ("RATIO : x2 + 2", hud(HUD_RATIO));
    game->draw();
    EXPECT_EQ(4, game->maxRatio);
    game->gauge = 199;
    game->bonus = 0;
    EXPECT_EQ(9, game->ratio());
    EXPECT_EQ("RATIO : x9 + 0", hud(HUD_RATIO));
    game->draw();
    game->gauge = 10;
    game->draw();
    EXPECT_EQ("MAX : x9", hud(HUD_MAX));

    game->score = 1234560;
    game->time = 3600;
    level = 50;
    EXPECT_EQ("SCORE : 1234560", hud(HUD_SCORE));
    EXPECT_EQ("TIME  : 3600", hud(HUD_TIME));
    EXPECT_EQ("LEVEL 50", hud(HUD_LEVEL));
}

TEST_F(GameMainTest, HudTextsAreDrawnAtTheirPlaces) {
    enemyManager->clear();
    game->score = 2000;
    game->time = 77;
    game->gauge = 61;
    game->bonus = 1;
    game->maxRatio = 6;
    level = 7;
    struct Line {
        const char* text;
        int x, y;
    };
    const Line lines[] = {{"SCORE : 2000", 10, 20}, {"TIME  : 77", 10, 50}, {"RATIO : x3 + 1", 10, 456},
                          {"MAX : x6", 200, 456},   {"LEVEL 7", 0, 0}};
    Plix_fillRect(0, 0, 0, 0, 32, 32, 32);
    game->draw();
    std::vector<std::vector<Uint8>> drawn;
    for (const Line& l : lines) drawn.push_back(region(l.x, l.y, 12 * int(std::strlen(l.text)), 18));
    for (size_t i = 0; i < drawn.size(); ++i) {
        const Line& l = lines[i];
        EXPECT_EQ(reference(l.text, l.x, l.y, 12 * int(std::strlen(l.text))), drawn[i]) << l.text;
    }

    // GAME OVER only in its state, GAME CLEAR only while waiting for z.
    for (int state : {GM_PLAY, GM_OVER, GM_CLEAR, GM_CLEAR_WAIT}) {
        game->state = state;
        Plix_fillRect(0, 0, 0, 0, 32, 32, 32);
        game->draw();
        std::vector<Uint8> middle = region(120, 240, 120, 18);
        const char* want = state == GM_OVER ? "GAME OVER" : state == GM_CLEAR_WAIT ? "GAME CLEAR" : "";
        EXPECT_EQ(reference(want, 120, 240, 120), middle) << "state " << state;
    }
}

// The boss's death sets the clear; a hit on the ship in the same frame must not replace it.
class RepairedClearTest : public GameMainTest {
  protected:
    int levelForTest() const override { return 15; }
    void expectClearStandsAndShipStill() {
        EXPECT_EQ(GM_CLEAR, game->state);
        EXPECT_EQ(240, game->timer);
        float x = player->x;
        shotManager->clear();
        for (int i = 0; i < 10; ++i) {
            keys(i % 2 ? std::initializer_list<int>{KEY_LEFT} : std::initializer_list<int>{KEY_LEFT, KEY_Z});
            game->run();
        }
        EXPECT_EQ(x, player->x);
        EXPECT_EQ(0, shotManager->count());
        framesIn(GM_CLEAR);
        EXPECT_EQ(GM_CLEAR_WAIT, game->state);
    }
};

TEST_F(RepairedClearTest, TouchingTheBossWithItsLastHitPointsCostsPodsButClears) {
    toPlay();
    boss().hp = 10;
    player->x = 160;
    player->y = 100;
    keys({});
    game->run();
    EXPECT_FALSE(boss().exists);
    EXPECT_TRUE(player->exists);
    EXPECT_FALSE(player->hasPods);
    EXPECT_EQ(GM_CLEAR, game->state);
    EXPECT_EQ(240, game->timer);
    // The ship lives on and still steers.
    keys({KEY_LEFT});
    game->run();
    EXPECT_EQ(155.0f, player->x);
}

TEST_F(RepairedClearTest, TouchingTheBossWithoutPodsLosesTheShipButClears) {
    toPlay();
    boss().hp = 10;
    player->hasPods = false;
    player->x = 160;
    player->y = 100;
    keys({});
    game->run();
    EXPECT_FALSE(player->exists);
    expectClearStandsAndShipStill();
}

TEST_F(RepairedClearTest, TheDeathRingOnTheShipCostsPodsOrShipButClears) {
    for (bool pods : {true, false}) {
        game->start();
        toPlay();
        boss().hp = 1;
        player->hasPods = pods;
        player->x = 160;
        player->y = 70; // where the ring is born
        Shot::create(160, 90, 90, 10);
        keys({});
        game->run();
        EXPECT_FALSE(boss().exists);
        EXPECT_EQ(18, bulletManager->count());
        EXPECT_EQ(pods, player->exists);
        EXPECT_FALSE(player->hasPods);
        if (pods) {
            EXPECT_EQ(GM_CLEAR, game->state);
            EXPECT_EQ(240, game->timer);
        } else {
            expectClearStandsAndShipStill();
        }
    }
}

} // namespace
