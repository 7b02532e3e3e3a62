// Maths: the generator's own exp, pow, tanh, log10, floor and rounding, beside the game's sin and
// cos.
#pragma once

#include "objects/Angle.h"

// The sounds are built from these alone, not from the C library's, so that they rebuild bit for bit
// whatever the library: each is worked in double or double-double from + - * / and rounded to its
// result once, which leaves it within one unit in the last place.
namespace maths {

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
