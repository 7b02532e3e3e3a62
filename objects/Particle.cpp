// Particle: lives, motion and looks of every effect kind, and the seven ways to spawn effects.
#include "objects/Particle.h"

#include "objects/Angle.h"
#include "objects/Random.h"
#include "objects/World.h"
#include "plix/Plix.h"

#include <cstring>

namespace {

constexpr double SPARK_DRAG = 0.97;
constexpr int SPARK_LIFE_BASE = 80;
constexpr int SPARK_LIFE_SPREAD = 40;
// Sparks blink once their life drops below this, showing only every fourth frame.
constexpr int BLINK_FROM = 30;
// Texts stay opaque above this life and then fade to nothing.
constexpr int FADE_FROM = 30;
// Half the width of a font glyph: a text of n bytes starts 6 n to the left of where it is centred.
constexpr float HALF_GLYPH = 6;
constexpr const char* RECOVERY_TEXT = "RECOVERY!";

bool isSpark(int kind) {
    return kind == PK_EXPLOSION || kind == PK_DEBRIS || kind == PK_BOMB_BURST;
}

int startLife(int kind) {
    switch (kind) {
    case PK_RECOVERY:
    case PK_TEXT:
        return 60;
    case PK_FLASH:
        return 4;
    case PK_BULLET_CANCEL:
        return 16;
    default: // the spark kinds
        return SPARK_LIFE_BASE + static_cast<int>(randNext() % SPARK_LIFE_SPREAD);
    }
}

int randColour() {
    return static_cast<int>(randNext() % 255);
}

// The angle and speed are separate statements: the angle's draw must come before the speed's.
void spawnSparks(int kind, float x, float y, float size, int n) {
    for (int i = 0; i < n; ++i) {
        float angle = static_cast<float>(randNext() % 360);
        float speed = static_cast<float>(randNext() % 3 + 1);
        Particle::create(kind, x, y, size, size, angle, speed, nullptr);
    }
}

} // namespace

void Particle::init(int kind_, float x_, float y_, float w, float h, float angle, float speed) {
    kind = kind_;
    life = startLife(kind_);
    Vec2D v = velocity(angle, speed);
    set(x_, y_, w, h, w, h, v.x, v.y, 0, 0);
}

void Particle::create(int kind, float x, float y, float w, float h, float angle, float speed,
                      const char* text) {
    Particle* p = particleManager->getFreeToken();
    if (!p) return;
    p->init(kind, x, y, w, h, angle, speed);
    if (!text) text = "";
    std::strncpy(p->text, text, TEXT_CAPACITY - 1);
    p->text[TEXT_CAPACITY - 1] = '\0';
}

void Particle::move() {
    life -= 1;
    if (life < 1) exists = false;
    if (isSpark(kind)) {
        vx = static_cast<float>(vx * SPARK_DRAG);
        vy = static_cast<float>(vy * SPARK_DRAG);
    }
    step();
}

void Particle::draw() {
    switch (kind) {
    case PK_EXPLOSION:
    case PK_DEBRIS:
    case PK_BOMB_BURST: {
        if (life < BLINK_FROM && life % 4 != 0) return;
        // Separate statements keep the channels' draws in red, green, blue order.
        if (kind == PK_EXPLOSION) {
            int r = randColour();
            int b = randColour();
            drawBox(r, 255, b);
        } else if (kind == PK_DEBRIS) {
            int r = randColour();
            int g = randColour();
            drawBox(r, g, 255);
        } else {
            int g = randColour();
            int b = randColour();
            drawBox(255, g, b);
        }
        return;
    }
    case PK_FLASH: {
        int r = randColour();
        int g = randColour();
        drawBox(r, g, 255);
        return;
    }
    case PK_RECOVERY:
    case PK_TEXT: {
        int alpha = life > FADE_FROM ? 255 : life * 255 / FADE_FROM;
        Plix_drawText(kind == PK_RECOVERY ? RECOVERY_TEXT : text, static_cast<int>(x),
                      static_cast<int>(y), alpha);
        return;
    }
    case PK_BULLET_CANCEL: {
        int side = life / 4;
        if (side < 1) return;
        Plix_fillRect(static_cast<int>(x + width / 2), static_cast<int>(y + height / 2), side, side,
                      255, 0, 0);
        return;
    }
    default:
        return;
    }
}

void spawnExplosion(float x, float y, float size) {
    spawnSparks(PK_EXPLOSION, x, y, size, 8);
}

void spawnDebris(float x, float y, int n) {
    spawnSparks(PK_DEBRIS, x, y, 4, n);
}

void spawnRecovery(float x, float y) {
    Particle::create(PK_RECOVERY, x - 60, y, 0, 0, 90, 1, nullptr);
}

void spawnFlash(float x, float y) {
    Particle::create(PK_FLASH, x, y, 48, 48, 0, 0, nullptr);
}

void spawnBombBurst(float x, float y) {
    spawnSparks(PK_BOMB_BURST, x, y, 4, 4);
}

void spawnText(float x, float y, const char* text) {
    if (!text) text = "";
    float len = static_cast<float>(std::strlen(text));
    Particle::create(PK_TEXT, x - HALF_GLYPH * len, y, 0, 0, 90, 1, text);
}

void spawnBulletCancel(float x, float y) {
    Particle::create(PK_BULLET_CANCEL, x, y, 8, 8, 0, 0, nullptr);
}
