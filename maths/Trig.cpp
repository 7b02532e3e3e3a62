// Trig: the game's sine, cosine, arc tangent and remainder, in double-double from + - * / alone.
#include "maths/Maths.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>

using namespace maths;

namespace {

// The series' coefficients, each from the one before by one division: (-1)^j / (2j + 1)! for the
// sine, (-1)^j / (2j)! for the cosine, (-1)^k / (2k + 1) for the arc tangent.
constexpr std::size_t SIN_TERMS = 13;
constexpr std::size_t COS_TERMS = 14;
constexpr std::size_t ATAN_TERMS = 44;
template <std::size_t N> using Coefficients = std::array<DoubleDouble, N>;

template <std::size_t N> constexpr Coefficients<N> inverseFactorials(std::size_t first) {
    Coefficients<N> c{};
    DoubleDouble f = {1, 0};
    for (std::size_t n = 1; n <= first + 2 * (N - 1); ++n) {
        f = f / DoubleDouble{static_cast<double>(n), 0};
        if (n >= first && (n - first) % 2 == 0) c[(n - first) / 2] = f;
    }
    if (first == 0) c[0] = {1, 0};
    for (std::size_t j = 1; j < N; j += 2)
        c[j] = -c[j];
    return c;
}
constexpr Coefficients<SIN_TERMS> SIN_COEFFICIENT = inverseFactorials<SIN_TERMS>(1);
constexpr Coefficients<COS_TERMS> COS_COEFFICIENT = inverseFactorials<COS_TERMS>(0);

constexpr Coefficients<ATAN_TERMS> atanCoefficients() {
    Coefficients<ATAN_TERMS> c{};
    for (std::size_t k = 0; k < ATAN_TERMS; ++k)
        c[k] = DoubleDouble{k % 2 ? -1.0 : 1.0, 0} / DoubleDouble{2.0 * k + 1, 0};
    return c;
}
constexpr Coefficients<ATAN_TERMS> ATAN_COEFFICIENT = atanCoefficients();

// pi/2 as the sum of four doubles, the first three of 33 significant bits or fewer, so that k times
// each of them is exact for |k| < 2^20 (Cody and Waite's reduction, carried to 160 bits).
constexpr double PI_2_PART1 = 0x1.921fb544p+0;
constexpr double PI_2_PART2 = 0x1.0b4611a6p-34;
constexpr double PI_2_PART3 = 0x1.3198a2ep-69;
constexpr double PI_2_PART4 = 0x1.b839a252049c1p-104;
constexpr double TWO_OVER_PI = 0x1.45f306dc9c883p-1;
constexpr double SIN_COS_LIMIT = 0x1p20;
// Below this sin x rounds to x and cos x to 1, and the series would meet subnormal numbers.
constexpr double SIN_COS_TINY = 0x1p-26;

struct Reduced {
    DoubleDouble r;
    unsigned quadrant;
};

// x = k pi/2 + r with |r| about pi/4 at most; the quadrant is k mod 4.
Reduced reduce(double x) {
    const double kd = nearestWhole(x * TWO_OVER_PI);
    const int64_t k = static_cast<int64_t>(kd);
    // x and k PI_2_PART1 lie on a common grid no finer than x's own and within pi/4 of each other,
    // so their difference is exact; so are the next two products.
    DoubleDouble r = twoSum(x - kd * PI_2_PART1, -(kd * PI_2_PART2));
    r = r + -(kd * PI_2_PART3);
    r = r + -(kd * PI_2_PART4);
    return {r, static_cast<unsigned>(k & 3)};
}

// Horner's rule in powers of s: the last doubleTerms terms, which together stay below 2^-53 of
// the sum, in double; the others in double-double.
template <std::size_t N>
constexpr DoubleDouble series(const Coefficients<N>& c, std::size_t doubleTerms, DoubleDouble s) {
    double tail = 0;
    std::size_t j = N;
    for (; j > N - doubleTerms; --j)
        tail = c[j - 1].hi + s.hi * tail;
    DoubleDouble sum = {tail, 0};
    for (; j > 0; --j)
        sum = c[j - 1] + s * sum;
    return sum;
}

// sin r = r (1 - r^2/3! + ... + r^24/25!) and cos r = 1 - r^2/2! + ... - r^26/26! for |r| <= pi/4,
// where the first term left out is below 2^-100 of the sum.
constexpr DoubleDouble sinSeries(DoubleDouble r) {
    return r * series(SIN_COEFFICIENT, 5, r * r);
}

constexpr DoubleDouble cosSeries(DoubleDouble r) {
    return series(COS_COEFFICIENT, 5, r * r);
}

// sin and cos of j/64 for j = 0 ... 50, which covers pi/4, from the series.
constexpr int TABLE_STEPS = 64;
struct SinCos {
    DoubleDouble sin, cos;
};
constexpr std::array<SinCos, 51> sinCosTable() {
    std::array<SinCos, 51> t{};
    for (std::size_t j = 0; j < t.size(); ++j) {
        const DoubleDouble a = {static_cast<double>(j) / TABLE_STEPS, 0};
        t[j] = {sinSeries(a), cosSeries(a)};
    }
    return t;
}
constexpr std::array<SinCos, 51> SIN_COS_TABLE = sinCosTable();

// sin x, or cos x when cosine is set.
double sinOrCos(double x, bool cosine) {
    if (!(magnitude(x) < SIN_COS_LIMIT)) return NOT_A_NUMBER;
    if (magnitude(x) < SIN_COS_TINY) return cosine ? 1.0 : x;
    const Reduced red = reduce(x);
    // cos x = sin(x + pi/2): one more quarter turn.
    const unsigned quadrant = (red.quadrant + (cosine ? 1 : 0)) & 3;
    DoubleDouble v = maths::detail::quickSinCos(red.r, quadrant & 1);
    if (!maths::detail::quickIsSure(v)) v = maths::detail::seriesSinCos(red.r, quadrant & 1);
    return quadrant & 2 ? -v.hi : v.hi;
}

// atan z = z - z^3/3 + z^5/5 - ... for |z| <= tan(pi/8), in double: within two units in its last
// place.
double atanDouble(double z) {
    const double s = z * z;
    double q = 0;
    for (std::size_t k = 21; k >= 1; --k)
        q = ATAN_COEFFICIENT[k].hi + s * q;
    return z + (z * s) * q;
}

// The same to 2^-100.
DoubleDouble atanDoubleDouble(DoubleDouble z) {
    return z * series(ATAN_COEFFICIENT, 23, z * z);
}

// tan(pi/8): beyond it the arc tangent is taken about pi/4, as pi/4 + atan((r - 1)/(r + 1)).
constexpr double TAN_PI_8 = 0x1.a827999fcef34p-2;

// 32 units in the last place of a positive normal double: four times a bound on the error of the
// double path (1.5 units measured over millions of pairs).
double fastPathMargin(double a) {
    uint64_t bits;
    std::memcpy(&bits, &a, sizeof bits);
    const uint64_t margin = ((bits >> 52) - 47) << 52;
    double m;
    std::memcpy(&m, &margin, sizeof m);
    return m;
}

} // namespace

