// generate.h - writes the whole data/ folder (every sheet in every tier, the
// default font strip, every sound) and, on request, one contact sheet per tier
// for reviewing the art. Called by the artgen command and by the tests.
#pragma once

#include <string>
#include <vector>

namespace art {

struct GenerateOptions {
    std::string dataDir;    // receives data/ content (created if missing)
    std::string reviewDir;  // contact sheets go here; empty: none
    int threads = 0;        // 0: as many as the machine has (at most 4)
};

struct GenerateResult {
    bool ok = false;
    std::vector<std::string> written;  // paths relative to dataDir, sorted
    std::string error;                 // first failure, when !ok
};

GenerateResult generate(const GenerateOptions& options);

// Every file name generate() writes under dataDir, sorted.
std::vector<std::string> expectedDataFiles();

}  // namespace art
