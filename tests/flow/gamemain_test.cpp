// GameMain: states and their timers, collisions in pool order, time, ratio, the HUD, and the clear.
#include "flow/GameMain.h"

#include "objects/Enemy.h"
#include "objects/ItemBomb.h"
#include "objects/Particle.h"
#include "objects/PlaySupport.h"
#include "objects/Player.h"
#include "objects/ShotBullet.h"
#include "plix/Plix.h"

#include <SDL/SDL_mixer.h>
#include <cstring>
#include <dlfcn.h>
#include <string>

// The music calls the scene makes, recorded on their way to the real SDL_mixer.
static std::vector<std::string> musicCalls;
extern "C" int Mix_PlayMusic(Mix_Music* music, int loops) {
    musicCalls.push_back("play " + std::to_string(loops));
    static auto next =
        reinterpret_cast<int (*)(Mix_Music*, int)>(dlsym(RTLD_NEXT, "Mix_PlayMusic"));
    return next(music, loops);
}
extern "C" int Mix_FadeOutMusic(int ms) {
    musicCalls.push_back("fadeOut " + std::to_string(ms));
    static auto next = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "Mix_FadeOutMusic"));
    return next(ms);
}

namespace {

using namespace play;

// The bytes of a screen rectangle 18 rows high, the font's height.
std::vector<Uint8> region(int x, int y, int w) {
    SDL_Surface* s = SDL_GetVideoSurface();
    int bpp = s->format->BytesPerPixel;
    std::vector<Uint8> out;
    for (int row = y; row < y + 18; ++row) {
        const Uint8* p = static_cast<const Uint8*>(s->pixels) + row * s->pitch + x * bpp;
        out.insert(out.end(), p, p + w * bpp);
    }
    return out;
}
// The text alone on the play background, as the HUD should show it.
std::vector<Uint8> reference(const char* text, int x, int y, int w) {
    Plix_fillRect(0, 0, 0, 0, 32, 32, 32);
    Plix_drawText(text, x, y, 255);
    return region(x, y, w);
}

class GameMainTest : public PlayTest {
  protected:
    Enemy& boss() { return enemyManager->getTokens()[0]; }
    void toPlay() {
        game->run(); // GM_START gives way at once
        ASSERT_EQ(GM_PLAY, game->state);
    }
};

TEST_F(GameMainTest, StartsShipBossAndMusicAndANewGameKeepsOnlyLevelAndVolley) {
    EXPECT_EQ(std::vector<std::string>{"play 3000"}, musicCalls);
    EXPECT_TRUE(player->x == 160 && player->y == 384 && player->hasPods);
    ASSERT_EQ(1, enemyManager->count());
    EXPECT_TRUE(boss().kind == 0 && boss().x == 160 && boss().y == 70 && boss().width == 80);
    EXPECT_EQ(GM_START, game->state);
    game->run();
    EXPECT_TRUE(game->state == GM_PLAY && game->time == 0 && boss().age == 0);
    game->run();
    EXPECT_TRUE(game->time == 1 && boss().age == 1);

    level = 12;
    game->score = 900, game->gauge = 50, game->bonus = 3, game->maxRatio = 5,
    game->toEndRoll = true;
    player->volley = 6;
    fireBulletDirect(10, 10, 0, 0, 0, 0);
    game->start();
    EXPECT_EQ(0,
              game->score + game->gauge + game->bonus + game->maxRatio + game->time + game->timer);
    EXPECT_TRUE(!game->toEndRoll && game->state == GM_START && bulletManager->count() == 0);
    EXPECT_TRUE(boss().hp == 1600 + 200 * 12 && player->volley == 6);
    EXPECT_EQ(2u, musicCalls.size());
}

TEST_F(GameMainTest, ItemAndBombPausesFreezeAllButParticlesAndTheClock) {
    toPlay();
    frames(3);
    Item::create(player->x + 20, player->y, 0, 0, 0, 0); // 40 x 40 items reach 21 px
    Item::create(player->x - 20, player->y, 0, 0, 0, 0);
    frames(1);
    EXPECT_TRUE(game->state == GM_ITEM_PAUSE && game->timer == 10 && game->time == 4);
    EXPECT_TRUE(itemManager->count() == 0 && game->score == 1000); // both taken in one frame
    int age = boss().age;
    Particle& popUp = particleManager->getTokens()[0];
    float y = popUp.y;
    EXPECT_EQ(10, framesIn(GM_ITEM_PAUSE));
    EXPECT_TRUE(game->state == GM_PLAY && game->time == 4 && boss().age == age);
    EXPECT_EQ(y - 10, popUp.y);

    int hp = boss().hp;
    Bomb::create(160, 100, 90, 0, 0, 0); // two bombs on the boss in one frame
    Bomb::create(150, 100, 90, 0, 0, 0);
    frames(1);
    EXPECT_TRUE(game->state == GM_BOMB_PAUSE && game->timer == 5 && boss().hp == hp - 80);
    EXPECT_EQ(5, framesIn(GM_BOMB_PAUSE));
    EXPECT_EQ(5, game->time);
}

TEST_F(GameMainTest, CollisionsInPoolOrderOneHitPerFrame) {
    toPlay();
    Enemy::create(2, 60, 200, 12, 12, 0, 0); // 3 hit points; the shots reach it by moving first
    for (int i = 0; i < 4; ++i)
        Shot::create(60, 210, 90, 10);
    Enemy::create(1, 250, 200, 32, 32, 0, 0); // one bomb across two enemies hurts the first only
    Enemy::create(1, 256, 200, 32, 32, 0, 0);
    Bomb::create(253, 210, 90, 10, 0, 0);
    frames(1);
    EXPECT_TRUE(!enemyManager->getTokens()[1].exists && shotManager->count() == 1 &&
                game->score == 10);
    EXPECT_TRUE(enemyManager->getTokens()[2].hp == 20 && enemyManager->getTokens()[3].hp == 60);

    game->start();
    toPlay();
    player->x = 160, player->y = 100; // inside the boss, and on a bullet: the bullet's hit only
    fireBulletDirect(160, 100, 0, 0, 0, 0);
    frames(1);
    EXPECT_TRUE(game->state == GM_MISS && boss().hp == 1600 && player->exists);
}

TEST_F(GameMainTest, MissFlashesSixtyFramesThenPlayResumesOrTheGameIsOver) {
    toPlay();
    game->gauge = 47, game->bonus = 1;
    fireBulletDirect(player->x, player->y - 30, 0, 0, 0, 0);
    fireBulletDirect(player->x, player->y, 0, 0, 0, 0);
    frames(1);
    EXPECT_TRUE(game->state == GM_MISS && game->timer == 60 && !player->hasPods);
    EXPECT_TRUE(game->gauge == 22 && game->bonus == 0); // halved, then the ship's move drifts it
    EXPECT_EQ(2, bulletManager->count()); // the bullet that hit stays until the flash ends
    int time = game->time;
    frames(2);
    EXPECT_TRUE(pixelIs(300, 300, 250, 250, 250)); // 59 * 255 / 60
    EXPECT_EQ(58, framesIn(GM_MISS));
    EXPECT_TRUE(game->state == GM_PLAY && game->time == time && bulletManager->count() == 0);
    EXPECT_EQ(PK_BULLET_CANCEL, alive(particleManager).back()->kind);

    player->x = 160, player->y = 100; // contact without pods: the boss loses 10, the ship is lost
    musicCalls.clear();
    frames(1);
    EXPECT_TRUE(game->state == GM_MISS && boss().hp == 1590 && !player->exists);
    EXPECT_EQ(60, framesIn(GM_MISS));
    EXPECT_EQ(GM_OVER, game->state);
    EXPECT_EQ(std::vector<std::string>{"fadeOut 3000"}, musicCalls);
    EXPECT_EQ(100, framesIn(GM_OVER, 100));
    frames(1, {KEY_Z});
    EXPECT_TRUE(game->state == GM_START && player->exists && musicCalls.back() == "play 3000");
}

TEST_F(GameMainTest, ClearOpensTheBandFadesThenWaitsForZ) {
    toPlay();
    boss().hp = 1;
    Shot::create(160, 110, 90, 10);
    frames(1);
    EXPECT_TRUE(game->state == GM_CLEAR && game->timer == 240);
    int time = game->time;
    frames(1);
    EXPECT_TRUE(pixelIs(160, 250, 255, 255, 255) && !pixelIs(159, 250, 255, 255, 255));
    EXPECT_FALSE(pixelIs(161, 250, 255, 255, 255)); // f = 0: one column
    EXPECT_EQ(235, game->timer);
    frames(1, {KEY_LEFT});
    EXPECT_EQ(155.0f, player->x); // the ship still steers
    EXPECT_EQ(112 - 2, framesIn(GM_CLEAR));
    EXPECT_TRUE(game->state == GM_CLEAR_WAIT && game->timer == 120 && game->time == time);
    frames(100);
    EXPECT_TRUE(game->timer == 20 && pixelIs(300, 300, 42, 42, 42)); // 20 * 255 / 120
    frames(30);
    EXPECT_TRUE(game->timer == 1 && !game->toEndRoll);
    frames(1, {KEY_Z});
    EXPECT_TRUE(game->toEndRoll);
}

TEST_F(GameMainTest, HudTextsRatioAndMaxRatio) {
    char text[64];
    auto hud = [&](int line) {
        game->hudText(line, text, sizeof text);
        return std::string(text);
    };
    EXPECT_EQ("RATIO : x0 + 0", hud(HUD_RATIO));
    game->gauge = 199;
    game->draw();
    EXPECT_TRUE(game->ratio() == 9 && game->maxRatio == 9 && hud(HUD_RATIO) == "RATIO : x9 + 0");
    game->gauge = 47, game->bonus = 2;
    game->draw();
    EXPECT_TRUE(game->ratio() == 4 && hud(HUD_RATIO) == "RATIO : x2 + 2" &&
                hud(HUD_MAX) == "MAX : x9");

    enemyManager->clear();
    game->score = 2000, game->time = 77, game->gauge = 61, game->bonus = 1, game->maxRatio = 6,
    level = 7;
    struct Line {
        const char* text;
        int x, y;
    } lines[] = {{"SCORE : 2000", 10, 20},
                 {"TIME  : 77", 10, 50},
                 {"RATIO : x3 + 1", 10, 456},
                 {"MAX : x6", 200, 456},
                 {"LEVEL 7", 0, 0}};
    for (int state : {GM_PLAY, GM_OVER, GM_CLEAR, GM_CLEAR_WAIT}) {
        game->state = state;
        Plix_fillRect(0, 0, 0, 0, 32, 32, 32);
        game->draw();
        std::vector<std::vector<Uint8>> drawn;
        for (const Line& l : lines)
            drawn.push_back(region(l.x, l.y, 12 * int(std::strlen(l.text))));
        std::vector<Uint8> middle = region(120, 240, 120);
        for (size_t i = 0; i < drawn.size(); ++i)
            EXPECT_EQ(reference(lines[i].text, lines[i].x, lines[i].y, int(drawn[i].size() / 18)),
                      drawn[i])
                << lines[i].text;
        const char* banner = state == GM_OVER         ? "GAME OVER"
                             : state == GM_CLEAR_WAIT ? "GAME CLEAR"
                                                      : "";
        EXPECT_EQ(reference(banner, 120, 240, 120), middle) << "state " << state;
    }
}

// The boss's death sets the clear; a hit on the ship in the same frame must not replace it with a
// miss.
class RepairedClearTest : public GameMainTest {
  protected:
    void SetUp() override {
        GameMainTest::SetUp();
        level = 15; // the boss's death ring
    }
    // A hit this frame: the clear with its timer stands, and a lost ship neither steers nor fires.
    void hitInTheBossesLastFrame(bool pods, float shipY, int bossHp, bool shotOnBoss) {
        game->start();
        toPlay();
        boss().hp = bossHp;
        player->hasPods = pods;
        player->x = 160, player->y = shipY;
        if (shotOnBoss) Shot::create(160, 90, 90, 10);
        frames(1);
        EXPECT_TRUE(!boss().exists && !player->hasPods && player->exists == pods);
        EXPECT_TRUE(game->state == GM_CLEAR && game->timer == 240) << game->state;
        float x = player->x;
        frames(1, {KEY_LEFT, KEY_Z});
        frames(1, {KEY_LEFT});
        frames(1, {KEY_LEFT, KEY_Z});
        EXPECT_EQ(pods ? x - 9 : x, player->x); // 2 + 5 + 2 while it lives
        EXPECT_EQ(0, shotManager->count() - int(pods) * 4);
        EXPECT_EQ(112 - 3, framesIn(GM_CLEAR));
        EXPECT_EQ(GM_CLEAR_WAIT, game->state);
    }
};

TEST_F(RepairedClearTest, TouchingTheBossWithItsLastHitPoints) {
    hitInTheBossesLastFrame(true, 100, 10, false);
    hitInTheBossesLastFrame(false, 100, 10, false);
}

TEST_F(RepairedClearTest, TheDeathRingBornOnTheShip) {
    hitInTheBossesLastFrame(true, 70, 1, true);
    EXPECT_EQ(18, bulletManager->count());
    hitInTheBossesLastFrame(false, 70, 1, true);
}

} // namespace
