// Particles: the seven spawns, their lives and drag, blinking and fading, and the full pool.
#include "plix/Plix.h"
#include "support/FightSupport.h"

#include <SDL/SDL.h>
#include <gtest/gtest.h>
#include <string>

using namespace fight;

namespace {

// Red, green and blue of a screen pixel summed when `channel` is -1, else the one channel.
int pixel(int x, int y, int channel = -1) {
    SDL_Surface* s = SDL_GetVideoSurface();
    int bpp = s->format->BytesPerPixel;
    Uint32 v = 0;
    std::memcpy(&v, static_cast<Uint8*>(s->pixels) + y * s->pitch + x * bpp, bpp);
    Uint8 c[3];
    SDL_GetRGB(v, s->format, &c[0], &c[1], &c[2]);
    return channel < 0 ? c[0] + c[1] + c[2] : c[channel];
}

long brightness(int x0, int y0, int w, int h) {
    long sum = 0;
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x)
            sum += pixel(x, y);
    return sum;
}

Particle& freshPool() {
    newGame(0, 1);
    particleManager->clear();
    Plix_fillRect(0, 0, 0, 0, 0, 0, 0);
    return particleManager->getTokens()[0];
}

} // namespace

TEST(ParticleSpawn, SparksDrawAngleThenSpeedThenLife) {
    struct Case {
        int kind, count;
        float size;
        void (*spawn)();
    } cases[] = {{PK_EXPLOSION, 8, 5, [] { spawnExplosion(100, 200, 5); }},
                 {PK_DEBRIS, 3, 4, [] { spawnDebris(100, 200, 3); }},
                 {PK_BOMB_BURST, 4, 4, [] { spawnBombBurst(100, 200); }}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        freshPool();
        randSeed(42);
        c.spawn();
        randSeed(42);
        auto made = alive(particleManager);
        ASSERT_EQ(static_cast<int>(made.size()), c.count);
        for (Particle* p : made) {
            double angle = randNext() % 360 * M_PI / 180, speed = randNext() % 3 + 1;
            EXPECT_EQ(p->life, 80 + static_cast<int>(randNext() % 40));
            EXPECT_TRUE(p->kind == c.kind && p->width == c.size && p->x == 100 && !p->text[0]);
            EXPECT_FLOAT_EQ(p->vx, static_cast<float>(speed * std::cos(angle)));
            EXPECT_FLOAT_EQ(p->vy, static_cast<float>(-speed * std::sin(angle)));
        }
    }
}

TEST(ParticleSpawn, SingleEffectsAndTheirTexts) {
    freshPool();
    spawnRecovery(100, 300);
    spawnFlash(50, 60);
    spawnText(160, 240, "CRAZY MODE");
    spawnBulletCancel(30, 40);
    struct Want {
        int kind;
        float x, width, vy;
        int life;
    } wants[] = {{PK_RECOVERY, 40, 0, -1, 60},
                 {PK_FLASH, 50, 48, 0, 4},
                 {PK_TEXT, 100, 0, -1, 60},
                 {PK_BULLET_CANCEL, 30, 8, 0, 16}};
    auto made = alive(particleManager);
    ASSERT_EQ(made.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        const Want& w = wants[i];
        EXPECT_TRUE(made[i]->kind == w.kind && made[i]->x == w.x && made[i]->width == w.width) << i;
        EXPECT_NEAR(made[i]->vy, w.vy, 1e-6) << i;
        EXPECT_EQ(made[i]->life, w.life) << i;
    }
    EXPECT_STREQ(made[2]->text, "CRAZY MODE");
    made[2]->move();
    EXPECT_EQ(made[2]->y, 239) << "the text is first drawn a pixel higher";
    // A text too long for the particle is cut, never overrun, but placed by its whole length.
    spawnText(1000, 100, std::string(100, '7').c_str());
    const Particle& cut = particleManager->getTokens()[4];
    EXPECT_EQ(std::strlen(cut.text), static_cast<size_t>(Particle::TEXT_CAPACITY - 1));
    EXPECT_EQ(cut.x, 400);
}

