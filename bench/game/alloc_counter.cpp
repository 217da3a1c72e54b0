// alloc_counter.cpp - the counting allocator of the game benchmark (see
// alloc_counter.h). The program's own malloc, calloc and realloc take the place of
// the C library's and hand every request on to the library's allocator, counting
// those made on the main thread while a window is open. Linked into the benchmark
// program only, never into the game.
#include "bench/game/alloc_counter.h"

#include <cstddef>

#if defined(__SANITIZE_ADDRESS__)
#define TUMBLEROO_COUNT_ALLOCATIONS 0
#else
#define TUMBLEROO_COUNT_ALLOCATIONS 1
#endif

namespace {

// Plain thread-locals of the executable: no allocation and no constructor, so they
// are safe to touch from inside malloc at any time, start-up included.
__thread int counting = 0;
__thread long long countedCalls = 0;
__thread long long countedBytes = 0;

inline void Count(std::size_t bytes) {
    if (!counting) return;
    ++countedCalls;
    countedBytes += static_cast<long long>(bytes);
}

}  // namespace

#if TUMBLEROO_COUNT_ALLOCATIONS
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);

void* malloc(std::size_t size) {
    Count(size);
    return __libc_malloc(size);
}

void* calloc(std::size_t count, std::size_t size) {
    Count(count * size);
    return __libc_calloc(count, size);
}

void* realloc(void* block, std::size_t size) {
    Count(size);
    return __libc_realloc(block, size);
}
}
#endif

namespace alloccount {

bool Available() { return TUMBLEROO_COUNT_ALLOCATIONS != 0; }

void Begin() {
    countedCalls = 0;
    countedBytes = 0;
    counting = 1;
}

Counts End() {
    counting = 0;
    Counts c;
    c.calls = countedCalls;
    c.bytes = countedBytes;
    return c;
}

}  // namespace alloccount
