// fuzz_targets.h - the parsers' fuzz targets as plain functions, so that the
// libFuzzer executables (fuzz_main.cpp, one per target) and the replay test of the
// normal suite (replay_test.cpp) run exactly the same code on an input. Each target
// feeds the bytes to the real decoder and checks what must hold of its result; a
// broken property ends the process through Fail, which libFuzzer records as a crash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct kx_Tumbleroo_MyApp;

namespace fuzz {

using Entry = int (*)(const std::uint8_t* data, std::size_t size);

struct Target {
    const char* name;  // the folder name under seeds/ and regressions/
    Entry run;
};

int Strings(const std::uint8_t* data, std::size_t size);
int Saved(const std::uint8_t* data, std::size_t size);
int Wav(const std::uint8_t* data, std::size_t size);
int Ogg(const std::uint8_t* data, std::size_t size);
int Png(const std::uint8_t* data, std::size_t size);
int Paths(const std::uint8_t* data, std::size_t size);

// The saved-progress target's game object (made on first use, without a window),
// its working folder holding the state file.
kx_Tumbleroo_MyApp* SavedGame();

// Every target, in the order the fuzz script runs them.
const std::vector<Target>& AllTargets();

// Prints which property broke and traps: the input is a finding.
[[noreturn]] void Fail(const char* target, const char* property);

// An open, read-only FILE over the bytes (the loaders read files); null when the C
// library cannot make one. Close it with std::fclose.
FILE* OpenBytes(const std::uint8_t* data, std::size_t size);

// Reads every byte of a block the decoder handed back, so the address sanitizer
// checks that it really is as long as the decoder's counts say; returns a checksum
// so the reads cannot be optimised away.
unsigned TouchBytes(const unsigned char* block, std::size_t size);

}  // namespace fuzz

#define FUZZ_CHECK(target, cond) \
    do {                         \
        if (!(cond)) ::fuzz::Fail(target, #cond); \
    } while (0)
