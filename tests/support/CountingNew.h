// CountingNew: replaces the global operator new of the program it is linked into with one that
// counts, so the tests and the benchmark can show that play allocates nothing.
#pragma once

#include <cstdint>

// Every operator new of the process so far (all threads).
uint64_t newCalls();
