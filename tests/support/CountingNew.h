// Counts every global operator new of a test program; include it in exactly one file of that
// program.
#pragma once

#include <atomic>
#include <cstdlib>
#include <new>

// The library's array, nothrow and sized forms all end in these two.
inline std::atomic<long> allocations{0};

void* operator new(std::size_t n) {
    ++allocations;
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
