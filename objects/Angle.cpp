// Angle: velocities and angles, on the game's own sine, cosine and arc tangent.
#include "objects/Angle.h"

#include "maths/Maths.h"

Vec2D velocity(float angle, float speed) {
    double a = angle * maths::DEG_TO_RAD;
    return Vec2D(static_cast<float>(speed * maths::cos(a)),
                 static_cast<float>(-speed * maths::sin(a)));
}

float angleOf(float dx, float dy) {
    return static_cast<float>(maths::atan2(-dy, dx) * maths::RAD_TO_DEG);
}
