// PCG32 (XSH RR): small, fast, and good enough that no pattern shows on screen.
#include "objects/Random.h"

namespace {
uint64_t state = 0x853c49e6748fea9bULL;
constexpr uint64_t MULTIPLIER = 6364136223846793005ULL;
constexpr uint64_t INCREMENT = 1442695040888963407ULL;
} // namespace

void randSeed(uint64_t seed) {
    state = 0;
    randNext();
    state += seed;
    randNext();
}

uint32_t randNext() {
    uint64_t old = state;
    state = old * MULTIPLIER + INCREMENT;
    auto xorshifted = static_cast<uint32_t>(((old >> 18u) ^ old) >> 27u);
    auto rot = static_cast<uint32_t>(old >> 59u);
    return (xorshifted >> rot) | (xorshifted << ((32u - rot) & 31u));
}

uint64_t randState() {
    return state;
}

void randRestore(uint64_t saved) {
    state = saved;
}

uint64_t randSeedFor(uint64_t target) {
    // randSeed leaves (INCREMENT + seed) * MULTIPLIER + INCREMENT. MULTIPLIER is odd, so it has an
    // inverse modulo 2^64; each Newton step doubles the bits it is right in (three to begin with).
    uint64_t inverse = MULTIPLIER;
    for (int i = 0; i < 5; ++i)
        inverse *= 2 - MULTIPLIER * inverse;
    return (target - INCREMENT) * inverse - INCREMENT;
}
