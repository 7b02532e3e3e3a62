// Angle: the game's angle maths, in degrees counter-clockwise on screen (0 right, 90 up).
#pragma once

#include "objects/DoubleDouble.h"
#include "objects/Vec2D.h"

constexpr double DEG_TO_RAD = 3.14159265358979323846 / 180.0;
constexpr double RAD_TO_DEG = 180.0 / 3.14159265358979323846;

// Angle a and speed s give (s cos a, -s sin a), since screen y grows downwards. Worked in double
// precision and rounded to float once per component: the same bits for every object started from an
// angle, which the replays rest on.
Vec2D velocity(float angle, float speed);

// The angle of the vector (dx, dy), -180 to 180: the arc tangent of the two floats, in float.
float angleOf(float dx, float dy);

// The functions under the game's angles, of our own rather than the C library's, so that every
// library, compiler and CPU plays the same game: each is built from + - * / alone, in a fixed
// order.
namespace maths {

// The sine and cosine of x radians, correctly rounded (barring a tie closer than 2^-100), for
// |x| < 2^20; NaN beyond, where no angle of the game lies, and for an infinity or a NaN.
double sin(double x);
double cos(double x);

// The arc tangent of y / x in the quadrant of (x, y), -pi to pi, correctly rounded to float, with
// the signed zeros and infinities of C's atan2f.
float atan2(float y, float x);

// x - n m for the whole n, rounded towards zero, that leaves |result| < m; exact, like C's fmod.
// Finite x and a positive finite m only.
double fmod(double x, double m);

// The parts of sin and cos, for their tests: for |r| <= pi/4, sin r (or cos r) quickly from a
// table to within 2^-64, the same from the series alone to within 2^-100, and whether every value
// within the quick result's error rounds to the same double.
namespace detail {
DoubleDouble quickSinCos(DoubleDouble r, bool cosine);
DoubleDouble seriesSinCos(DoubleDouble r, bool cosine);
bool quickIsSure(DoubleDouble v);
} // namespace detail

} // namespace maths
