// replay_test.cpp - the normal suite's share of the fuzzing: every seed and every
// input the fuzzers ever failed on (tests/fuzz/seeds/<target>/ and
// tests/fuzz/regressions/<target>/) replayed through the same target function the
// fuzz executables run, one test per file. A broken property or a memory fault
// ends the test's process, which CTest reports as a failure.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "tests/fuzz/fuzz_targets.h"

namespace {

namespace fs = std::filesystem;

struct Input {
    std::string target;
    std::string kind;  // "seeds" or "regressions"
    fuzz::Entry run;
    fs::path file;
};

// What a test's parameter shows in listings: the file, not the struct's bytes.
void PrintTo(const Input& input, std::ostream* os) {
    *os << input.target << '/' << input.kind << '/' << input.file.filename().string();
}

std::vector<Input> CollectInputs() {
    std::vector<Input> inputs;
    const fs::path root = fs::path(TUMBLEROO_SOURCE_DIR) / "tests" / "fuzz";
    for (const fuzz::Target& t : fuzz::AllTargets()) {
        for (const char* kind : {"seeds", "regressions"}) {
            const fs::path dir = root / kind / t.name;
            std::error_code ec;
            if (!fs::is_directory(dir, ec)) continue;
            std::vector<fs::path> files;
            for (const fs::directory_entry& e : fs::directory_iterator(dir)) {
                if (e.is_regular_file() && e.path().filename().string()[0] != '.') files.push_back(e.path());
            }
            std::sort(files.begin(), files.end());
            for (const fs::path& f : files) inputs.push_back({t.name, kind, t.run, f});
        }
    }
    return inputs;
}

std::vector<std::uint8_t> ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string TestName(const testing::TestParamInfo<Input>& info) {
    std::string name = info.param.target + "_" + info.param.kind + "_" + info.param.file.filename().string();
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    return name;
}

class Replay : public testing::TestWithParam<Input> {};

TEST_P(Replay, RunsCleanThroughItsTarget) {
    const Input& input = GetParam();
    std::error_code ec;
    ASSERT_TRUE(fs::is_regular_file(input.file, ec)) << input.file;
    const std::vector<std::uint8_t> bytes = ReadAll(input.file);
    ASSERT_EQ(bytes.size(), fs::file_size(input.file)) << input.file;
    EXPECT_EQ(input.run(bytes.data(), bytes.size()), 0) << input.file;
}

INSTANTIATE_TEST_SUITE_P(Inputs, Replay, testing::ValuesIn(CollectInputs()), TestName);

// Every target has seeds to start from; a target without any would start the fuzz
// script from nothing and the replay above would check nothing for it.
TEST(ReplayInputs, EveryTargetHasSeeds) {
    const std::vector<Input> inputs = CollectInputs();
    for (const fuzz::Target& t : fuzz::AllTargets()) {
        const bool seeded = std::any_of(inputs.begin(), inputs.end(), [&](const Input& i) {
            return i.target == t.name && i.kind == "seeds";
        });
        EXPECT_TRUE(seeded) << t.name;
    }
}

}  // namespace
