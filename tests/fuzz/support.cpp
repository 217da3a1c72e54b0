// support.cpp - what every fuzz target shares: the target table, the failure
// report, a FILE over the input bytes and the check that a decoded block is as long
// as claimed. Linked into every fuzz executable and into the replay test.
#include "fuzz_targets.h"

#include <cstdlib>

namespace fuzz {

namespace {

// The buffer behind the stream of an empty input.
const std::uint8_t kNoBytes[1] = {0};

}  // namespace

const std::vector<Target>& AllTargets() {
    static const std::vector<Target> targets = {
        {"strings", Strings}, {"saved", Saved}, {"wav", Wav},
        {"ogg", Ogg},         {"png", Png},     {"paths", Paths},
    };
    return targets;
}

void Fail(const char* target, const char* property) {
    std::fprintf(stderr, "fuzz target %s: property broken: %s\n", target, property);
    std::fflush(stderr);
    __builtin_trap();
}

FILE* OpenBytes(const std::uint8_t* data, std::size_t size) {
    // An empty input may come without a buffer; the stream still needs one.
    const std::uint8_t* bytes = size == 0 ? kNoBytes : data;
    return fmemopen(const_cast<std::uint8_t*>(bytes), size, "rb");
}

unsigned TouchBytes(const unsigned char* block, std::size_t size) {
    unsigned sum = 0;
    for (std::size_t i = 0; i < size; ++i) sum = sum * 31u + block[i];
    return sum;
}

}  // namespace fuzz
