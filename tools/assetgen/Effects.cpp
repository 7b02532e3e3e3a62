// The four sound effects: capture sweep, hit crunch, enemy burst and item ping.
#include "Assets.h"
#include "Synth.h"
#include "maths/Maths.h"

namespace {

std::vector<float> silence(float seconds) {
    return std::vector<float>(static_cast<size_t>(seconds * SAMPLE_RATE), 0.0f);
}

// Short fades at both ends so a sound never starts or stops with a click.
void softEdges(std::vector<float>& s) {
    const size_t in = SAMPLE_RATE / 1000, out = SAMPLE_RATE / 100;
    for (size_t i = 0; i < in && i < s.size(); ++i)
        s[i] *= static_cast<float>(i) / in;
    for (size_t i = 0; i < out && i < s.size(); ++i)
        s[s.size() - 1 - i] *= static_cast<float>(i) / out;
}

// Peak of each effect in dBFS. The mixer adds every playing effect to the music at full volume
// and clamps the sum, so these are a budget. The music peaks near -10 dBFS; with the two loudest
// effects on top it stays below full scale. kreel and kin are shaped to be dense, so they sit
// over 4 dB above the music in RMS from those peaks. destroy1 is the lowest: a run of kills
// starts it on frame after frame, and every copy begun within one mixer buffer of 1024 samples
// starts on the same sample, so up to three add up exactly, with the ones from the buffers before.
constexpr float KREEL_PEAK = -12.0f;
constexpr float DAMAGE_PEAK = -12.0f;
constexpr float DESTROY_PEAK = -17.0f;
constexpr float KIN_PEAK = -10.5f;

std::vector<float> finish(std::vector<float> s, float peak) {
    softEdges(s);
    scaleToPeak(s, peak);
    return s;
}

} // namespace

std::vector<float> makeKreel() {
    std::vector<float> s = silence(0.55f);
    Osc lead, fifth, top;
    LowPass tone;
    HighPass centre;
    Noise sparkle(0x4B524545);
    for (size_t i = 0; i < s.size(); ++i) {
        const float t = static_cast<float>(i) / SAMPLE_RATE;
        const float k = t / 0.55f;
        const float hz = 420.0f * maths::pow(2.0f, 2.6f * k);
        // A fast flutter on top of the sweep makes it shimmer like charged particles.
        const float flutter = 0.9f + 0.1f * maths::sin(2.0f * maths::PI_F * 28.0f * t);
        // Not too narrow a pulse: a narrow one, centred, spikes far out on one side.
        float v = 0.5f * lead.pulse(hz, 0.35f) + 0.25f * fifth.saw(hz * 1.5f) +
                  0.2f * top.sine(hz * 2.0f) + 0.08f * sparkle.white() * k;
        // Saturation packs the sweep towards a square, loud for its peak; the lopsided pulse
        // comes out of it off centre, which the high-pass takes back.
        v = tone.run(centre.run(maths::tanh(4.0f * v), 60.0f), 1800.0f + 7000.0f * k) * flutter;
        const float env = std::min(1.0f, t / 0.01f) * (k < 0.8f ? 1.0f : (1.0f - k) / 0.2f);
        s[i] = v * env;
    }
    return finish(s, KREEL_PEAK);
}

