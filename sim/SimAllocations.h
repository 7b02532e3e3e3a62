// SimAllocations: the simulator's own global operator new, which counts, so that its check mode and
// the benchmark can show that a frame of play allocates nothing.
#pragma once

#include <cstdint>

// Every operator new of the process so far (all threads). A program that calls this replaces the
// global operator new and delete with the counting ones.
uint64_t simNewCalls();
