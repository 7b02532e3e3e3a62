// Vec2D: a throw-away two-float vector for steering, capture distances and homing.
#pragma once

#include <cmath>

class Vec2D {
  public:
    float x;
    float y;

    Vec2D(float x_, float y_) : x(x_), y(y_) {}

    void add(const Vec2D& v) {
        x += v.x;
        y += v.y;
    }
    void sub(const Vec2D& v) {
        x -= v.x;
        y -= v.y;
    }
    void mul(float s) {
        x *= s;
        y *= s;
    }
    void div(float s) {
        x /= s;
        y /= s;
    }
    // A zero vector stays zero: the ship stands still when no direction is held.
    void normalize() {
        float len = length();
        if (len == 0.0f) return;
        x /= len;
        y /= len;
    }
    float length() const { return std::sqrt(lengthSquared()); }
    float lengthSquared() const { return x * x + y * y; }
};
