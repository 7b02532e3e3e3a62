// Angle: from an angle and a speed to a velocity, and from a vector back to its angle.
#include "objects/Angle.h"

#include <cmath>

Vec2D velocity(float angle, float speed) {
    double a = angle * DEG_TO_RAD;
    return Vec2D(static_cast<float>(speed * std::cos(a)), static_cast<float>(-speed * std::sin(a)));
}

float angleOf(float dx, float dy) {
    return static_cast<float>(std::atan2(-dy, dx) * RAD_TO_DEG);
}
