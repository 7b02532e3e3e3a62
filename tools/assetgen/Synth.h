// Sound building blocks: a seeded noise source, band-limited oscillators, filters and WAV output.
#pragma once

#include <cstdint>
#include <vector>

constexpr int SAMPLE_RATE = 22050; // the mixer's own rate, so nothing is resampled at play time

// xorshift32: the generator's only randomness, fixed-seeded so every run writes the same bytes.
class Noise {
  public:
    explicit Noise(uint32_t seed) : state(seed ? seed : 1) {}
    uint32_t next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    // Uniform in -1..1.
    float white() { return static_cast<float>(next() >> 8) / 8388608.0f - 1.0f; }

  private:
    uint32_t state;
};

// Phase-accumulating oscillator; saw and pulse are smoothed at their jumps (polyBLEP) to keep
// the high notes free of aliasing at this low sample rate.
class Osc {
  public:
    float sine(float hz);
    float saw(float hz);
    float pulse(float hz, float width);
    float triangle(float hz);

  private:
    float advance(float hz);
    float phase = 0.0f;
    float lastTri = 0.0f;
    float dt = 0.0f;
};

// One-pole low-pass; cutoff in Hz may change every sample.
class LowPass {
  public:
    float run(float x, float hz);

  private:
    float y = 0.0f;
};

// One-pole high-pass built on the low-pass.
class HighPass {
  public:
    float run(float x, float hz) { return x - lp.run(x, hz); }

  private:
    LowPass lp;
};

// Levels are in dBFS: 0 is a full-scale sample, a full-scale sine has an RMS of -3.
float gainOf(float db);
float rmsDb(const std::vector<float>& samples);
float peakDb(const std::vector<float>& samples);
// Scales the whole sound so its loudest sample, or its RMS, lands on the given level.
void scaleToPeak(std::vector<float>& samples, float db);
void scaleToRms(std::vector<float>& samples, float db);

// Look-ahead peak limiter over interleaved frames: the gain eases down just before any frame that
// would pass the ceiling, so no sample does, and recovers over `release` seconds. It squeezes
// the crest of a sound, letting it sound loud for its peak. With loop set the buffer is treated
// as a ring, so the gain is the same on both sides of the join.
void limit(std::vector<float>& samples, int channels, float ceilingDb, float release, bool loop);

// 16-bit PCM WAV with the given channel count; samples interleaved, -1..1.
std::vector<uint8_t> encodeWAV(const std::vector<float>& samples, int channels);
