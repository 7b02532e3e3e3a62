// The whole game world seen from outside: its hash, its invariants, and a copy to roll back to.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// FNV-1a (64 bit) over the level, every existing object of the six pools with its slot, the player,
// the fields of gameMain, the scene machine's (the title's key wait, a running end roll's) and the
// random generator's state: each object as its class lists its replayed fields (forEachReplayed), a
// float as its four bytes, an int or a bool as 64 bits, a text as far as its end. Free slots do not
// count: what a dead object left is not the game.
uint64_t hashWorld();

// The first broken invariant as a sentence, or "" when all hold: each pool is the one built at
// start-up with its full capacity, and no existing object (player included) has a NaN position,
// velocity or acceleration.
std::string checkWorld();
// Remembers the pools' addresses that checkWorld compares against; call after gameMain exists.
void rememberPools();

// The replayed world, copied out and back in, so that a benchmark can replay one frame: the fields
// the hash takes, free slots too, through the same lists, and the generator's state.
struct WorldSnapshot {
    std::vector<unsigned char> fields; // each field's bytes, in the lists' order
    uint64_t random = 0;
};
// Needs gameMain; the first save into a snapshot allocates, later ones reuse its room.
void saveWorld(WorldSnapshot& s);
// Copies back field by field into the existing pools and objects: no allocation.
void restoreWorld(const WorldSnapshot& s);
