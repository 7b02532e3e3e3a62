// Angle: the game's angles, in degrees counter-clockwise on screen (0 right, 90 up), as velocities.
#pragma once

#include "objects/Vec2D.h"

// Angle a and speed s give (s cos a, -s sin a), since screen y grows downwards. Worked in double
// precision and rounded to float once per component: the same bits for every object started from an
// angle, which the replays rest on.
Vec2D velocity(float angle, float speed);

// The angle of the vector (dx, dy), -180 to 180: the arc tangent of the two floats, in float.
float angleOf(float dx, float dy);
