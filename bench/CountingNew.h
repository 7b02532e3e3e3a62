// The benchmark's count of global operator new calls, to prove a frame of play allocates nothing.
#pragma once

#include <cstdint>

// Every operator new of the process so far (all threads).
uint64_t newCalls();
