// The generator's sound building blocks: centred oscillators and the peak limiter.
#include "Synth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

TEST(Osc, PulsesOfEveryWidthAreCentredOnZero) {
    for (float width : {0.25f, 0.35f, 0.5f}) {
        Osc osc;
        double sum = 0;
        const int n = SAMPLE_RATE; // a whole number of periods of 441 Hz
        for (int i = 0; i < n; ++i)
            sum += osc.pulse(441.0f, width);
        EXPECT_NEAR(sum / n, 0.0, 0.002) << "width " << width;
    }
}

// A quiet tone with loud bursts in it, one of them across the end and the start.
static std::vector<float> burstsOn(int channels) {
    std::vector<float> s(channels * SAMPLE_RATE / 2);
    const long frames = static_cast<long>(s.size()) / channels;
    for (long f = 0; f < frames; ++f) {
        const bool loud = f < 300 || f > frames - 200 || (f > 5000 && f < 5400);
        for (int c = 0; c < channels; ++c)
            s[f * channels + c] = (loud ? 0.9f : 0.1f) * std::sin(0.05f * f + c);
    }
    return s;
}

static float peakOf(const std::vector<float>& s) {
    float top = 0;
    for (float v : s)
        top = std::max(top, std::fabs(v));
    return top;
}

TEST(Limiter, NoSamplePassesTheCeilingAndTheQuietPartComesBackUntouched) {
    for (int channels : {1, 2})
        for (bool loop : {false, true}) {
            SCOPED_TRACE(std::to_string(channels) + " channels, loop " + std::to_string(loop));
            const std::vector<float> in = burstsOn(channels);
            std::vector<float> out = in;
            limit(out, channels, -6.0f, 0.01f, loop);
            EXPECT_LE(peakOf(out), gainOf(-6.0f) * 1.00001f);
            EXPECT_GT(peakOf(out), gainOf(-6.0f) * 0.99f) << "held down further than asked";
            // 0.1 s after the middle burst the gain has recovered, and before it nothing moved.
            const long after = 5400 + SAMPLE_RATE / 10;
            EXPECT_NEAR(out[after * channels], in[after * channels], 1e-4f);
            EXPECT_EQ(out[4000 * channels], in[4000 * channels]);
        }
}

TEST(Limiter, ALoopComesOutTheSameWhereverTheRingIsCut) {
    const std::vector<float> in = burstsOn(2);
    const long frames = static_cast<long>(in.size()) / 2, cut = 777;
    std::vector<float> whole = in, turned(in.size());
    for (long f = 0; f < frames; ++f)
        for (int c = 0; c < 2; ++c)
            turned[f * 2 + c] = in[((f + cut) % frames) * 2 + c];
    limit(whole, 2, -6.0f, 0.05f, true);
    limit(turned, 2, -6.0f, 0.05f, true);
    float worst = 0;
    for (long f = 0; f < frames; ++f)
        for (int c = 0; c < 2; ++c)
            worst =
                std::max(worst, std::fabs(turned[f * 2 + c] - whole[((f + cut) % frames) * 2 + c]));
    EXPECT_LT(worst, 1e-6f) << "the gain jumps where the ring is joined";
}