std::vector<float> makeDamage() {
    std::vector<float> s = silence(0.75f);
    Osc sub, growl;
    LowPass crunchTone, heavy;
    Noise crunch(0x44414D47);
    float held = 0.0f, holdPhase = 0.0f;
    for (size_t i = 0; i < s.size(); ++i) {
        const float t = static_cast<float>(i) / SAMPLE_RATE;
        const float body =
            sub.sine(35.0f + 90.0f * maths::exp(-t / 0.12f)) * maths::exp(-t / 0.28f);
        const float buzz =
            growl.pulse(55.0f + 30.0f * maths::exp(-t / 0.05f), 0.3f) * maths::exp(-t / 0.12f);
        // Sample-and-hold noise at a falling rate: a coarse, crunching grain.
        holdPhase += (2400.0f * maths::exp(-t / 0.2f) + 250.0f) / SAMPLE_RATE;
        if (holdPhase >= 1.0f) {
            holdPhase -= 1.0f;
            held = crunch.white();
        }
        const float grit = crunchTone.run(held, 1600.0f) * maths::exp(-t / 0.16f);
        // Distortion gives the crunch; the low-pass after it keeps the weight at the bottom.
        s[i] = heavy.run(maths::tanh(2.5f * (0.9f * body + 0.35f * buzz + 0.8f * grit)), 3200.0f);
    }
    return finish(s, DAMAGE_PEAK);
}

std::vector<float> makeDestroy() {
    std::vector<float> s = silence(0.32f);
    Osc thump;
    LowPass tone;
    Noise burst(0x44535452);
    for (size_t i = 0; i < s.size(); ++i) {
        const float t = static_cast<float>(i) / SAMPLE_RATE;
        const float noise = tone.run(burst.white(), 400.0f + 6500.0f * maths::exp(-t / 0.06f));
        const float kick =
            thump.sine(40.0f + 120.0f * maths::exp(-t / 0.03f)) * maths::exp(-t / 0.06f);
        // A quick decay, so a run of kills does not pile up much of one burst under the next.
        const float env = std::min(1.0f, t / 0.002f) * maths::exp(-t / 0.06f);
        s[i] = maths::tanh(1.8f * (1.2f * noise * env + 0.8f * kick));
    }
    // The first crack of the noise is the tallest peak; holding it 1.5 dB down lets the rest of
    // the burst come up under the same peak.
    limit(s, 1, peakDb(s) - 1.5f, 0.03f, false);
    return finish(s, DESTROY_PEAK);
}

std::vector<float> makeKin() {
    std::vector<float> s = silence(0.4f);
    // Partial ratios of a struck metal bar: inharmonic, which is what makes it sound metallic.
    const float ratios[] = {1.0f, 2.76f, 5.40f, 8.93f};
    const float gains[] = {1.0f, 0.36f, 0.18f, 0.08f};
    const float decays[] = {0.8f, 0.1f, 0.05f, 0.03f};
    // The first bar is damped just before the second rings, so the two never pile up into one
    // tall peak; the second rings on at an even level, which carries over the music.
    struct Strike {
        float start, hz, gain, damped;
    };
    const Strike strikes[] = {{0.0f, 1760.0f, 0.8f, 0.045f}, {0.055f, 2637.0f, 1.0f, 1.0f}};
    for (const Strike& k : strikes) {
        Osc partial[4];
        for (size_t i = static_cast<size_t>(k.start * SAMPLE_RATE); i < s.size(); ++i) {
            const float t = static_cast<float>(i) / SAMPLE_RATE - k.start;
            float v = 0.0f;
            for (int p = 0; p < 4; ++p)
                if (k.hz * ratios[p] < 10000.0f) // partials above that would fold back as noise
                    v += gains[p] * partial[p].sine(k.hz * ratios[p]) * maths::exp(-t / decays[p]);
            const float damping = t < k.damped ? 1.0f : maths::exp(-(t - k.damped) / 0.012f);
            s[i] += k.gain * v * std::min(1.0f, t / 0.001f) * damping;
        }
    }
    // The ring dies away over its last 120 ms instead of stopping.
    const size_t fade = SAMPLE_RATE * 12 / 100;
    for (size_t i = 0; i < fade; ++i)
        s[s.size() - 1 - i] *= 0.5f - 0.5f * maths::cos(maths::PI_F * i / fade);
    // Each strike's first ringing of its upper partials is held down to 6 dB over the RMS: the
    // even ring then carries the level, loud enough over the music without a tall peak.
    limit(s, 1, rmsDb(s) + 6.0f, 0.02f, false);
    return finish(s, KIN_PEAK);
}
