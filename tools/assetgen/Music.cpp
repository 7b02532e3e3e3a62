// The boss theme: D minor at 150 BPM, 48 bars, rendered into a ring so every tail runs into the
// head.
#include "Assets.h"
#include "Synth.h"
#include "maths/Maths.h"

#include <sstream>
#include <stdexcept>
#include <string>

namespace {

constexpr int STEP = SAMPLE_RATE * 60 / 150 / 4; // one 16th note: exactly 2205 samples
constexpr int STEPS_PER_BAR = 16;
constexpr int BAR = STEP * STEPS_PER_BAR;
constexpr int BARS = 48;
constexpr int LENGTH = BAR * BARS; // 76.8 s

// Background music: quiet enough that the effects stand 4 dB above it and still have room on top.
constexpr float MUSIC_RMS_DB = -21.5f;
constexpr float MUSIC_CREST_DB = 9.0f; // the limiter's ceiling over the RMS

enum Section { DRIVE, THEME, BRIDGE, BUILD };

struct Chord {
    int pitchClass; // C = 0
    bool minor;
};

// One chord a bar. The last bars sit on the dominant so the end falls back into the first bar.
constexpr Chord Dm{2, true}, Gm{7, true}, Bb{10, false}, C{0, false}, A{9, false}, Eb{3, false};
// clang-format off
const Chord CHORDS[BARS] = {
    Dm, Dm, Bb, C,  Dm, Dm, Bb, A,  // drive
    Dm, Bb, C,  A,  Dm, Bb, Gm, A,  // theme
    Dm, Bb, C,  A,  Gm, Bb, A,  A,  //
    Gm, Gm, Dm, Dm, Bb, C,  Dm, Dm, // bridge
    Gm, Gm, Dm, Dm, Eb, Eb, A,  A,  //
    Dm, Bb, C,  A,  Dm, Bb, A,  A,  // build
};
// clang-format on

Section sectionOf(int bar) {
    if (bar < 8) return DRIVE;
    if (bar < 24) return THEME;
    if (bar < 40) return BRIDGE;
    return BUILD;
}

// The lead, one string per bar from bar 8: note name and octave, a colon, length in 16ths.
const char* MELODY[] = {
    "A4:3 D5:3 F5:2 E5:2 D5:2 A4:4",
    "Bb4:3 D5:3 F5:2 G5:4 F5:4",
    "E5:3 G5:3 C6:2 Bb5:2 A5:2 G5:4",
    "A5:8 G5:2 F5:2 E5:4",
    "D5:3 F5:3 A5:2 D6:6 C6:2",
    "Bb5:4 A5:2 G5:2 F5:4 D5:4",
    "G5:3 Bb5:3 D6:2 C6:2 Bb5:2 A5:4",
    "A5:10 R:2 E5:2 F5:2",
    "A4:3 D5:3 F5:2 E5:2 D5:2 A4:4",
    "Bb4:3 D5:3 F5:2 G5:4 F5:4",
    "E5:3 G5:3 C6:2 D6:2 E6:2 C6:4",
    "C#6:8 A5:4 E5:4",
    "G5:3 F5:3 D5:2 Bb4:4 D5:4",
    "F5:4 Bb5:4 A5:4 F5:4",
    "E5:3 C#5:3 E5:2 A5:8",
    "A5:12 R:4",
    // bridge: lower and longer, the calm before the last push
    "G4:6 A4:2 Bb4:8",
    "D5:6 C5:2 Bb4:4 A4:4",
    "A4:12 F4:4",
    "D4:4 E4:4 F4:4 A4:4",
    "Bb4:6 C5:2 D5:8",
    "E5:6 F5:2 G5:8",
    "F5:8 E5:4 D5:4",
    "A4:16",
    "G5:6 F5:2 D5:8",
    "Bb5:6 A5:2 G5:4 F5:4",
    "A5:12 D5:4",
    "F5:4 E5:4 D5:4 C5:4",
    "Bb4:6 G4:2 Eb5:8",
    "G5:6 F5:2 Eb5:4 D5:4",
    "C#5:8 E5:8",
    "A5:12 R:4",
    // build: the lead rests, then climbs in 8ths
    "R:16",
    "R:16",
    "R:16",
    "R:16",
    "D5:2 D5:2 F5:2 D5:2 A5:2 D5:2 F5:2 A5:2",
    "Bb5:2 F5:2 D5:2 F5:2 Bb5:2 D6:2 C6:2 Bb5:2",
    "A5:2 E5:2 C#5:2 E5:2 A5:2 C#6:2 E6:2 C#6:2",
    "E6:4 C#6:4 A5:4 E5:4",
};
constexpr int MELODY_FIRST_BAR = 8;

float hzOf(float midi) {
    return 440.0f * maths::pow(2.0f, (midi - 69.0f) / 12.0f);
}

int midiOf(const std::string& name) {
    static const int LETTER[] = {9, 11, 0, 2, 4, 5, 7}; // A..G
    int pc = LETTER[name.at(0) - 'A'];
    size_t i = 1;
    if (name.at(i) == '#')
        ++pc, ++i;
    else if (name.at(i) == 'b')
        --pc, ++i;
    return 12 * (name.at(i) - '0' + 1) + pc;
}

// Stereo ring buffer: writes past the end wrap to the start, which makes the loop seamless.
struct Ring {
    std::vector<float> left, right, send;
    Ring() : left(LENGTH), right(LENGTH), send(LENGTH) {}
    void add(long i, float v, float pan, float sendLevel) {
        const size_t k = static_cast<size_t>(((i % LENGTH) + LENGTH) % LENGTH);
        left[k] += v * (1.0f - pan);
        right[k] += v * (1.0f + pan);
        send[k] += v * sendLevel;
    }
};

float adsr(float t, float length, float attack, float decay, float sustain, float release) {
    float level =
        t < attack ? t / attack : sustain + (1.0f - sustain) * maths::exp(-(t - attack) / decay);
    if (t > length) level *= std::max(0.0f, 1.0f - (t - length) / release);
    return level;
}

void bassNote(Ring& ring, long start, int steps, int midi) {
    Osc saw, sub;
    LowPass tone;
    const float length = steps * STEP * 0.8f / SAMPLE_RATE, hz = hzOf(static_cast<float>(midi));
    for (long i = 0; i < static_cast<long>((length + 0.03f) * SAMPLE_RATE); ++i) {
        const float t = static_cast<float>(i) / SAMPLE_RATE;
        float v = 0.6f * saw.saw(hz) + 0.5f * sub.pulse(hz * 0.5f, 0.5f);
        v = tone.run(v, 260.0f + 1900.0f * maths::exp(-t / 0.07f));
        ring.add(start + i, 0.34f * v * adsr(t, length, 0.004f, 0.15f, 0.7f, 0.03f), 0.0f, 0.0f);
    }
}

void arpNote(Ring& ring, long start, int midi, float level, float brightness) {
    Osc osc;
    LowPass tone;
    const float hz = hzOf(static_cast<float>(midi));
    for (long i = 0; i < STEP * 2; ++i) {
        const float t = static_cast<float>(i) / SAMPLE_RATE;
        const float v = tone.run(osc.pulse(hz, 0.25f), brightness) * maths::exp(-t / 0.07f);
        ring.add(start + i, level * v, -0.35f, 0.5f);
    }
}

void leadNote(Ring& ring, long start, int steps, int midi) {
    Osc a, b, vib;
    LowPass tone;
    const float length = (steps * STEP - STEP / 4) / static_cast<float>(SAMPLE_RATE);
    for (long i = 0; i < static_cast<long>((length + 0.08f) * SAMPLE_RATE); ++i) {
        const float t = static_cast<float>(i) / SAMPLE_RATE;
        // Vibrato fades in after the attack, as a player would add it to a held note.
        const float depth = 0.22f * std::min(1.0f, std::max(0.0f, (t - 0.15f) / 0.2f));
        const float hz = hzOf(midi + depth * vib.sine(5.5f));
        float v = 0.5f * a.saw(hz) + 0.4f * b.pulse(hz * 1.004f, 0.4f);
        v = tone.run(v, 2000.0f + 2600.0f * maths::exp(-t / 0.12f));
        ring.add(start + i, 0.42f * v * adsr(t, length, 0.008f, 0.2f, 0.75f, 0.07f), 0.2f, 0.45f);
    }
}

void padChord(Ring& ring, long start, const Chord& chord, float level) {
    const int root = 50 + (chord.pitchClass + 10) % 12; // around C3..B3
    const int notes[3] = {root, root + (chord.minor ? 3 : 4), root + 7};
    const float length = static_cast<float>(BAR) / SAMPLE_RATE;
    for (int n = 0; n < 3; ++n) {
        Osc x, y;
        LowPass tone;
        const float hz = hzOf(static_cast<float>(notes[n]));
        for (long i = 0; i < BAR + SAMPLE_RATE / 2; ++i) {
            const float t = static_cast<float>(i) / SAMPLE_RATE;
            const float v = tone.run(x.saw(hz * 0.997f) + y.saw(hz * 1.003f), 900.0f);
            ring.add(start + i, level * v * adsr(t, length, 0.25f, 1.0f, 1.0f, 0.5f), n - 1.0f,
                     0.2f);
        }
    }
}

enum Drum { KICK, SNARE, HAT, OPEN_HAT, CRASH };

void drum(Ring& ring, long start, Drum kind, float level, Noise& noise) {
    Osc body;
    HighPass air;
    const float seconds[] = {0.35f, 0.25f, 0.06f, 0.3f, 1.8f};
    for (long i = 0; i < static_cast<long>(seconds[kind] * SAMPLE_RATE); ++i) {
        const float t = static_cast<float>(i) / SAMPLE_RATE;
        float v = 0.0f, pan = 0.0f;
        switch (kind) {
        case KICK:
            v = body.sine(48.0f + 110.0f * maths::exp(-t / 0.028f)) * maths::exp(-t / 0.16f) +
                0.3f * noise.white() * maths::exp(-t / 0.003f);
            break;
        case SNARE:
            v = 0.7f * air.run(noise.white(), 1400.0f) * maths::exp(-t / 0.09f) +
                0.6f * body.triangle(190.0f) * maths::exp(-t / 0.05f);
            break;
        case HAT:
            v = 0.35f * air.run(noise.white(), 7000.0f) * maths::exp(-t / 0.022f);
            pan = 0.3f;
            break;
        case OPEN_HAT:
            v = 0.3f * air.run(noise.white(), 6500.0f) * maths::exp(-t / 0.12f);
            pan = 0.3f;
            break;
        case CRASH:
            v = 0.35f * air.run(noise.white(), 4500.0f) * maths::exp(-t / 0.7f);
            pan = -0.2f;
            break;
        }
        ring.add(start + i, 0.5f * level * v, pan, 0.0f);
    }
}

void playDrums(Ring& ring, int bar, Noise& noise) {
    const long at = static_cast<long>(bar) * BAR;
    const Section s = sectionOf(bar);
    if (bar % 8 == 0 && s != BRIDGE) drum(ring, at, CRASH, 1.0f, noise);
    if (bar == 24) drum(ring, at, CRASH, 0.7f, noise);
    const bool roll = bar >= 46;
    for (int step = 0; step < STEPS_PER_BAR; ++step) {
        const long t = at + static_cast<long>(step) * STEP;
        const bool kick = s == BRIDGE
                              ? (step == 0 || step == 7 || step == 10)
                              : (step == 0 || step == 8 || step == 10 || (roll && step % 4 == 0));
        if (kick) drum(ring, t, KICK, 1.0f, noise);
        if (roll) {
            // The snare roll thickens and swells over the last two bars, into the crash at the top.
            const int every = bar == 46 ? 2 : 1;
            if (step % every == 0)
                drum(ring, t, SNARE, 0.35f + 0.65f * (step + 16 * (bar - 46)) / 32.0f, noise);
        } else if (step == 4 || step == 12) {
            drum(ring, t, SNARE, 1.0f, noise);
        }
        if (s == BRIDGE)
            drum(ring, t, HAT, step % 2 ? 0.5f : 0.8f, noise);
        else if (step == 14 && bar % 2 == 1)
            drum(ring, t, OPEN_HAT, 1.0f, noise);
        else if (step % 2 == 0)
            drum(ring, t, HAT, step % 4 == 2 ? 1.0f : 0.6f, noise);
    }
}

void playBass(Ring& ring, int bar) {
    const long at = static_cast<long>(bar) * BAR;
    const int root = 36 + CHORDS[bar].pitchClass;
    if (sectionOf(bar) == BRIDGE) {
        // Syncopated against the half-time drums.
        const int steps[] = {0, 3, 6, 8, 11, 14}, lengths[] = {3, 3, 2, 3, 3, 2};
        for (int k = 0; k < 6; ++k)
            bassNote(ring, at + steps[k] * STEP, lengths[k], root + (k == 2 || k == 5 ? 12 : 0));
        return;
    }
    const int octave[8] = {0, 0, 12, 0, 0, 12, 0, 12};
    for (int k = 0; k < 8; ++k)
        bassNote(ring, at + k * 2 * STEP, 2, root + octave[k]);
}

void playArp(Ring& ring, int bar) {
    const long at = static_cast<long>(bar) * BAR;
    const Chord& c = CHORDS[bar];
    const int root = 57 + (c.pitchClass + 3) % 12; // A3..G#4
    const int third = c.minor ? 3 : 4;
    const int tones[8] = {0, third, 7, 12, 12 + third, 19, 24, 24 + third};
    const int order[16] = {0, 1, 2, 3, 4, 5, 6, 7, 6, 5, 4, 3, 2, 1, 2, 3};
    const Section s = sectionOf(bar);
    // Darker while the lead sings, brighter when the arpeggio carries the tune alone.
    const float brightness = s == THEME ? 1800.0f : s == BRIDGE ? 2500.0f : 3500.0f;
    const float level = s == THEME ? 0.09f : 0.14f;
    for (int step = 0; step < STEPS_PER_BAR; ++step)
        arpNote(ring, at + step * STEP, root + tones[order[step]], level, brightness);
}

void playLead(Ring& ring) {
    int bar = MELODY_FIRST_BAR;
    for (const char* line : MELODY) {
        std::istringstream words(line);
        std::string word;
        int step = 0;
        while (words >> word) {
            const size_t colon = word.find(':');
            const int steps = std::stoi(word.substr(colon + 1));
            const std::string name = word.substr(0, colon);
            if (name != "R")
                leadNote(ring, static_cast<long>(bar) * BAR + step * STEP, steps, midiOf(name));
            step += steps;
        }
        if (step != STEPS_PER_BAR)
            throw std::logic_error("melody bar " + std::to_string(bar) + " is not 16 steps");
        ++bar;
    }
}

// Feedback echo of the send bus, three 16ths late, bounced to the right. Run twice round the
// ring so the echoes of the last bars are heard over the first.
void addEcho(Ring& ring) {
    const long delay = 3 * STEP;
    std::vector<float> echo(LENGTH, 0.0f);
    for (int lap = 0; lap < 2; ++lap)
        for (long i = 0; i < LENGTH; ++i)
            echo[i] = ring.send[i] + 0.38f * echo[(i - delay + LENGTH) % LENGTH];
    for (long i = 0; i < LENGTH; ++i) {
        const float wet = echo[(i - delay + LENGTH) % LENGTH];
        ring.left[i] += 0.25f * wet;
        ring.right[i] += 0.45f * wet;
    }
}

} // namespace

