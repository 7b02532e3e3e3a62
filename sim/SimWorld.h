// The whole game world seen from outside: its hash, its invariants, and a copy to roll back to.
#pragma once

#include "flow/GameMain.h"
#include "objects/Enemy.h"
#include "objects/ItemBomb.h"
#include "objects/Particle.h"
#include "objects/Player.h"
#include "objects/ShotBullet.h"

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

// FNV-1a (64 bit) over every existing object of the six pools with its slot, the player, the fields
// of gameMain, the level, the scene with the title's key wait and a running end roll, and the
// random generator's state. Free slots do not count: what a dead object left is not the game.
uint64_t hashWorld();

// The first broken invariant as a sentence, or "" when all hold: each pool is the one built at
// start-up with its full capacity, and no existing object (player included) has a NaN position,
// velocity or acceleration.
std::string checkWorld();
// Remembers the pools' addresses that checkWorld compares against; call after gameMain exists.
void rememberPools();

// Everything a frame can change, copied out and back in, so a benchmark can replay one frame.
struct WorldSnapshot {
    // Every slot of every pool, free ones too, one vector for each kind of object.
    std::tuple<std::vector<Bullet>, std::vector<Shot>, std::vector<Enemy>, std::vector<Item>,
               std::vector<Bomb>, std::vector<Particle>>
        pools;
    Player player;
    int level = 0;
    std::vector<int64_t> game; // gameMain's replayed fields, in their order
};
void saveWorld(WorldSnapshot& s);
// Copies back element by element into the existing pools: no allocation.
void restoreWorld(const WorldSnapshot& s);