namespace maths {

namespace detail {

// sin r, or cos r, to within 2^-64 of it, for |r| <= pi/4. With r = a + t, a = j/64, |t| <= 1/128:
//   sin r = sin a + t cos a + [(cos t - 1) sin a + (sin t - t) cos a]
//   cos r = cos a - t sin a + [(cos t - 1) cos a - (sin t - t) sin a]
// where the bracket, below 2^-15 of the sum, is worked in double.
DoubleDouble quickSinCos(DoubleDouble r, bool cosine) {
    const double j = nearestWhole(r.hi * TABLE_STEPS);
    // r.hi and j/64 lie within 1/128 of each other on r.hi's grid: their difference is exact.
    const DoubleDouble t = twoSum(r.hi - j / TABLE_STEPS, r.lo);
    const SinCos& a = SIN_COS_TABLE[static_cast<std::size_t>(magnitude(j))];
    const DoubleDouble sinA = j < 0 ? -a.sin : a.sin;
    const double t2 = t.hi * t.hi;
    const double cosTMinus1 = t2 * (-0.5 + t2 * (1.0 / 24 - t2 * (1.0 / 720)));
    const double sinTMinusT = t.hi * t2 * (-1.0 / 6 + t2 * (1.0 / 120 - t2 * (1.0 / 5040)));
    if (cosine) return (a.cos - sinA * t) + (cosTMinus1 * a.cos.hi - sinTMinusT * sinA.hi);
    return (sinA + a.cos * t) + (cosTMinus1 * sinA.hi + sinTMinusT * a.cos.hi);
}

DoubleDouble seriesSinCos(DoubleDouble r, bool cosine) {
    return cosine ? cosSeries(r) : sinSeries(r);
}

// Four times the quick path's error, so that no value it might stand for rounds otherwise.
bool quickIsSure(DoubleDouble v) {
    const double margin = magnitude(v.hi) * 0x1p-62;
    return v.hi + (v.lo + margin) == v.hi && v.hi + (v.lo - margin) == v.hi;
}

} // namespace detail

double sin(double x) {
    return sinOrCos(x, false);
}

double cos(double x) {
    return sinOrCos(x, true);
}

float atan2(float y, float x) {
    if (y != y || x != x) return x + y;
    const bool yNegative = std::signbit(y), xNegative = std::signbit(x);
    const double ay = magnitude(y), ax = magnitude(x);
    float special = -1;
    if (ay == 0)
        special = xNegative ? PI_F : 0;
    else if (ax == INFINITE)
        special = ay == INFINITE ? (xNegative ? PI_3_4_F : PI_4_F) : (xNegative ? PI_F : 0);
    else if (ax == 0 || ay == INFINITE)
        special = PI_2_F;
    if (special >= 0) return yNegative ? -special : special;

    // The angle below the diagonal, then turned into place: pi/2 - a above it, pi - a left of
    // the y axis. The sums of two floats below are exact in double.
    const bool steep = ay > ax;
    const double num = steep ? ax : ay, den = steep ? ay : ax;
    const bool aboutPi4 = num > den * TAN_PI_8;

    double a = aboutPi4 ? PI_4.hi + (atanDouble((num - den) / (num + den)) + PI_4.lo)
                        : atanDouble(num / den);
    if (steep) a = (PI_2.hi - a) + PI_2.lo;
    if (xNegative) a = (PI.hi - a) + PI.lo;
    const double margin = fastPathMargin(a);
    const float low = static_cast<float>(a - margin), high = static_cast<float>(a + margin);
    if (low == high) return yNegative ? -low : low;

    // a lies too near the midpoint of two floats to tell which way it rounds: 106 bits tell.
    DoubleDouble exact =
        aboutPi4 ? PI_4 + atanDoubleDouble(DoubleDouble{num - den, 0} / DoubleDouble{num + den, 0})
                 : atanDoubleDouble(DoubleDouble{num, 0} / DoubleDouble{den, 0});
    if (steep) exact = PI_2 - exact;
    if (xNegative) exact = PI - exact;
    const float f = roundToFloat(exact);
    return yNegative ? -f : f;
}

double fmod(double x, double m) {
    double r = magnitude(x);
    if (r < m) return x;
    double step = m;
    while (step + step <= r)
        step += step;
    // r < 2 step throughout, so each subtraction is exact (Sterbenz).
    for (; step >= m; step /= 2)
        if (r >= step) r -= step;
    return x < 0 ? -r : r;
}

} // namespace maths
