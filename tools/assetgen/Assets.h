// Every asset the generator makes; main writes them out.
#pragma once

#include "Canvas.h"

#include <cstdint>
#include <vector>

Canvas makeTitle();
// The window icon: the design on a framed patch of space, 32 px, opaque for SDL's BMP icon.
Canvas makeWindowIcon();
// The desktop icon: the same design alone on a transparent ground, size pixels square.
Canvas makeIcon(int size);

// Mono sound effects at SAMPLE_RATE, -1..1.
std::vector<float> makeKreel();
std::vector<float> makeDamage();
std::vector<float> makeDestroy();
std::vector<float> makeKin();

// The music as interleaved stereo samples; its length is a whole number of bars so it loops.
std::vector<float> makeMusic();
// Ogg Vorbis bytes of interleaved stereo samples, with fixed settings so reruns match.
std::vector<uint8_t> encodeOggVorbis(const std::vector<float>& stereo);
