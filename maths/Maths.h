// Maths: the game's and the asset generator's own sine, cosine, arc tangent, remainder,
// exponential, power, tanh, logarithm and rounding, and the constants under them.
#pragma once

#include "maths/DoubleDouble.h"

#include <limits>

// Every replay and every generated sound rests on these rather than on the C library's, which
// rounds differently from one release to the next and from one library to another: each is built
// from
// + - * / alone, in a fixed order, and rounded to its result once.
namespace maths {

constexpr double NOT_A_NUMBER = std::numeric_limits<double>::quiet_NaN();
constexpr double INFINITE = std::numeric_limits<double>::infinity();

// pi, pi/2 and pi/4 to 106 bits, and the floats nearest to pi, pi/2, pi/4 and 3 pi/4.
constexpr DoubleDouble PI = {0x1.921fb54442d18p+1, 0x1.1a62633145c07p-53};
constexpr DoubleDouble PI_2 = {0x1.921fb54442d18p+0, 0x1.1a62633145c07p-54};
constexpr DoubleDouble PI_4 = {0x1.921fb54442d18p-1, 0x1.1a62633145c07p-55};
constexpr float PI_F = 0x1.921fb6p+1f;
constexpr float PI_2_F = 0x1.921fb6p+0f;
constexpr float PI_4_F = 0x1.921fb6p-1f;
constexpr float PI_3_4_F = 0x1.2d97c8p+1f;

// Degrees to radians and back, in double.
constexpr double DEG_TO_RAD = PI.hi / 180.0;
constexpr double RAD_TO_DEG = 180.0 / PI.hi;

// --- the game's (Trig.cpp) ------------------------------------------------------------------

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

// --- the asset generator's (Exp.cpp), each within one unit in the last place ----------------

float sin(float x);
float cos(float x);
float exp(float x);
// base to the power exponent, for a positive base; NaN for a negative one.
float pow(float base, float exponent);
float tanh(float x);
float log10(float x);
double log10(double x);
float floor(float x);
// The nearest whole number, halves away from zero, for |x| below 2^31.
long lround(float x);

} // namespace maths