std::vector<float> makeMusic() {
    Ring ring;
    Noise noise(0x5A4F5256);
    for (int bar = 0; bar < BARS; ++bar) {
        playDrums(ring, bar, noise);
        playBass(ring, bar);
        playArp(ring, bar);
        if (sectionOf(bar) != THEME)
            padChord(ring, static_cast<long>(bar) * BAR, CHORDS[bar], 0.05f);
    }
    playLead(ring);
    addEcho(ring);

    // Notes cut off mid-cycle leave a little DC. Taking each channel's mean off a loop shifts
    // every sample alike, so the join stays seamless.
    for (std::vector<float>* side : {&ring.left, &ring.right}) {
        double sum = 0.0;
        for (float s : *side)
            sum += s;
        for (float& s : *side)
            s -= static_cast<float>(sum / LENGTH);
    }
    std::vector<float> out(2 * static_cast<size_t>(LENGTH));
    for (long i = 0; i < LENGTH; ++i) {
        out[2 * i] = ring.left[i];
        out[2 * i + 1] = ring.right[i];
    }
    // The limiter holds the drum hits down so they do not set the level; setting the RMS again
    // after it lifts the peaks a fraction of a dB over its ceiling, and the codec a little more.
    scaleToRms(out, MUSIC_RMS_DB);
    limit(out, 2, MUSIC_RMS_DB + MUSIC_CREST_DB, 0.08f, true);
    scaleToRms(out, MUSIC_RMS_DB);
    return out;
}
