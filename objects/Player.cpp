// Player: steering at two speeds, volleys without pods, the capture burst with them, hits and
// pick-ups.
#include "objects/Player.h"

#include "flow/GameMain.h"
#include "flow/Input.h"
#include "flow/Resources.h"
#include "maths/Maths.h"
#include "objects/Angle.h"
#include "objects/ItemBomb.h"
#include "objects/Particle.h"
#include "objects/Random.h"
#include "objects/ShotBullet.h"
#include "objects/Vec2D.h"
#include "objects/World.h"
#include "plix/Plix.h"

#include <algorithm>

namespace {
// The gauge drifts back to this resting value, one step per frame.
constexpr int GAUGE_REST = 10;
constexpr int GAUGE_PER_CAPTURE = 20;
// gauge / 20 is the ratio's capture part; 199 keeps it at 9.
constexpr int GAUGE_MAX = 199;
constexpr int VOLLEY_SPREAD_STEPS = 8;
constexpr float VOLLEY_SPREAD_DEG = 5;
constexpr float GUN_OFFSET = 4;
constexpr int PICKUP_CHARGE = 120;
constexpr int PICKUP_SCORE = 500;
} // namespace

void Player::init(float x_, float y_, float drawWidth_, float drawHeight_) {
    charge = CHARGE_START;
    podAngle = 90;
    hasPods = true;
    set(x_, y_, HIT_SIZE, HIT_SIZE, drawWidth_, drawHeight_, 0, 0, 0, 0);
    // The pods start on the ship and swing out to their places in the first step.
    podLeft.set(x_, y_, POD_SIZE, POD_SIZE, POD_SIZE, POD_SIZE, 0, 0, 0, 0);
    podRight.set(x_, y_, POD_SIZE, POD_SIZE, POD_SIZE, POD_SIZE, 0, 0, 0, 0);
    // Only a capture places the boxes, and it tests them at once; left over from the last game they
    // would make two equal games look different to anyone who reads them in between.
    catchLeft = Token();
    catchRight = Token();
}

void Player::move() {
    int& gauge = gameMain->gauge;
    if (gauge > GAUGE_REST) --gauge;
    if (gauge < GAUGE_REST) ++gauge;

    if (shotWait >= 1) {
        --shotWait;
    } else if (inputZ()) {
        // With pods the button only keeps the rhythm, so a capture mode push does not shorten it.
        if (!hasPods) {
            Shot::create(x - GUN_OFFSET, y, 90, SHOT_SPEED);
            Shot::create(x + GUN_OFFSET, y, 90, SHOT_SPEED);
            ++volley;
            int k = volley % VOLLEY_SPREAD_STEPS;
            Shot::create(x, y, 90 - VOLLEY_SPREAD_DEG * k, SHOT_SPEED);
            Shot::create(x, y, 90 + VOLLEY_SPREAD_DEG * k, SHOT_SPEED);
        }
        shotWait = VOLLEY_WAIT;
    }

    if (hasPods) {
        if (charge < CHARGE_COST) {
            ++charge;
        } else {
            charge = std::min(charge + 1, CHARGE_MAX);
            if (inputZPushed()) capture();
        }
    }

    step();
}

