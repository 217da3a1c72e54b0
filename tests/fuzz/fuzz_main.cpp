// fuzz_main.cpp - the libFuzzer entry of one fuzz executable (fuzz_<name>, built
// from this file with FUZZ_TARGET_NAME set to the target's name): hands every input
// to that target of fuzz_targets.h. Run by scripts/fuzz.sh.
#include <fcntl.h>
#include <unistd.h>

#include <cstring>

#include "fuzz_targets.h"

#ifndef FUZZ_TARGET_NAME
#error "FUZZ_TARGET_NAME names the target this executable runs"
#endif

namespace {

fuzz::Entry g_entry = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    for (const fuzz::Target& t : fuzz::AllTargets()) {
        if (std::strcmp(t.name, FUZZ_TARGET_NAME) == 0) g_entry = t.run;
    }
    if (!g_entry) fuzz::Fail(FUZZ_TARGET_NAME, "the target exists");
    // The loaders report on standard output ("Settings Loaded", "Invalid UTF-8!")
    // for every input; libFuzzer's own report goes to standard error.
    const int devNull = open("/dev/null", O_WRONLY);
    if (devNull >= 0) {
        std::fflush(stdout);
        dup2(devNull, STDOUT_FILENO);
        close(devNull);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) { return g_entry(data, size); }
