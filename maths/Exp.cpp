// Exp: the generator's exponentials and logarithms from their series, with the argument reduced by
// powers of two, and its float sine, cosine and rounding.
#include "maths/Maths.h"

#include <array>
#include <cstdint>
#include <cstring>

using namespace maths;

namespace {

// ln 2 to 106 bits, and in two parts whose first has 42 bits, so that k times it is exact for
// |k| < 2^11; 1/ln 2 and 1/ln 10.
constexpr DoubleDouble LN2 = {0x1.62e42fefa39efp-1, 0x1.abc9e3b39803fp-56};
constexpr double LN2_PART1 = 0x1.62e42fefa38p-1;
constexpr double LN2_PART2 = 0x1.ef35793c7673p-45;
constexpr double INVERSE_LN2 = 0x1.71547652b82fep+0;
constexpr DoubleDouble INVERSE_LN10 = {0x1.bcb7b1526e50ep-2, 0x1.95355baaafad3p-57};
// Beyond these, e^x overflows or underflows a float however it is rounded.
constexpr double EXP_FLOAT_HIGH = 100;
constexpr double EXP_FLOAT_LOW = -110;

constexpr int EXP_TERMS = 14;
// 1/n!, for e^r = 1 + r + r^2/2! + ... + r^13/13!, whose first term left out is below 2^-57 of
// the sum for |r| <= ln2/2.
constexpr std::array<double, EXP_TERMS> inverseFactorials() {
    std::array<double, EXP_TERMS> c{};
    c[0] = 1;
    for (int n = 1; n < EXP_TERMS; ++n)
        c[n] = c[n - 1] / n;
    return c;
}
constexpr std::array<double, EXP_TERMS> INVERSE_FACTORIAL = inverseFactorials();

// 1/3, 1/5, ..., 1/23: the series of atanh f / f after its first term.
constexpr int ATANH_TERMS = 11;
constexpr std::array<double, ATANH_TERMS> atanhCoefficients() {
    std::array<double, ATANH_TERMS> c{};
    for (int j = 0; j < ATANH_TERMS; ++j)
        c[j] = 1.0 / (2 * j + 3);
    return c;
}
constexpr std::array<double, ATANH_TERMS> ATANH_COEFFICIENT = atanhCoefficients();

// 2^k for a k within the doubles' normal range.
double powerOfTwo(int k) {
    const uint64_t bits = static_cast<uint64_t>(k + 1023) << 52;
    double p;
    std::memcpy(&p, &bits, sizeof p);
    return p;
}

// e^(hi + lo) for hi between EXP_FLOAT_LOW and EXP_FLOAT_HIGH, to within about 2^-52:
// e^x = 2^k e^r with r = x - k ln 2.
double expOf(double hi, double lo) {
    const double k = nearestWhole(hi * INVERSE_LN2);
    // hi and k LN2_PART1 lie on a common grid no finer than hi's own and within ln2 of each other.
    const double r = ((hi - k * LN2_PART1) - k * LN2_PART2) + lo;
    double sum = INVERSE_FACTORIAL[EXP_TERMS - 1];
    for (int n = EXP_TERMS - 2; n >= 0; --n)
        sum = INVERSE_FACTORIAL[n] + r * sum;
    return sum * powerOfTwo(static_cast<int>(k));
}

// e^z - 1 for z <= 0, to within a few units of its own last place, near 0 as well: there from
// the series z (1 + z/2! + z^2/3! + ...), whose first term left out is below 2^-57.
double expMinusOne(double z) {
    if (z < -40) return -1;
    if (z < -0.5 * LN2.hi) return expOf(z, 0) - 1; // e^z <= 0.71: no digits cancel
    double sum = INVERSE_FACTORIAL[EXP_TERMS - 1];
    for (int n = EXP_TERMS - 2; n >= 1; --n)
        sum = INVERSE_FACTORIAL[n] + z * sum;
    return z * sum;
}

// ln x for a positive finite x, to within about 2^-57 of it: x = 2^k m with m in [sqrt(1/2),
// sqrt 2), ln m = 2 atanh f = 2 (f + f^3/3 + f^5/5 + ...) with f = (m - 1)/(m + 1), |f| < 0.172.
DoubleDouble logOf(double x) {
    int k = 0;
    if (x < 0x1p-1022) { // subnormal: made normal first
        x *= 0x1p54;
        k = -54;
    }
    uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    k += static_cast<int>(bits >> 52) - 1023;
    bits = (bits & 0x000fffffffffffffULL) | 0x3ff0000000000000ULL;
    double m;
    std::memcpy(&m, &bits, sizeof m);
    if (m > 0x1.6a09e667f3bcdp+0) { // sqrt 2
        m /= 2;
        ++k;
    }
    // m - 1 is exact; m + 1 is kept to the bit.
    const DoubleDouble f = DoubleDouble{m - 1, 0} / twoSum(m, 1);
    const double s = f.hi * f.hi;
    // 1/3 + s/5 + s^2/7 + ...: the terms after 2f, which are below 1 % of it, in double.
    double tail = 0;
    for (int j = ATANH_TERMS - 1; j >= 0; --j)
        tail = ATANH_COEFFICIENT[j] + s * tail;
    const DoubleDouble twoF = {2 * f.hi, 2 * f.lo};
    return LN2 * static_cast<double>(k) + (twoF + (twoF.hi * s) * tail);
}

DoubleDouble log10Of(double x) {
    return logOf(x) * INVERSE_LN10;
}

} // namespace

