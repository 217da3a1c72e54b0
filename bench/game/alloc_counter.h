// alloc_counter.h - counts the heap allocations the main thread makes while a
// window is open (malloc, calloc, realloc, and operator new, which goes through
// malloc). The game benchmark opens a window around the game's update and around
// its render. Other threads (the sound library's mixer) are never counted.
// Under the address sanitizer, which owns malloc itself, counting is unavailable.
#pragma once

namespace alloccount {

struct Counts {
    long long calls = 0;
    long long bytes = 0;
};

bool Available();
void Begin();     // zeroes the counts and starts counting on this thread
Counts End();     // stops counting and returns what was seen

}  // namespace alloccount
