// Shot and Bullet: straight shots, accelerating bullets with their wobble, and the level's firing
// rules.
#include "objects/ShotBullet.h"

#include "objects/Angle.h"
#include "objects/World.h"
#include "plix/Plix.h"

namespace {
constexpr float SHOT_SIZE = 4;
constexpr float BULLET_SIZE = 8;
// Each look lasts 3 frames; four looks make the 12-frame wobble.
constexpr int BULLET_PHASE_FRAMES = 3;
constexpr int BULLET_PHASES = 4;
} // namespace

void Shot::init(float x_, float y_, float angle, float speed) {
    Vec2D v = velocity(angle, speed);
    set(x_, y_, SHOT_SIZE, SHOT_SIZE, SHOT_SIZE, SHOT_SIZE, v.x, v.y, 0, 0);
}

void Shot::move() {
    step();
    if (isOutside()) exists = false;
}

void Shot::draw() {
    drawBox(128, 128, 255);
}

void Shot::create(float x_, float y_, float angle, float speed) {
    Shot* s = shotManager->getFreeToken();
    if (s) s->init(x_, y_, angle, speed);
}

void Bullet::init(float x_, float y_, float width_, float height_, float angle, float speed,
                  float ax_, float ay_) {
    age = 0;
    Vec2D v = velocity(angle, speed);
    set(x_, y_, width_, height_, width_, height_, v.x, v.y, ax_, ay_);
}

void Bullet::move() {
    step();
    if (isOutside()) exists = false;
    ++age;
}

void Bullet::draw() {
    float dw = drawWidth, dh = drawHeight;
    switch (age / BULLET_PHASE_FRAMES % BULLET_PHASES) {
    case 0: // flat
        Plix_fillRect(static_cast<int>(x - dw / 2 - 1), static_cast<int>(y - dh / 2 + 1),
                      static_cast<int>(dw) + 2, static_cast<int>(dh) - 2, 255, 128, 0);
        break;
    case 2: // tall
        Plix_fillRect(static_cast<int>(x - dw / 2 + 1), static_cast<int>(y - dh / 2 - 1),
                      static_cast<int>(dw) - 2, static_cast<int>(dh) + 2, 255, 0, 0);
        break;
    default:
        drawBox(255, 64, 0);
        break;
    }
}

void fireBulletDirect(float x, float y, float angle, float speed, float ax, float ay) {
    Bullet* b = bulletManager->getFreeToken();
    if (!b) return;
    b->init(x, y, BULLET_SIZE, BULLET_SIZE, angle, speed, ax, ay);
}

void fireBullet(float x, float y, float angle, float speed, float ax, float ay) {
    if (level % 5 == 2) speed = static_cast<float>(speed * (level < 20 ? 1.5 : 1.8));
    Bullet* b = bulletManager->getFreeToken();
    if (!b) return;
    b->init(x, y, BULLET_SIZE, BULLET_SIZE, angle, speed, ax, ay);
    if (level % 5 == 3) {
        // The twin follows the same line, slower; no room for the first means no twin either.
        Bullet* twin = bulletManager->getFreeToken();
        if (!twin) return;
        twin->init(x, y, BULLET_SIZE, BULLET_SIZE, angle, static_cast<float>(speed * 0.8), ax, ay);
    }
}
