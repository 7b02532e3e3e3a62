// The fifteen minion kinds: each a short script keyed on age that glides out, fires and times out.
#include "objects/Enemy.h"

#include "maths/Maths.h"
#include "objects/Angle.h"
#include "objects/Player.h"
#include "objects/Random.h"
#include "objects/ShotBullet.h"
#include "objects/Vec2D.h"
#include "objects/World.h"

// Kinds 3/4 and 9/10 share a script; the kind number enters its arithmetic.
const Enemy::Behaviour Enemy::BEHAVIOURS[ENEMY_KINDS] = {
    &Enemy::behaveBoss, &Enemy::behave1,     &Enemy::behave2,     &Enemy::behave3or4,
    &Enemy::behave3or4, &Enemy::behave5,     &Enemy::behave6,     &Enemy::behave7,
    &Enemy::behave8,    &Enemy::behave9or10, &Enemy::behave9or10, &Enemy::behave11,
    &Enemy::behave12,   &Enemy::behave13,    &Enemy::behave14,    &Enemy::behave15,
};

void Enemy::damp(double f) {
    vx = static_cast<float>(vx * f);
    vy = static_cast<float>(vy * f);
}

void Enemy::fire(float angle, float speed, float ax_, float ay_) {
    fireBullet(x, y, angle, speed, ax_, ay_);
}

// Aimed pairs every 45 frames, a step faster every 90.
void Enemy::behave1() {
    if (age < 120)
        damp(0.9);
    else if (age > 510)
        destroy();
    if (age % 45 == 0 && age > 89) {
        double s = age / 90 + 1.5;
        fire(angleToPlayer(), static_cast<float>(s));
        fire(angleToPlayer(), static_cast<float>(0.9 * s));
    }
}

// Drifts to a stop, dashes away (or at the player, on some high levels), then fires a spread.
void Enemy::behave2() {
    if (age < 90) {
        damp(0.98);
    } else if (age == 90) {
        Vec2D d(player->x - x, player->y - y);
        d.normalize();
        bool towards = level % 5 == 1 && level > 19;
        ax = towards ? d.x : -d.x;
        ay = towards ? d.y : -d.y;
    } else if (age == 91) {
        float b = angleToPlayer() + static_cast<float>(randNext() % 10) - 5;
        fire(b, 2.0f);
        fire(b, 2.2f);
        fire(b + 60, 2.0f);
        fire(b + 60, 2.2f);
        fire(b - 60, 2.0f);
        fire(b - 60, 2.2f);
    }
    ax = static_cast<float>(ax * 0.85);
    ay = static_cast<float>(ay * 0.85);
}

// Sinks down its side of the screen with streams that speed up towards the other side.
void Enemy::behave3or4() {
    if (age < 150) {
        damp(0.935);
    } else if (age == 150) {
        vx = 0;
        vy = 4;
    } else if (age % 9 == 0) {
        float angle = static_cast<float>((kind - 3) * 180);
        float accel = static_cast<float>((kind - 3.5) * -0.1);
        fire(angle, 1.0f, accel, 0);
        fire(angle, 0.8f, accel, 0);
    }
}

// Alternating aimed fans of five and four directions.
void Enemy::behave5() {
    static const float FAN5[] = {-60, -30, 0, 30, 60};
    static const float FAN4[] = {-45, -15, 15, 45};
    if (age < 20) {
        damp(0.89);
    } else if (age == 80 || age == 140 || age == 200) {
        float aim = angleToPlayer();
        for (float offset : FAN5) {
            fire(aim + offset, 3.0f);
            fire(aim + offset, 2.8f);
        }
    } else if (age == 110 || age == 170 || age == 230) {
        float aim = angleToPlayer();
        for (float offset : FAN4) {
            fire(aim + offset, 3.0f);
            fire(aim + offset, 2.8f);
        }
    } else if (age > 290) {
        destroy();
    }
}

// A splinter of kind 7: two pairs around the player, then it climbs off the top.
void Enemy::behave6() {
    if (age < 60) {
        damp(0.9);
    } else if (age > 155) {
        vy = static_cast<float>(vy - 0.5);
    } else if (age % 50 == 0) {
        fire(angleToPlayer() - 30, 3.0f);
        fire(angleToPlayer() + 30, 3.0f);
    }
}

