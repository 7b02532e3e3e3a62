// Item and Bomb: the pick-up's pop, drag, fall and spinning squares; the bomb's flight and burst.
#include "objects/ItemBomb.h"

#include "maths/Maths.h"
#include "objects/Angle.h"
#include "objects/Particle.h"
#include "objects/Random.h"
#include "objects/World.h"
#include "plix/Plix.h"

namespace {

constexpr float ITEM_SIZE = 16;
// Items are easier to take than they look: the hit box is this many times the drawn square.
constexpr float ITEM_REACH = 2.5f;
constexpr double ITEM_DRAG = 0.98;
constexpr double ITEM_PULL = 0.06;
// The item's four squares turn about its centre; the game has always used this value of pi.
constexpr double ITEM_PI = 3.141592;
constexpr double ITEM_SPIN = 0.1;
constexpr double ITEM_ORBIT = 6;
constexpr int ITEM_SQUARE = 8;
constexpr float BOMB_SIZE = 16;

} // namespace

void Item::init(float x_, float y_, float w, float h, float angle, float speed, float ax_,
                float ay_) {
    age = 0;
    Vec2D v = velocity(angle, speed);
    set(x_, y_, w * ITEM_REACH, h * ITEM_REACH, w, h, v.x, v.y, ax_, ay_);
}

void Item::create(float x, float y, float angle, float speed, float ax, float ay) {
    Item* item = itemManager->getFreeToken();
    if (!item) return;
    item->init(x, y, ITEM_SIZE, ITEM_SIZE, angle, speed, ax, ay);
}

void Item::move() {
    step();
    age += 1;
    // Drag first, then the pull: the falling speed settles where 0.98 v + 0.06 = v, at 3.
    vx = static_cast<float>(vx * ITEM_DRAG);
    vy = static_cast<float>(vy * ITEM_DRAG);
    vy = static_cast<float>(vy + ITEM_PULL);
    if (isOutside()) exists = false;
}

void Item::draw() {
    for (int i = 0; i < 4; ++i) {
        double a = i * ITEM_PI / 2 + age * ITEM_SPIN;
        Plix_fillRect(static_cast<int>(x - ITEM_ORBIT * maths::sin(a) - ITEM_SQUARE / 2),
                      static_cast<int>(y - ITEM_ORBIT * maths::cos(a) - ITEM_SQUARE / 2),
                      ITEM_SQUARE, ITEM_SQUARE, 255, 255, 0);
    }
}

void Bomb::init(float x_, float y_, float w, float h, float angle, float speed, float ax_,
                float ay_) {
    Vec2D v = velocity(angle, speed);
    set(x_, y_, w, h, w, h, v.x, v.y, ax_, ay_);
}

void Bomb::create(float x, float y, float angle, float speed, float ax, float ay) {
    Bomb* bomb = bombManager->getFreeToken();
    if (!bomb) return;
    bomb->init(x, y, BOMB_SIZE, BOMB_SIZE, angle, speed, ax, ay);
}

void Bomb::explode() {
    exists = false;
    spawnBombBurst(x, y);
}

void Bomb::move() {
    step();
    if (isOutside()) exists = false;
}

void Bomb::draw() {
    // Green is drawn before blue; the two draws are kept in separate statements for that order.
    int g = static_cast<int>(randNext() % 255);
    int b = static_cast<int>(randNext() % 255);
    drawBox(255, g, b);
}
