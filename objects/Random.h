// The one game-wide random generator: unsigned 32-bit draws, seeded once, so a seed and an input replay a game.
#pragma once

#include <cstdint>

// Restarts the sequence. The game seeds once at start-up; tests and the simulator pick their own seed.
void randSeed(uint64_t seed);
// The next draw. Callers reduce it with % N, one fresh draw per use, in the order the rules take them.
uint32_t randNext();
// The generator's whole state, for hashing a game's end state and for save/restore in tests.
uint64_t randState();
