// Angle: the game's angle maths, in degrees counter-clockwise on screen (0 right, 90 up).
#pragma once

#include "objects/Vec2D.h"

constexpr double DEG_TO_RAD = 3.14159265358979323846 / 180.0;
constexpr double RAD_TO_DEG = 180.0 / 3.14159265358979323846;

// Angle a and speed s give (s cos a, -s sin a), since screen y grows downwards. Worked in double
// precision and rounded to float once per component: the same bits for every object started from an
// angle, which the replays rest on.
Vec2D velocity(float angle, float speed);

// The angle of the vector (dx, dy), -180 to 180: atan2 of the two floats themselves, in float.
float angleOf(float dx, float dy);
