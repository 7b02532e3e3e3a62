// Ulps: how a float or double result stands against a long double reference of the same function.
#pragma once

#include <algorithm>
#include <cmath>
#include <limits>

namespace testsupport {

// The spacing of T's values at v: the unit in the last place of v's binade (the subnormal step
// below the normal range).
template <typename T> long double ulpAt(long double v) {
    int e;
    (void)std::frexp(v, &e); // |v| = f 2^e with 0.5 <= f < 1
    return std::ldexp(1.0L, std::max(e, std::numeric_limits<T>::min_exponent) -
                                std::numeric_limits<T>::digits);
}

// |got - want| in units of T's last place at want.
template <typename T> long double ulpsOff(T got, long double want) {
    return std::fabs(static_cast<long double>(got) - want) / ulpAt<T>(want);
}

// Whether want, known to about 2^-62 of itself (one unit in the last place of a long double
// function), lies clearly on one side of the midpoint between two T values; then the correctly
// rounded T is static_cast<T>(want).
template <typename T> bool roundsClearly(long double want) {
    const long double margin = std::fabs(want) * 0x1p-62L;
    return static_cast<T>(want - margin) == static_cast<T>(want + margin);
}

// Over a sweep: the largest error in units of the last place, and how many results were not the
// correctly rounded one where the reference could tell.
struct Accuracy {
    long double worstUlps = 0;
    long worstAt = -1;
    long misrounded = 0;
    long undecided = 0;
    long count = 0;

    template <typename T> void add(T got, long double want) {
        const long double off = ulpsOff(got, want);
        if (off > worstUlps) {
            worstUlps = off;
            worstAt = count;
        }
        if (!roundsClearly<T>(want))
            ++undecided;
        else if (!(got == static_cast<T>(want)) && !(got != got && want != want))
            ++misrounded;
        ++count;
    }
};

} // namespace testsupport
