// The generator's maths against long double over the arguments its sounds use, and at the edges.
#include "maths/Maths.h"
#include "support/Ulps.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

using testsupport::Accuracy;

namespace {

bool sameBits(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

std::vector<float> uniform(float low, float high, int n) {
    std::mt19937_64 rng(27);
    std::uniform_real_distribution<float> d(low, high);
    std::vector<float> xs(n);
    for (float& x : xs)
        x = d(rng);
    return xs;
}

// Every finite positive float's bit pattern is as likely: all binades, the subnormals too.
std::vector<float> positiveFloats(int n) {
    std::mt19937_64 rng(27);
    std::uniform_int_distribution<uint32_t> bits(1, 0x7f7fffffu);
    std::vector<float> xs(n);
    for (float& x : xs) {
        const uint32_t b = bits(rng);
        std::memcpy(&x, &b, sizeof x);
    }
    return xs;
}

// Within one unit in the last place everywhere; in fact rounded once from a result close enough
// that it is the correctly rounded one in all but the rarest arguments.
void expectFaithful(const std::string& name, const Accuracy& a) {
    EXPECT_LT(a.worstUlps, 0.5L + 0x1p-10L) << name << " at argument " << a.worstAt;
    EXPECT_LE(a.misrounded, a.count / 10000) << name << " of " << a.count;
    std::printf("%s: worst %.6Lf ulp, %ld of %ld not correctly rounded\n", name.c_str(),
                a.worstUlps, a.misrounded, a.count);
}

} // namespace

TEST(GeneratorMaths, FloatFunctionsAreWithinOneUnitInTheLastPlace) {
    struct Sweep {
        std::string name;
        std::vector<float> args;
        std::function<float(float)> ours;
        std::function<long double(long double)> reference;
    } sweeps[] = {
        {"sin", uniform(-16, 16, 100000), [](float x) { return maths::sin(x); }, sinl},
        {"cos", uniform(-16, 16, 100000), [](float x) { return maths::cos(x); }, cosl},
        {"exp", uniform(-110, 88.5f, 100000), [](float x) { return maths::exp(x); }, expl},
        {"tanh", uniform(-12, 12, 100000), [](float x) { return maths::tanh(x); }, tanhl},
        {"tanh near 0", uniform(-0x1p-8f, 0x1p-8f, 20000), [](float x) { return maths::tanh(x); },
         tanhl},
        {"log10", positiveFloats(100000), [](float x) { return maths::log10(x); }, log10l},
        {"10^x", uniform(-40, 38, 50000), [](float x) { return maths::pow(10.0f, x); },
         [](long double x) { return powl(10, static_cast<float>(x)); }},
        {"2^x", uniform(-140, 127, 50000), [](float x) { return maths::pow(2.0f, x); },
         [](long double x) { return powl(2, static_cast<float>(x)); }},
    };
    for (const Sweep& s : sweeps) {
        Accuracy a;
        for (float x : s.args)
            a.add(s.ours(x), s.reference(x));
        expectFaithful(s.name, a);
    }
    // Any base to powers that keep the result a finite float.
    Accuracy a;
    const std::vector<float> bases = uniform(0.001f, 1000, 50000), powers = uniform(-12, 12, 50000);
    for (size_t i = 0; i < bases.size(); ++i)
        a.add(maths::pow(bases[i], powers[i]), powl(bases[i], powers[i]));
    expectFaithful("pow", a);
}

TEST(GeneratorMaths, DoubleLog10IsWithinOneUnitInTheLastPlace) {
    std::mt19937_64 rng(27);
    std::uniform_int_distribution<uint64_t> bits(1, 0x7fefffffffffffffULL);
    Accuracy a;
    for (int i = 0; i < 100000; ++i) {
        const uint64_t b = bits(rng);
        double x;
        std::memcpy(&x, &b, sizeof x);
        a.add(maths::log10(x), log10l(x));
    }
    EXPECT_LT(a.worstUlps, 1) << "at argument " << a.worstAt;
    std::printf("log10 (double): worst %.6Lf ulp, %ld of %ld not correctly rounded\n", a.worstUlps,
                a.misrounded, a.count);
    // Whole powers of ten come out whole, as the levels in dB rely on.
    for (int k = -300; k <= 300; ++k)
        EXPECT_EQ(k, maths::log10(std::stod("1e" + std::to_string(k)))) << k;
    for (int k = 0; k <= 10; ++k)
        EXPECT_EQ(k, maths::log10(static_cast<float>(std::pow(10.0, k)))) << k;
}

TEST(GeneratorMaths, EdgesFollowC) {
    const float inf = HUGE_VALF;
    struct Case {
        const char* what;
        float got, want;
    } cases[] = {
        {"exp(-inf)", maths::exp(-inf), 0.0f},
        {"exp(inf)", maths::exp(inf), inf},
        {"exp(89)", maths::exp(89.0f), inf},
        {"exp(-0)", maths::exp(-0.0f), 1.0f},
        {"tanh(-0)", maths::tanh(-0.0f), -0.0f},
        {"tanh(inf)", maths::tanh(inf), 1.0f},
        {"tanh(-inf)", maths::tanh(-inf), -1.0f},
        {"log10(0)", maths::log10(0.0f), -inf},
        {"log10(inf)", maths::log10(inf), inf},
        {"pow(0, 2)", maths::pow(0.0f, 2.0f), 0.0f},
        {"pow(0, -2)", maths::pow(0.0f, -2.0f), inf},
        {"pow(7, 0)", maths::pow(7.0f, 0.0f), 1.0f},
        {"pow(1, nan)", maths::pow(1.0f, NAN), 1.0f},
        {"pow(10, 39)", maths::pow(10.0f, 39.0f), inf},
        {"floor(-0)", maths::floor(-0.0f), -0.0f},
        {"floor(-0.5)", maths::floor(-0.5f), -1.0f},
        {"floor(2.9999998)", maths::floor(2.9999998f), 2.0f},
        {"floor(8388607.5)", maths::floor(8388607.5f), 8388607.0f},
        {"floor(1e30)", maths::floor(1e30f), 1e30f},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(sameBits(c.want, c.got)) << c.what << " = " << c.got;
    for (float nan : {maths::log10(-1.0f), maths::pow(-2.0f, 2.0f), maths::exp(NAN),
                      maths::tanh(NAN), static_cast<float>(maths::log10(-1.0))})
        EXPECT_TRUE(std::isnan(nan));
}

TEST(GeneratorMaths, RoundingMatchesCsFloorAndLround) {
    for (float x : uniform(-40000, 40000, 100000)) {
        EXPECT_EQ(std::floor(x), maths::floor(x)) << x;
        EXPECT_EQ(std::lround(x), maths::lround(x)) << x;
    }
    for (float x : {0.5f, -0.5f, 1.5f, -2.5f, 32766.5f, -32767.5f, 0.49999997f})
        EXPECT_EQ(std::lround(x), maths::lround(x)) << x;
}
