// Particles: the seven spawns and their draws, lives, drag, blinking, fading and the full pool.
#include "plix/Plix.h"
#include "support/FightSupport.h"

#include <SDL/SDL.h>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

using namespace fight;

namespace {

struct Rgb {
    int r, g, b;
};

Rgb pixel(int x, int y) {
    SDL_Surface* s = SDL_GetVideoSurface();
    if (SDL_MUSTLOCK(s)) SDL_LockSurface(s);
    int bpp = s->format->BytesPerPixel;
    Uint8* p = static_cast<Uint8*>(s->pixels) + y * s->pitch + x * bpp;
    Uint32 v = 0;
    std::memcpy(&v, p, bpp); // little-endian host
    if (SDL_MUSTLOCK(s)) SDL_UnlockSurface(s);
    Rgb c;
    Uint8 r, g, b;
    SDL_GetRGB(v, s->format, &r, &g, &b);
    c = {r, g, b};
    return c;
}

void blackScreen() {
    Plix_fillRect(0, 0, 0, 0, 0, 0, 0);
}

// Brightness of a screen region, to compare the same text at two alphas.
long brightness(int x0, int y0, int w, int h) {
    long sum = 0;
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x) {
            Rgb c = pixel(x, y);
            sum += c.r + c.g + c.b;
        }
    return sum;
}

void freshPool() {
    newGame(0, 1);
    particleManager->clear();
}

} // namespace

TEST(ParticleSpawn, SparksDrawAngleThenSpeedThenLife) {
    struct Case {
        int kind;
        int count;
        float size;
        void (*spawn)();
    };
    const Case CASES[] = {
        {PK_EXPLOSION, 8, 5, [] { spawnExplosion(100, 200, 5); }},
        {PK_DEBRIS, 3, 4, [] { spawnDebris(100, 200, 3); }},
        {PK_BOMB_BURST, 4, 4, [] { spawnBombBurst(100, 200); }},
    };
    for (const Case& c : CASES) {
        SCOPED_TRACE(c.kind);
        freshPool();
        randSeed(42);
        c.spawn();
        randSeed(42);
        auto made = alive(particleManager);
        ASSERT_EQ(static_cast<int>(made.size()), c.count);
        for (Particle* p : made) {
            double angle = randNext() % 360;
            double speed = randNext() % 3 + 1;
            int life = 80 + static_cast<int>(randNext() % 40);
            EXPECT_EQ(p->kind, c.kind);
            EXPECT_EQ(p->life, life);
            EXPECT_EQ(p->width, c.size);
            EXPECT_EQ(p->drawHeight, c.size);
            EXPECT_FLOAT_EQ(p->vx, static_cast<float>(speed * std::cos(angle * M_PI / 180)));
            EXPECT_FLOAT_EQ(p->vy, static_cast<float>(-speed * std::sin(angle * M_PI / 180)));
            EXPECT_EQ(p->x, 100);
            EXPECT_EQ(p->text[0], '\0');
        }
    }
}

TEST(ParticleSpawn, SingleParticleEffects) {
    freshPool();
    spawnRecovery(100, 300);
    spawnFlash(50, 60);
    spawnText(160, 240, "CRAZY MODE");
    spawnBulletCancel(30, 40);
    auto made = alive(particleManager);
    ASSERT_EQ(made.size(), 4u);
    const Particle& rec = *made[0];
    EXPECT_EQ(rec.kind, PK_RECOVERY);
    EXPECT_EQ(rec.x, 40);
    EXPECT_EQ(rec.y, 300);
    EXPECT_NEAR(rec.vy, -1, 1e-6);
    EXPECT_EQ(rec.life, 60);
    const Particle& flash = *made[1];
    EXPECT_EQ(flash.kind, PK_FLASH);
    EXPECT_EQ(flash.width, 48);
    EXPECT_EQ(flash.life, 4);
    EXPECT_EQ(flash.vx, 0);
    const Particle& text = *made[2];
    EXPECT_EQ(text.kind, PK_TEXT);
    EXPECT_EQ(text.x, 100);
    EXPECT_STREQ(text.text, "CRAZY MODE");
    EXPECT_EQ(text.life, 60);
    const Particle& cancel = *made[3];
    EXPECT_EQ(cancel.kind, PK_BULLET_CANCEL);
    EXPECT_EQ(cancel.width, 8);
    EXPECT_EQ(cancel.life, 16);
    // The text rises one pixel per frame: first drawn at 239.
    made[2]->move();
    EXPECT_EQ(made[2]->y, 239);
}

TEST(ParticleSpawn, LongTextIsCutNotOverrun) {
    freshPool();
    std::string longText(100, '7');
    spawnText(1000, 100, longText.c_str());
    auto made = alive(particleManager);
    ASSERT_EQ(made.size(), 1u);
    EXPECT_EQ(std::strlen(made[0]->text), static_cast<size_t>(Particle::TEXT_CAPACITY - 1));
    // Placed by the whole text's length.
    EXPECT_EQ(made[0]->x, 400);
    // A score with its ratio fits whole.
    spawnText(0, 0, "12000 x 19");
    EXPECT_STREQ(alive(particleManager)[1]->text, "12000 x 19");
}

