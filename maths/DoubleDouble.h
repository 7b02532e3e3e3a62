// DoubleDouble: a number carried as the unevaluated sum hi + lo of two doubles (about 106 bits).
#pragma once

#include <cfloat>
#include <cstdint>
#include <cstring>

// Every operation below is one of IEEE-754's exactly rounded + - * / in a fixed order, so each
// gives the same bits on every CPU and compiler, as long as the compiler neither contracts
// a * b + c into a fused multiply-add, nor reassociates, nor computes in a wider type.
#if defined(__FAST_MATH__) || defined(__ASSOCIATIVE_MATH__) || __FINITE_MATH_ONLY__
#error "the game's maths needs IEEE arithmetic as written: no -ffast-math or its parts"
#endif
static_assert(FLT_EVAL_METHOD == 0, "the game's maths needs doubles computed as doubles");

constexpr double magnitude(double x) {
    return x < 0 ? -x : x;
}

// The whole number nearest to x (next to a half, either of the two), for |x| < 2^52.
constexpr double nearestWhole(double x) {
    return static_cast<double>(static_cast<int64_t>(x < 0 ? x - 0.5 : x + 0.5));
}

struct DoubleDouble {
    double hi;
    double lo;
};

// a + b exactly: the rounded sum and its rounding error (Knuth's two-sum).
constexpr DoubleDouble twoSum(double a, double b) {
    const double s = a + b;
    const double bb = s - a;
    return {s, (a - (s - bb)) + (b - bb)};
}

// a + b exactly when |a| >= |b| or a is 0 (Dekker's fast two-sum).
constexpr DoubleDouble fastTwoSum(double a, double b) {
    const double s = a + b;
    return {s, b - (s - a)};
}

// a * b exactly: the rounded product and its error, through Veltkamp's split of each factor into
// two halves of 26 bits whose products are exact (Dekker). Sound for |a|, |b| below 2^995 whose
// product does not underflow.
constexpr DoubleDouble twoProduct(double a, double b) {
    constexpr double SPLITTER = 134217729.0; // 2^27 + 1
    const double ta = SPLITTER * a, tb = SPLITTER * b;
    const double aHi = ta - (ta - a), bHi = tb - (tb - b);
    const double aLo = a - aHi, bLo = b - bHi;
    const double p = a * b;
    return {p, ((aHi * bHi - p) + aHi * bLo + aLo * bHi) + aLo * bLo};
}

constexpr DoubleDouble operator-(DoubleDouble a) {
    return {-a.hi, -a.lo};
}

constexpr DoubleDouble operator+(DoubleDouble a, DoubleDouble b) {
    DoubleDouble s = twoSum(a.hi, b.hi);
    const DoubleDouble t = twoSum(a.lo, b.lo);
    s = fastTwoSum(s.hi, s.lo + t.hi);
    return fastTwoSum(s.hi, s.lo + t.lo);
}

constexpr DoubleDouble operator+(DoubleDouble a, double b) {
    const DoubleDouble s = twoSum(a.hi, b);
    return fastTwoSum(s.hi, s.lo + a.lo);
}

constexpr DoubleDouble operator-(DoubleDouble a, DoubleDouble b) {
    return a + -b;
}

constexpr DoubleDouble operator*(DoubleDouble a, DoubleDouble b) {
    const DoubleDouble p = twoProduct(a.hi, b.hi);
    return fastTwoSum(p.hi, p.lo + (a.hi * b.lo + a.lo * b.hi));
}

constexpr DoubleDouble operator*(DoubleDouble a, double b) {
    const DoubleDouble p = twoProduct(a.hi, b);
    return fastTwoSum(p.hi, p.lo + a.lo * b);
}

// Long division: three quotient digits of 53 bits, each taken from the exact remainder.
constexpr DoubleDouble operator/(DoubleDouble a, DoubleDouble b) {
    const double q1 = a.hi / b.hi;
    DoubleDouble r = a - b * q1;
    const double q2 = r.hi / b.hi;
    r = r - b * q2;
    const double q3 = r.hi / b.hi;
    return fastTwoSum(q1, q2) + q3;
}

// hi + lo rounded once to the nearest float, ties to even, for sums within the floats' range.
// Rounding hi alone gives that float unless hi lies exactly halfway between two floats; then lo
// says which way the sum lies.
inline float roundToFloat(DoubleDouble x) {
    const float f = static_cast<float>(x.hi);
    const double below = static_cast<double>(f);
    if (x.lo == 0 || below == x.hi || below - below != 0) return f;
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    // The float next to f on the side of hi, and the midpoint between the two (exact in double).
    const bool away = (x.hi > below) == (f > 0 || (f == 0 && x.hi > 0));
    const uint32_t nextBits = f == 0 ? (x.hi > 0 ? 1u : 0x80000001u) : (away ? bits + 1 : bits - 1);
    float next;
    std::memcpy(&next, &nextBits, sizeof next);
    if ((below + static_cast<double>(next)) / 2 != x.hi) return f;
    // hi was a tie, which went to f; the true sum lies on lo's side of it.
    return (x.lo > 0) == (x.hi > below) ? next : f;
}
