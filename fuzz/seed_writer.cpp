// Linked into every libFuzzer binary: with LUMIBOX_FUZZ_SEEDS=<folder> in the
// environment the binary writes its seed inputs there and ends instead of fuzzing.
#include <cstdlib>
#include <fstream>
#include <string>

#include "fuzz_target.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* folder = std::getenv("LUMIBOX_FUZZ_SEEDS");
    if (folder == nullptr || folder[0] == '\0') return 0;
    const std::vector<std::string> seeds = fuzzSeeds();
    for (std::size_t i = 0; i < seeds.size(); ++i) {
        std::ofstream file(std::string(folder) + "/seed-" + std::to_string(i), std::ios::binary | std::ios::trunc);
        file.write(seeds[i].data(), static_cast<std::streamsize>(seeds[i].size()));
        if (!file.flush()) std::exit(1);
    }
    std::exit(0);
}