// Bursts into sixteen kind 6 and leaves its item behind.
void Enemy::behave7() {
    constexpr int SPLINTERS = 16;
    if (age < 60) {
        damp(0.9);
    } else if (age == 90) {
        for (int i = 0; i < SPLINTERS; ++i)
            create(6, x, y, 16, 16, static_cast<float>(i * 360 / SPLINTERS), 8);
    } else if (age > 90) {
        destroy();
    }
}

// A stream swinging 25 degrees either side of straight down.
void Enemy::behave8() {
    if (age < 120) {
        damp(0.9);
    } else if (age < 400 && age % 2 == 0) {
        double swing = 25 * maths::sin(2 * (age - 120) * maths::DEG_TO_RAD);
        fire(static_cast<float>(270 + swing), 6.0f);
    } else if (age > 460) {
        destroy();
    }
}

// A rotating double stream: clockwise for kind 9, counter-clockwise for kind 10.
void Enemy::behave9or10() {
    if (age < 120) {
        damp(0.9);
    } else if (age < 400 && age % 4 == 0) {
        // fmod keeps the sign, so kind 9 turns through 0, -12, -24, ...
        float angle = static_cast<float>(maths::fmod((kind - 9.5) * 2 * (3 * age), 360.0));
        float s = static_cast<float>(age / 60);
        fire(angle, s);
        fire(angle, static_cast<float>(0.95 * s));
    } else if (age == 460) {
        destroy();
    }
}

// Columns of four straight down; the pair of a wave turns back towards the middle and crosses.
void Enemy::behave11() {
    if (age < 60) {
        damp(0.935);
    } else if (age % 25 == 0) {
        fire(270, 4.0f);
        fire(270, 3.8f);
        fire(270, 1.0f);
        fire(270, 0.9f);
    } else if (age >= 290) {
        destroy();
    }
    if (age == 60) {
        if (x > SCREEN_CENTRE_X)
            vx = -1.5f;
        else if (x < SCREEN_CENTRE_X)
            vx = 1.5f;
        vy = 0;
    }
}

// A fixed ring and a ring turned towards the player.
void Enemy::behave12() {
    if (age < 60) {
        damp(0.9);
    } else if (age == 90) {
        float aim = angleToPlayer();
        for (int i = 0; i < 36; ++i) {
            fire(static_cast<float>(10 * i), 4.0f);
            fire(aim + static_cast<float>(10 * i), 4.4f);
        }
    } else if (age >= 195) {
        destroy();
    }
}

// Five-direction, three-speed spreads every 15 frames while in the upper half.
void Enemy::behave13() {
    static const float SPREAD[] = {-90, -45, 0, 45, 90};
    if (age < 60)
        damp(0.89);
    else
        vx = static_cast<float>(vx * 0.89);
    if (y < SCREEN_CENTRE_Y && age % 15 == 0) {
        float aim = angleToPlayer();
        for (float offset : SPREAD) {
            fire(aim + offset, 3.0f);
            fire(aim + offset, 2.5f);
            fire(aim + offset, 2.0f);
        }
    }
    if (age > 200) damp(0.8);
    if (age > 300) destroy();
}

// A fast ring and a slow ring, offset by half a step.
void Enemy::behave14() {
    if (age < 60) {
        damp(0.89);
    } else if (age == 120) {
        // The enemy stands still within its frame, so one aim serves the whole pattern.
        float aim = angleToPlayer();
        for (int i = 0; i < 360; i += 5) {
            fire(aim + static_cast<float>(i) + 2.5f, 9.0f);
            fire(aim + static_cast<float>(i), 2.0f);
        }
    } else if (age > 180) {
        destroy();
    }
}

// Two aimed runs of seven bullets, each faster than the one before.
void Enemy::behave15() {
    if (age < 32) {
        damp(0.89);
    } else if (age % 4 == 0 && age % 90 > 60 && age < 240) {
        fire(angleToPlayer(), static_cast<float>((age % 90 - 30) / 10.0));
    } else if (age > 300) {
        destroy();
    } else if (age > 200) {
        damp(0.8);
    }
}
