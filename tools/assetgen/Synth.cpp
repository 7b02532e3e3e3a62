// Oscillators, filters and the WAV encoder.
#include "Synth.h"

#include "maths/Maths.h"

#include <algorithm>
#include <cmath>

namespace {

// Correction around a jump of the waveform, t being the phase distance to the jump in periods.
float polyBlep(float t, float dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0f;
    }
    if (t > 1.0f - dt) {
        t = (t - 1.0f) / dt;
        return t * t + t + t + 1.0f;
    }
    return 0.0f;
}

} // namespace

float Osc::advance(float hz) {
    const float p = phase;
    dt = hz / SAMPLE_RATE;
    phase += dt;
    if (phase >= 1.0f) phase -= maths::floor(phase);
    return p;
}

float Osc::sine(float hz) {
    return maths::sin(2.0f * maths::PI_F * advance(hz));
}

float Osc::saw(float hz) {
    const float p = advance(hz);
    return 2.0f * p - 1.0f - polyBlep(p, dt);
}

float Osc::pulse(float hz, float width) {
    const float p = advance(hz);
    float v = p < width ? 1.0f : -1.0f;
    v += polyBlep(p, dt);
    float q = p - width;
    if (q < 0.0f) q += 1.0f;
    v -= polyBlep(q, dt);
    // Centred on zero: a narrow pulse would otherwise carry a DC offset into every mix it joins.
    return v + 1.0f - 2.0f * width;
}

float Osc::triangle(float hz) {
    // Integrated square: leaky so it never drifts.
    const float sq = pulse(hz, 0.5f);
    lastTri = dt * 4.0f * sq + (1.0f - dt * 0.5f) * lastTri;
    return lastTri;
}

float LowPass::run(float x, float hz) {
    const float a =
        1.0f - maths::exp(-2.0f * maths::PI_F * std::min(hz, SAMPLE_RATE * 0.45f) / SAMPLE_RATE);
    y += a * (x - y);
    return y;
}

float gainOf(float db) {
    return maths::pow(10.0f, db / 20.0f);
}

float rmsDb(const std::vector<float>& samples) {
    double sum = 0.0;
    for (float s : samples)
        sum += static_cast<double>(s) * s;
    return static_cast<float>(10.0 * maths::log10(sum / std::max<size_t>(samples.size(), 1)));
}

float peakDb(const std::vector<float>& samples) {
    float top = 0.0f;
    for (float s : samples)
        top = std::max(top, std::fabs(s));
    return 20.0f * maths::log10(top);
}

namespace {

void scaleBy(std::vector<float>& samples, float db) {
    const float k = gainOf(db);
    for (float& s : samples)
        s *= k;
}

} // namespace

void scaleToPeak(std::vector<float>& samples, float db) {
    scaleBy(samples, db - peakDb(samples));
}

void scaleToRms(std::vector<float>& samples, float db) {
    scaleBy(samples, db - rmsDb(samples));
}

void limit(std::vector<float>& samples, int channels, float ceilingDb, float release, bool loop) {
    const long frames = static_cast<long>(samples.size()) / channels;
    const long ahead = SAMPLE_RATE * 3 / 2000; // 1.5 ms: short enough to keep attacks crisp
    const float ceiling = gainOf(ceilingDb);
    // Outside a one-shot sound nothing needs holding down; a loop wraps round.
    auto frameAt = [&](long f) { return loop ? ((f % frames) + frames) % frames : f; };
    auto inside = [&](long f) { return loop || (f >= 0 && f < frames); };
    std::vector<float> need(frames, 1.0f);
    for (long f = 0; f < frames; ++f)
        for (int c = 0; c < channels; ++c) {
            const float a = std::fabs(samples[f * channels + c]);
            if (a > ceiling) need[f] = std::min(need[f], ceiling / a);
        }
    // The lowest need over the look-ahead, then averaged over as many frames: every frame whose
    // window covers a loud frame is no louder than that frame allows, and the gain slopes
    // rather than steps.
    auto lowestFrom = [&](long f) {
        float g = 1.0f;
        for (long k = f; k <= f + ahead; ++k)
            if (inside(k)) g = std::min(g, need[frameAt(k)]);
        return g;
    };
    std::vector<float> held(frames);
    for (long f = 0; f < frames; ++f)
        held[f] = lowestFrom(f);
    std::vector<float> eased(frames);
    for (long f = 0; f < frames; ++f) {
        float sum = 0.0f;
        for (long k = f - ahead; k <= f; ++k)
            sum += inside(k) ? held[frameAt(k)] : lowestFrom(k);
        eased[f] = sum / (ahead + 1);
    }
    // Tracked as the cut below unity, which decays all the way to nothing; a gain creeping up on
    // 1 would stall a few ulps short of it.
    const float keep = maths::exp(-1.0f / (release * SAMPLE_RATE));
    float cut = 0.0f;
    // A loop takes two laps so the first frames recover from the last ones' reductions.
    for (int lap = loop ? 2 : 1; lap > 0; --lap)
        for (long f = 0; f < frames; ++f) {
            cut = std::max(1.0f - eased[f], cut * keep);
            if (lap == 1)
                for (int c = 0; c < channels; ++c)
                    samples[f * channels + c] *= 1.0f - cut;
        }
}

std::vector<uint8_t> encodeWAV(const std::vector<float>& samples, int channels) {
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size()) * 2;
    std::vector<uint8_t> out;
    auto put = [&out](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    auto tag = [&out](const char* t) { out.insert(out.end(), t, t + 4); };
    tag("RIFF");
    put(36 + dataBytes, 4);
    tag("WAVE");
    tag("fmt ");
    put(16, 4);
    put(1, 2); // PCM
    put(channels, 2);
    put(SAMPLE_RATE, 4);
    put(SAMPLE_RATE * channels * 2, 4);
    put(channels * 2, 2);
    put(16, 2);
    tag("data");
    put(dataBytes, 4);
    for (float s : samples) {
        const float c = std::clamp(s, -1.0f, 1.0f);
        const auto v = static_cast<int16_t>(maths::lround(c * 32767.0f));
        put(static_cast<uint16_t>(v), 2);
    }
    return out;
}