TEST(ParticleLife, FramesShownPerKind) {
    struct Case {
        void (*spawn)();
        int shown;
    };
    const Case CASES[] = {
        {[] { spawnText(100, 100, "500"); }, 59},
        {[] { spawnRecovery(100, 100); }, 59},
        {[] { spawnFlash(100, 100); }, 3},
        {[] { spawnBulletCancel(100, 100); }, 15},
    };
    for (const Case& c : CASES) {
        freshPool();
        c.spawn();
        Particle& p = particleManager->getTokens()[0];
        int shown = 0;
        for (int f = 0; f < 200; ++f) {
            particleManager->move();
            if (p.exists) ++shown;
        }
        EXPECT_EQ(shown, c.shown);
    }
    // Sparks live their drawn life less the frame of the move that ends them.
    freshPool();
    spawnExplosion(100, 100, 4);
    Particle& spark = particleManager->getTokens()[0];
    int life = spark.life;
    int shown = 0;
    for (int f = 0; f < 200; ++f) {
        particleManager->move();
        if (spark.exists) ++shown;
    }
    EXPECT_EQ(shown, life - 1);
}

TEST(ParticleLife, SparksSlowByThreePercentInDouble) {
    freshPool();
    Particle::create(PK_DEBRIS, 100, 100, 4, 4, 0, 3, nullptr);
    Particle& p = particleManager->getTokens()[0];
    p.move();
    EXPECT_EQ(p.vx, static_cast<float>(3 * 0.97));
    EXPECT_NEAR(p.x, 102.91, 1e-4);
    p.move();
    EXPECT_EQ(p.vx, static_cast<float>(static_cast<float>(3 * 0.97) * 0.97));
    // Other kinds keep their speed.
    Particle::create(PK_TEXT, 0, 100, 0, 0, 90, 1, "1");
    Particle& t = particleManager->getTokens()[1];
    for (int i = 0; i < 10; ++i)
        t.move();
    EXPECT_EQ(t.y, 90);
}

TEST(ParticleDraw, SparksBlinkBelowThirtyAndDrawTwoColoursWhenShown) {
    freshPool();
    Particle::create(PK_EXPLOSION, 100, 100, 6, 6, 0, 0, nullptr);
    Particle& p = particleManager->getTokens()[0];
    const int LIVES[] = {30, 29, 28, 31, 1, 4};
    const bool SHOWN[] = {true, false, true, true, false, true};
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(LIVES[i]);
        p.life = LIVES[i];
        blackScreen();
        randSeed(9);
        p.draw();
        uint64_t after = randState();
        randSeed(9);
        if (SHOWN[i]) {
            randNext();
            randNext();
        }
        EXPECT_EQ(after, randState()) << "two colour draws when shown, none when hidden";
        // An explosion spark is full green whatever its random red and blue.
        EXPECT_EQ(pixel(100, 100).g, SHOWN[i] ? 255 : 0);
    }
}

TEST(ParticleDraw, BulletCancelSquareShrinksFromItsCorner) {
    freshPool();
    spawnBulletCancel(100, 100);
    Particle& p = particleManager->getTokens()[0];
    const int LIVES[] = {15, 8, 4, 3};
    const int SIDES[] = {3, 2, 1, 0};
    for (int i = 0; i < 4; ++i) {
        p.life = LIVES[i];
        blackScreen();
        p.draw();
        // The square's corner is the box's lower right corner (104, 104).
        for (int d = 0; d < 4; ++d) {
            bool red = pixel(104 + d, 104 + d).r > 200;
            EXPECT_EQ(red, d < SIDES[i]) << "life " << LIVES[i] << " offset " << d;
        }
        EXPECT_EQ(pixel(103, 103).r, 0);
    }
}

TEST(ParticleDraw, TextsFadeOverTheirLastThirtyFrames) {
    freshPool();
    spawnText(100, 100, "888");
    Particle& p = particleManager->getTokens()[0];
    auto shine = [&](int life) {
        p.life = life;
        blackScreen();
        p.draw();
        return brightness(70, 90, 80, 40);
    };
    long full = shine(60);
    ASSERT_GT(full, 0);
    EXPECT_EQ(shine(31), full);
    EXPECT_EQ(shine(30), full);
    // Alpha 127: about half as bright, give or take the dummy screen's 8-bit palette.
    double half = static_cast<double>(shine(15)) / full;
    EXPECT_GT(half, 0.3);
    EXPECT_LT(half, 0.7);
    // Fainter frame by frame (the dummy screen's palette rounds the faintest to black).
    EXPECT_LT(shine(10), shine(20));
    EXPECT_LE(shine(1), shine(10));
}

TEST(ParticlePool, FullPoolDropsExtrasSilently) {
    freshPool();
    for (int i = 0; i < 250; ++i)
        spawnFlash(10, 10);
    spawnExplosion(100, 100, 8);
    EXPECT_EQ(particleManager->count(), 256);
    int sparks = 0;
    for (Particle* p : alive(particleManager))
        if (p->kind == PK_EXPLOSION) ++sparks;
    EXPECT_EQ(sparks, 6);
    spawnText(100, 100, "100");
    spawnRecovery(100, 100);
    spawnDebris(100, 100, 8);
    EXPECT_EQ(particleManager->count(), 256);
    // A freed place is taken again, the lowest first.
    particleManager->getTokens()[7].exists = false;
    spawnText(100, 100, "500");
    EXPECT_STREQ(particleManager->getTokens()[7].text, "500");
}

TEST(ParticlePool, ClearEndsEveryEffectAtOnce) {
    freshPool();
    spawnText(100, 100, "888");
    spawnExplosion(200, 200, 8);
    for (int i = 0; i < 40; ++i)
        particleManager->move();
    particleManager->clear();
    blackScreen();
    particleManager->draw();
    EXPECT_EQ(brightness(60, 80, 200, 160), 0);
}
