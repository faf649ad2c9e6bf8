// The unit-test side of a fuzz target: every seed input and every reproducer saved
// from a finding (fuzz/reproducers/<target>/) runs through the target once. A check
// that fails aborts the test binary, so a finding that comes back fails the suite.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "fuzz_target.h"

namespace {

void runInput(const std::string& input) {
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
}

TEST(FuzzReplay, SeedsAndReproducers) {
    const std::vector<std::string> seeds = fuzzSeeds();
    ASSERT_FALSE(seeds.empty());
    for (const std::string& seed : seeds) runInput(seed);

    const std::filesystem::path folder = std::filesystem::path(LUMIBOX_FUZZ_REPRODUCERS);
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (!entry.is_regular_file() || entry.path().filename() == "README.md") continue;
        std::ifstream file(entry.path(), std::ios::binary);
        std::stringstream bytes;
        bytes << file.rdbuf();
        SCOPED_TRACE(entry.path().string());
        runInput(bytes.str());
    }
}

}  // namespace