namespace maths {

float sin(float x) {
    return static_cast<float>(sin(static_cast<double>(x)));
}

float cos(float x) {
    return static_cast<float>(cos(static_cast<double>(x)));
}

float exp(float x) {
    if (x != x) return x;
    if (x > EXP_FLOAT_HIGH) return static_cast<float>(INFINITE);
    if (x < EXP_FLOAT_LOW) return 0;
    return static_cast<float>(expOf(x, 0));
}

float pow(float base, float exponent) {
    if (exponent == 0 || base == 1) return 1;
    if (base != base || exponent != exponent || base < 0) return static_cast<float>(NOT_A_NUMBER);
    if (base == 0) return exponent < 0 ? static_cast<float>(INFINITE) : 0;
    if (base == static_cast<float>(INFINITE))
        return exponent < 0 ? 0 : static_cast<float>(INFINITE);
    const DoubleDouble y = logOf(base) * static_cast<double>(exponent);
    if (y.hi > EXP_FLOAT_HIGH) return static_cast<float>(INFINITE);
    if (y.hi < EXP_FLOAT_LOW) return 0;
    return static_cast<float>(expOf(y.hi, y.lo));
}

// tanh |x| = -(e^-2|x| - 1) / (e^-2|x| + 1), with no digits lost near 0.
float tanh(float x) {
    if (x != x) return x;
    const double m = expMinusOne(-2 * magnitude(x));
    const float t = static_cast<float>(-m / (2 + m));
    return x < 0 ? -t : t;
}

float log10(float x) {
    if (x != x || x < 0) return static_cast<float>(NOT_A_NUMBER);
    if (x == 0) return -static_cast<float>(INFINITE);
    if (x == static_cast<float>(INFINITE)) return x;
    return roundToFloat(log10Of(x));
}

double log10(double x) {
    if (x != x || x < 0) return NOT_A_NUMBER;
    if (x == 0) return -INFINITE;
    if (x == INFINITE) return x;
    return log10Of(x).hi;
}

float floor(float x) {
    // From 2^23 up every float is whole; a zero keeps its sign.
    if (!(magnitude(x) < 0x1p23f) || x == 0) return x;
    const float whole = static_cast<float>(static_cast<int32_t>(x));
    return whole > x ? whole - 1 : whole;
}

long lround(float x) {
    // x + 1/2 is exact in double.
    return static_cast<long>(x < 0 ? x - 0.5 : x + 0.5);
}

} // namespace maths
