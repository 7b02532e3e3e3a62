// The one game-wide generator: 32-bit draws, seeded once, so a seed and an input replay a game.
#pragma once

#include <cstdint>

// Restarts the sequence. The game seeds once at start-up; tests and the simulator pick their own.
void randSeed(uint64_t seed);
// The next draw. Callers reduce it with % N, a fresh draw per use, in the rules' order.
uint32_t randNext();
// The generator's whole state, for the simulator's hash and snapshot, and a state put back.
uint64_t randState();
void randRestore(uint64_t state);
// The seed whose randSeed leaves the generator in this state: a game that begins mid-run, after
// other games, is kept as a replay that starts from a seed like any other.
uint64_t randSeedFor(uint64_t state);
