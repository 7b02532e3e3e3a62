// The game's maths against long double: correctly rounded over the game's angles, exact remainders.
#include "maths/Maths.h"
#include "support/Ulps.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <ios>
#include <random>
#include <vector>

using testsupport::Accuracy;

namespace {

constexpr long double PI_L = 3.141592653589793238462643383279502884L;

template <typename T> bool sameBits(T a, T b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

float nextFloatUp(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    ++bits;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

// The radians the game hands to sin and cos: angles in degrees, as floats, up to three turns either
// way; random ones across its range; the doubles nearest the multiples of pi/2 and their
// neighbours, where the reduction loses the most digits; and the rest of the domain.
std::vector<double> sinCosArguments() {
    std::vector<double> xs;
    for (int sixteenth = -3 * 360 * 16; sixteenth <= 3 * 360 * 16; ++sixteenth)
        xs.push_back(static_cast<float>(sixteenth / 16.0) * maths::DEG_TO_RAD);
    std::mt19937_64 rng(27);
    std::uniform_real_distribution<double> near(-16, 16), far(-0x1p20, 0x1p20);
    for (int i = 0; i < 200000; ++i)
        xs.push_back(near(rng));
    for (int i = 0; i < 50000; ++i)
        xs.push_back(far(rng));
    for (int k = 1; k <= 4000; ++k) {
        double x = static_cast<double>(k * PI_L / 2);
        for (int step = 0; step < 3; ++step) {
            xs.push_back(x);
            xs.push_back(-x);
            x = std::nextafter(x, 0.0);
        }
    }
    return xs;
}

} // namespace

TEST(Maths, SineAndCosineAreCorrectlyRoundedOverTheGamesAnglesAndBeyond) {
    Accuracy sine, cosine;
    for (double x : sinCosArguments()) {
        sine.add(maths::sin(x), sinl(x));
        cosine.add(maths::cos(x), cosl(x));
    }
    for (const Accuracy* a : {&sine, &cosine}) {
        EXPECT_EQ(0, a->misrounded) << "of " << a->count;
        EXPECT_LT(a->worstUlps, 0.5L + 0x1p-10L) << "at argument " << a->worstAt;
        EXPECT_LT(a->undecided, a->count / 100) << "of " << a->count; // long double could not tell
    }
    std::printf("sin: worst %.6Lf ulp; cos: worst %.6Lf ulp, over %ld arguments\n", sine.worstUlps,
                cosine.worstUlps, sine.count);
}

// The table's quick answer stands only where it is sure; it must be sure only where the series,
// 36 bits finer, agrees, and its error must stay well inside the margin that makes it unsure.
TEST(Maths, TheQuickSineAndCosineStandOnlyWhereTheSeriesAgree) {
    std::mt19937_64 rng(27);
    std::uniform_real_distribution<double> quarter(-PI_L / 4, PI_L / 4), low(-0x1p-54, 0x1p-54);
    long unsure = 0, count = 0;
    double worst = 0;
    for (int i = 0; i < 500000; ++i) {
        const DoubleDouble r = twoSum(quarter(rng), low(rng));
        for (bool cosine : {false, true}) {
            const DoubleDouble quick = maths::detail::quickSinCos(r, cosine);
            const DoubleDouble slow = maths::detail::seriesSinCos(r, cosine);
            const double error =
                std::fabs((quick.hi - slow.hi) + (quick.lo - slow.lo)) / std::fabs(slow.hi);
            worst = std::max(worst, error);
            if (!maths::detail::quickIsSure(quick))
                ++unsure;
            else
                ASSERT_TRUE(slow.hi == quick.hi)
                    << std::hexfloat << (cosine ? "cos(" : "sin(") << r.hi << " + " << r.lo
                    << ") = " << slow.hi << ", not " << quick.hi;
            ++count;
        }
    }
    EXPECT_LT(worst, 0x1p-64) << "worst relative error of the quick path";
    // About one in 500 goes to the series: the quick path does most of the work.
    EXPECT_LT(unsure, count / 200);
    std::printf("quick sin and cos: worst relative error 2^%.1f, %ld of %ld unsure\n",
                std::log2(worst), unsure, count);
}

TEST(Maths, SineAndCosineKeepZerosSignAndAnswerNaNOutsideTheirDomain) {
    EXPECT_TRUE(sameBits(-0.0, maths::sin(-0.0)));
    EXPECT_TRUE(sameBits(0.0, maths::sin(0.0)));
    EXPECT_EQ(1.0, maths::cos(-0.0));
    EXPECT_EQ(1e-300, maths::sin(1e-300));
    const double below = std::nextafter(0x1p20, 0.0);
    EXPECT_EQ(static_cast<double>(sinl(below)), maths::sin(below));
    EXPECT_EQ(static_cast<double>(cosl(-below)), maths::cos(-below));
    for (double x : {0x1p20, -0x1p20, 1e300, HUGE_VAL, -HUGE_VAL, static_cast<double>(NAN)}) {
        EXPECT_TRUE(std::isnan(maths::sin(x))) << x;
        EXPECT_TRUE(std::isnan(maths::cos(x))) << x;
    }
}

TEST(Maths, ArcTangentIsCorrectlyRoundedToFloat) {
    std::vector<std::pair<float, float>> pairs;
    for (int y = -40; y <= 40; ++y)
        for (int x = -40; x <= 40; ++x)
            pairs.emplace_back(static_cast<float>(y), static_cast<float>(x));
    // The offsets between an enemy and the ship, and any two finite floats at all.
    std::mt19937_64 rng(27);
    std::uniform_real_distribution<float> field(-640, 640);
    for (int i = 0; i < 200000; ++i)
        pairs.emplace_back(field(rng), field(rng));
    std::uniform_int_distribution<uint32_t> bits(0, 0x7f7fffffu);
    for (int i = 0; i < 200000; ++i) {
        uint32_t b[2] = {bits(rng) | (i & 1u) << 31, bits(rng) | (i & 2u) << 30};
        float f[2];
        std::memcpy(f, b, sizeof f);
        pairs.emplace_back(f[0], f[1]);
    }
    Accuracy a;
    for (auto [y, x] : pairs)
        a.add(maths::atan2(y, x), atan2l(y, x));
    EXPECT_EQ(0, a.misrounded) << "of " << a.count;
    EXPECT_EQ(0, a.undecided) << "of " << a.count;
    std::printf("atan2: worst %.6Lf ulp over %ld pairs\n", a.worstUlps, a.count);
}

// Floats y and x whose arc tangent lies within about 2^-48 of itself from a midpoint between two
// floats: the last convergent of the continued fraction of tan(midpoint) with both terms below
// 2^24. There a double's rounding cannot tell the way, and the 106-bit path must.
TEST(Maths, ArcTangentRoundsTheRightWayNextToMidpointsInEveryOctant) {
    std::mt19937_64 rng(27);
    std::uniform_real_distribution<float> angle(0.001f, 1.57f);
    Accuracy a;
    int tight = 0, cases = 0;
    for (int i = 0; i < 1000; ++i) {
        const float f = angle(rng);
        const long double mid = (static_cast<long double>(f) + nextFloatUp(f)) / 2;
        long double t = tanl(mid), p0 = 1, q0 = 0, p1 = std::floor(t), q1 = 1;
        for (long double rest = t - p1; rest != 0;) {
            const long double term = std::floor(1 / rest);
            rest = 1 / rest - term;
            const long double p2 = term * p1 + p0, q2 = term * q1 + q0;
            if (p2 >= 0x1p24L || q2 >= 0x1p24L) break;
            p0 = p1, q0 = q1, p1 = p2, q1 = q2;
        }
        const float p = static_cast<float>(p1), q = static_cast<float>(q1);
        if (std::fabs(atan2l(p, q) - mid) < mid * 0x1p-46L) ++tight;
        for (float sy : {1.0f, -1.0f})
            for (float sx : {1.0f, -1.0f}) {
                a.add(maths::atan2(sy * p, sx * q), atan2l(sy * p, sx * q));
                a.add(maths::atan2(sy * q, sx * p), atan2l(sy * q, sx * p));
                cases += 2;
            }
    }
    EXPECT_EQ(0, a.misrounded) << "of " << a.count;
    EXPECT_EQ(0, a.undecided) << "of " << a.count;
    // Enough of them lie closer to a midpoint than a double can resolve.
    EXPECT_GT(tight, 500) << "of 1000";
}

TEST(Maths, ArcTangentOfZerosAndInfinitiesFollowsC) {
    const float pi = static_cast<float>(PI_L), inf = HUGE_VALF;
    struct Case {
        float y, x, want;
    } cases[] = {
        {0.0f, 0.0f, 0.0f},
        {-0.0f, 0.0f, -0.0f},
        {0.0f, -0.0f, pi},
        {-0.0f, -0.0f, -pi},
        {0.0f, -5.0f, pi},
        {-0.0f, -5.0f, -pi},
        {-0.0f, 5.0f, -0.0f},
        {3.0f, 0.0f, static_cast<float>(PI_L / 2)},
        {-3.0f, -0.0f, static_cast<float>(-PI_L / 2)},
        {inf, inf, static_cast<float>(PI_L / 4)},
        {-inf, inf, static_cast<float>(-PI_L / 4)},
        {inf, -inf, static_cast<float>(3 * PI_L / 4)},
        {-inf, -inf, static_cast<float>(-3 * PI_L / 4)},
        {inf, 7.0f, static_cast<float>(PI_L / 2)},
        {-inf, -7.0f, static_cast<float>(-PI_L / 2)},
        {7.0f, inf, 0.0f},
        {-7.0f, inf, -0.0f},
        {7.0f, -inf, pi},
        {-7.0f, -inf, -pi},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(sameBits(c.want, maths::atan2(c.y, c.x)))
            << "atan2(" << c.y << ", " << c.x << ") = " << maths::atan2(c.y, c.x);
    EXPECT_TRUE(std::isnan(maths::atan2(NAN, 1.0f)));
    EXPECT_TRUE(std::isnan(maths::atan2(1.0f, NAN)));
}

TEST(Maths, RemainderIsExactAndKeepsTheSignOfTheDividend) {
    // Kind 9 turns through -0, -12, ..., so the sign of a zero remainder matters too.
    for (double x : {-360.0, -372.0, 1197.0, 0.5, -0.0, 359.99999999999994, 720.0, -1e15})
        EXPECT_TRUE(sameBits(std::fmod(x, 360.0), maths::fmod(x, 360.0))) << x;
    std::mt19937_64 rng(27);
    std::uniform_real_distribution<double> exponent(-60, 60), moduli(-20, 20);
    for (int i = 0; i < 100000; ++i) {
        const double x = (i % 2 ? -1 : 1) * std::exp2(exponent(rng));
        const double m = std::exp2(moduli(rng));
        EXPECT_TRUE(sameBits(std::fmod(x, m), maths::fmod(x, m))) << x << " mod " << m;
    }
}
