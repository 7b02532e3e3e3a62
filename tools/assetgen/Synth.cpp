// Oscillators, filters and the WAV encoder.
#include "Synth.h"

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
    if (phase >= 1.0f) phase -= std::floor(phase);
    return p;
}

float Osc::sine(float hz) {
    return std::sin(2.0f * PI * advance(hz));
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
    return v;
}

float Osc::triangle(float hz) {
    // Integrated square: leaky so it never drifts.
    const float sq = pulse(hz, 0.5f);
    lastTri = dt * 4.0f * sq + (1.0f - dt * 0.5f) * lastTri;
    return lastTri;
}

float LowPass::run(float x, float hz) {
    const float a = 1.0f - std::exp(-2.0f * PI * std::min(hz, SAMPLE_RATE * 0.45f) / SAMPLE_RATE);
    y += a * (x - y);
    return y;
}

void normalize(std::vector<float>& samples, float peak) {
    float top = 0.0f;
    for (float s : samples)
        top = std::max(top, std::fabs(s));
    if (top <= 0.0f) return;
    const float k = peak / top;
    for (float& s : samples)
        s *= k;
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
        const auto v = static_cast<int16_t>(std::lround(c * 32000.0f)); // headroom below full scale
        put(static_cast<uint16_t>(v), 2);
    }
    return out;
}