void Player::capture() {
    Plix_playWAV(SOUND_KREEL, 0);
    charge -= CHARGE_COST;
    spawnFlash(podLeft.x, podLeft.y);
    spawnFlash(podRight.x, podRight.y);
    catchLeft.set(podLeft.x, podLeft.y, CATCH_SIZE, CATCH_SIZE, CATCH_SIZE, CATCH_SIZE, 0, 0, 0, 0);
    catchRight.set(podRight.x, podRight.y, CATCH_SIZE, CATCH_SIZE, CATCH_SIZE, CATCH_SIZE, 0, 0, 0,
                   0);

    int& gauge = gameMain->gauge;
    for (Bullet& b : *bulletManager) {
        if (!b.exists) continue;
        bool inLeft = catchLeft.hits(b);
        bool inRight = catchRight.hits(b);
        if (inLeft && inRight) {
            // A bullet between the pods goes to the nearer box; a tie goes left, so it makes one
            // bomb.
            Vec2D toLeft(b.x - catchLeft.x, b.y - catchLeft.y);
            Vec2D toRight(b.x - catchRight.x, b.y - catchRight.y);
            if (toRight.length() >= toLeft.length())
                inRight = false;
            else
                inLeft = false;
        }
        if (inLeft) {
            Bomb::create(b.x, b.y, 180 - podAngle, BOMB_SPEED, 0, 0);
            gauge += GAUGE_PER_CAPTURE;
            b.exists = false;
        }
        if (inRight) {
            Bomb::create(b.x, b.y, podAngle, BOMB_SPEED, 0, 0);
            gauge += GAUGE_PER_CAPTURE;
            b.exists = false;
        }
    }
    if (gauge > GAUGE_MAX) gauge = GAUGE_MAX;
}

void Player::step() {
    float speed = inputZ() ? SPEED_SLOW : SPEED_NORMAL;
    // Tested in this order, so right beats left and down beats up.
    Vec2D d(0, 0);
    if (inputLeft()) d.x = -1;
    if (inputUp()) d.y = -1;
    if (inputRight()) d.x = 1;
    if (inputDown()) d.y = 1;
    d.normalize();
    x += d.x * speed;
    y += d.y * speed;

    if (x < 0) x = 0;
    if (x > SCREEN_WIDTH - width) x = SCREEN_WIDTH - width;
    if (y < 0) y = 0;
    if (y > SCREEN_HEIGHT - height) y = SCREEN_HEIGHT - height;

    if (hasPods) updatePods();
}

void Player::updatePods() {
    double a = podAngle * maths::DEG_TO_RAD;
    double armX = POD_ARM * maths::cos(a);
    double armY = POD_ARM * maths::sin(a);
    podLeft.x = static_cast<float>(x - 5 - armX);
    podLeft.y = static_cast<float>(y - 4 - armY);
    podRight.x = static_cast<float>(x + 5 + armX);
    podRight.y = podLeft.y;
}

void Player::damage() {
    // The scene cleared the frame before this and draws the objects after it: a white background.
    Plix_fillRect(0, 0, 0, 0, 255, 255, 255);
    gameMain->gauge /= 2;
    if (gameMain->bonus > 0) --gameMain->bonus;
    if (hasPods) {
        charge = 0;
        hasPods = false;
        spawnDebris(podRight.x, podRight.y, 4);
        spawnDebris(podLeft.x, podLeft.y, 4);
    } else {
        spawnDebris(x, y, 8);
        exists = false;
    }
    Plix_playWAV(SOUND_DAMAGE, 0);
}

void Player::pickUp() {
    Plix_playWAV(SOUND_KIN, 0);
    charge = std::min(charge + PICKUP_CHARGE, CHARGE_MAX);
    if (!hasPods) {
        spawnRecovery(x, y);
        hasPods = true;
    } else {
        spawnText(x, y, "500");
        gameMain->addScore(PICKUP_SCORE);
        ++gameMain->bonus;
    }
}

void Player::draw() {
    drawBox(64, 64, 255);
    if (!hasPods) return;
    if (inputZ()) {
        podLeft.drawBox(128, 128, 255);
        podRight.drawBox(128, 128, 255);
    } else {
        podLeft.drawBox(255, 255, 0);
        podRight.drawBox(255, 255, 0);
    }
    int barWidth = charge * BAR_WIDTH / CHARGE_MAX;
    if (charge < CHARGE_COST) {
        Plix_fillRect(BAR_LEFT, 450, barWidth, 5, 0, 0, 128);
    } else {
        // A ready capture flickers; the draws go red, green, blue.
        int r = static_cast<int>(randNext() % 255);
        int g = static_cast<int>(randNext() % 255);
        int b = static_cast<int>(randNext() % 255);
        Plix_fillRect(BAR_LEFT, 450, barWidth, 5, r, g, b);
    }
}
