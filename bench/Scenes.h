// The worlds the frame benchmarks replay: typical, full pools, kind-14 rings, boss death.
#pragma once

#include "sim/SimWorld.h"

#include <string>

// Each builds its world through the real game (a game started, then objects created through the
// pools' own create functions) and leaves it in gameMain's play state, ready for one sceneStep.
// They return "" or what could not be built.
std::string buildTypicalFrame(int level, int frame);
std::string buildFullPools(int level);
std::string buildKind14Rings(int level, int enemies, int bulletsBefore);
std::string buildBossDeath(int level);

// Alive objects of the six pools, "b1024 s64 e64 i64 o64 p256", for the benchmark's label.
std::string poolCounts();
