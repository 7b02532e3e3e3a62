// PlixVorbis: the checks of Ogg Vorbis music that go deeper than its rate and channels.
#pragma once

#include <cstddef>
#include <cstdint>

// Limits of what the setup check takes, beyond the format's own: a decoder expands every vector
// codebook to entries x dimensions values, and no encoder's book comes near this many.
constexpr long PLIX_VORBIS_MAX_BOOK_VALUES = 1L << 20;

// What in a Vorbis setup header (the third header packet, whole) would make a decoder fail or
// fault, or nullptr: every codebook, floor, residue, mapping and mode read as the format lays them
// out, every count and book number in range, and each vector a residue reads whole inside its
// partition. channels comes from the stream's identification header.
const char* vorbisSetupProblem(const uint8_t* packet, size_t size, int channels);

// What is wrong with an Ogg Vorbis file's bytes for the mixer, or nullptr: its pages whole and in
// order with none hidden inside another, and every stream of the chain 1 or 2 channels at 4000 to
// 192000 Hz with headers vorbisSetupProblem takes. A file with no Ogg page at all, or a lone stream
// cut inside its headers, is left to SDL_mixer, which refuses it in its own words.
const char* oggProblem(const uint8_t* data, size_t size);