TEST(ParticleLife, FramesShownDragAndTheEndOfAll) {
    struct Case {
        void (*spawn)();
        int shown;
    } cases[] = {{[] { spawnText(100, 100, "500"); }, 59},
                 {[] { spawnRecovery(100, 100); }, 59},
                 {[] { spawnFlash(100, 100); }, 3},
                 {[] { spawnBulletCancel(100, 100); }, 15},
                 {[] { spawnExplosion(100, 100, 4); }, -1}}; // its drawn life less one
    for (const Case& c : cases) {
        Particle& p = freshPool();
        c.spawn();
        int want = c.shown < 0 ? p.life - 1 : c.shown, shown = 0;
        for (int f = 0; f < 200; ++f) {
            particleManager->move();
            shown += p.exists;
        }
        EXPECT_EQ(shown, want);
    }
    // Sparks slow by 3 percent a frame, the product taken in double; other kinds keep their speed.
    Particle& p = freshPool();
    Particle::create(PK_DEBRIS, 100, 100, 4, 4, 0, 3, nullptr);
    Particle::create(PK_TEXT, 0, 100, 0, 0, 90, 1, "1");
    particleManager->move();
    EXPECT_EQ(p.vx, static_cast<float>(3 * 0.97));
    EXPECT_NEAR(p.x, 102.91, 1e-4);
    particleManager->move();
    EXPECT_EQ(p.vx, static_cast<float>(static_cast<float>(3 * 0.97) * 0.97));
    EXPECT_EQ(particleManager->getTokens()[1].y, 98);
    // A cleared pool draws nothing, even halfway through a fade.
    particleManager->clear();
    particleManager->draw();
    EXPECT_EQ(brightness(60, 80, 200, 160), 0);
}

TEST(ParticleDraw, SparksBlinkBelowThirtyCancelSquaresShrinkTextsFade) {
    Particle& spark = freshPool();
    Particle::create(PK_EXPLOSION, 100, 100, 6, 6, 0, 0, nullptr);
    const int SHOWN[][2] = {{30, 1}, {29, 0}, {28, 1}, {31, 1}, {1, 0}, {4, 1}}; // life, drawn
    for (auto [life, shown] : SHOWN) {
        spark.life = life;
        Plix_fillRect(0, 0, 0, 0, 0, 0, 0);
        randSeed(9);
        spark.draw();
        uint64_t after = randState();
        randSeed(9);
        for (int i = 0; i < (shown ? 2 : 0); ++i)
            randNext();
        EXPECT_EQ(after, randState()) << life << ": two colour draws when shown, none when hidden";
        EXPECT_EQ(pixel(100, 100, 1), shown ? 255 : 0) << life << ": full green when shown";
    }
    // The square's corner is the box's lower right corner (104, 104); sides 3, 2, 1, then none.
    Particle& cancel = freshPool();
    spawnBulletCancel(100, 100);
    const int SIDES[][2] = {{15, 3}, {8, 2}, {4, 1}, {3, 0}}; // life, side
    for (auto [life, side] : SIDES) {
        cancel.life = life;
        Plix_fillRect(0, 0, 0, 0, 0, 0, 0);
        cancel.draw();
        for (int d = -1; d < 4; ++d)
            EXPECT_EQ(pixel(104 + d, 104 + d, 0) > 200, d >= 0 && d < side) << life << " " << d;
    }
    // Texts: full until 30, about half at 15 (the dummy screen's palette rounds), fainter after.
    Particle& text = freshPool();
    spawnText(100, 100, "888");
    auto shine = [&](int life) {
        text.life = life;
        Plix_fillRect(0, 0, 0, 0, 0, 0, 0);
        text.draw();
        return brightness(70, 90, 80, 40);
    };
    long full = shine(60);
    ASSERT_GT(full, 0);
    EXPECT_TRUE(shine(31) == full && shine(30) == full);
    double half = static_cast<double>(shine(15)) / full;
    EXPECT_TRUE(half > 0.3 && half < 0.7) << half;
    EXPECT_LT(shine(10), shine(20));
    EXPECT_LE(shine(1), shine(10));
}

TEST(ParticlePool, AFullPoolDropsExtrasSilentlyAndRefillsTheLowestPlace) {
    freshPool();
    for (int i = 0; i < 250; ++i)
        spawnFlash(10, 10);
    spawnExplosion(100, 100, 8);
    EXPECT_EQ(particleManager->count(), 256);
    EXPECT_EQ(particleManager->getTokens()[250].kind, PK_EXPLOSION);
    EXPECT_EQ(particleManager->getTokens()[255].kind, PK_EXPLOSION) << "six sparks of eight";
    spawnText(100, 100, "100");
    spawnRecovery(100, 100);
    spawnDebris(100, 100, 8);
    EXPECT_EQ(particleManager->count(), 256);
    particleManager->getTokens()[7].exists = false;
    spawnText(100, 100, "500");
    EXPECT_STREQ(particleManager->getTokens()[7].text, "500");
}
