// Particles: the seven spawns and their lives, blinking and fading, and the full pool.
#include "plix/Plix.h"
#include "support/FightSupport.h"

#include <SDL/SDL.h>
#include <gtest/gtest.h>
#include <tuple>

using namespace fight;

namespace {

// Red + green + blue summed over a rectangle of the screen.
long brightness(int x0, int y0, int w, int h) {
    SDL_Surface* s = SDL_GetVideoSurface();
    int bpp = s->format->BytesPerPixel;
    long sum = 0;
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x) {
            Uint32 v = 0;
            Uint8 r, g, b;
            std::memcpy(&v, static_cast<Uint8*>(s->pixels) + y * s->pitch + x * bpp, bpp);
            SDL_GetRGB(v, s->format, &r, &g, &b);
            sum += r + g + b;
        }
    return sum;
}

// An empty pool on a black screen; the next particle spawned takes place 0.
Particle& freshPool() {
    newGame(0, 1);
    particleManager->clear();
    Plix_fillRect(0, 0, 0, 0, 0, 0, 0);
    return particleManager->getTokens()[0];
}

// Frames in which the particle is alive after its move, as the pool draws it.
int framesShown(const Particle& p) {
    int shown = 0;
    for (int f = 0; f < 200; ++f, shown += p.exists)
        particleManager->move();
    return shown;
}

} // namespace

TEST(ParticleSpawn, EachSpawnStartsItsParticlesAndTheyLastByTheirKind) {
    // Sparks: kind, count, size. Each draws angle, speed, life and shows all but its last frame.
    const std::tuple<int, int, float, void (*)()> SPARKS[] = {
        {PK_EXPLOSION, 8, 5, [] { spawnExplosion(100, 200, 5); }},
        {PK_DEBRIS, 3, 4, [] { spawnDebris(100, 200, 3); }},
        {PK_BOMB_BURST, 4, 4, [] { spawnBombBurst(100, 200); }}};
    for (const auto& [kind, count, size, spawn] : SPARKS) {
        Particle& first = freshPool();
        randSeed(42);
        spawn();
        randSeed(42);
        auto made = alive(particleManager);
        ASSERT_EQ(static_cast<int>(made.size()), count) << kind;
        for (Particle* p : made) {
            double angle = randNext() % 360 * M_PI / 180, speed = randNext() % 3 + 1;
            EXPECT_EQ(p->life, 80 + static_cast<int>(randNext() % 40)) << kind;
            EXPECT_TRUE(p->kind == kind && p->width == size && p->x == 100 && !p->text[0]);
            EXPECT_FLOAT_EQ(p->vx, static_cast<float>(speed * std::cos(angle))) << kind;
            EXPECT_FLOAT_EQ(p->vy, static_cast<float>(-speed * std::sin(angle))) << kind;
        }
        int life = first.life;
        EXPECT_EQ(framesShown(first), life - 1) << kind;
    }
    // The spawn, then its kind, x, width, vy, life and frames shown.
    const std::tuple<void (*)(), int, float, float, float, int, int> SINGLES[] = {
        {[] { spawnRecovery(100, 300); }, PK_RECOVERY, 40, 0, -1, 60, 59},
        {[] { spawnFlash(50, 60); }, PK_FLASH, 50, 48, 0, 4, 3},
        {[] { spawnText(160, 240, "CRAZY MODE"); }, PK_TEXT, 100, 0, -1, 60, 59},
        {[] { spawnBulletCancel(30, 40); }, PK_BULLET_CANCEL, 30, 8, 0, 16, 15}};
    for (const auto& [spawn, kind, x, width, vy, life, shown] : SINGLES) {
        Particle& p = freshPool();
        spawn();
        EXPECT_TRUE(p.kind == kind && p.x == x && p.width == width && p.vy == vy && p.life == life)
            << kind;
        EXPECT_EQ(framesShown(p), shown) << kind;
    }
}

TEST(ParticleDraw, SparksBlinkBelowThirtyTextsFadeOverThirtyAClearedPoolShowsNothing) {
    Particle& spark = freshPool();
    Particle::create(PK_EXPLOSION, 100, 100, 6, 6, 0, 0, nullptr);
    const int SHOWN[][2] = {{30, 1}, {29, 0}, {28, 1}, {31, 1}, {1, 0}, {4, 1}}; // life, drawn
    for (auto [life, shown] : SHOWN) {
        spark.life = life;
        Plix_fillRect(0, 0, 0, 0, 0, 0, 0);
        spark.draw();
        EXPECT_EQ(brightness(100, 100, 1, 1) > 0, shown == 1) << life;
    }
    // Texts: full down to 30, about half at 15 (the dummy screen's palette rounds), then fainter.
    Particle& text = freshPool();
    spawnText(100, 100, "888");
    auto at = [&](int life) {
        text.life = life;
        Plix_fillRect(0, 0, 0, 0, 0, 0, 0);
        particleManager->draw();
        return static_cast<double>(brightness(70, 90, 80, 40));
    };
    double full = at(60), half = at(15) / full;
    EXPECT_TRUE(full > 0 && at(31) == full && at(30) == full);
    EXPECT_TRUE(half > 0.3 && half < 0.7) << half;
    EXPECT_TRUE(at(1) <= at(10) && at(10) < at(20));
    particleManager->clear();
    EXPECT_EQ(at(15), 0) << "nothing is drawn after a clear, even halfway through a fade";
}

TEST(ParticlePool, AFullPoolDropsExtrasSilently) {
    freshPool();
    for (int i = 0; i < 250; ++i)
        spawnFlash(10, 10);
    spawnExplosion(100, 100, 8); // six of its eight sparks fit
    EXPECT_EQ(particleManager->count(), 256);
    EXPECT_EQ(particleManager->getTokens()[255].kind, PK_EXPLOSION);
}
