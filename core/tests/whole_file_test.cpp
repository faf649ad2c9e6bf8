// A staged file whose target changed before the commit: a target that became a folder
// with files in it cannot be replaced, and the write leaves no temporary file behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "core/whole_file.h"

namespace fs = std::filesystem;

TEST(WholeFile, CommitAfterTheTargetChanged) {
    const fs::path dir = fs::temp_directory_path() / ("lumibox-whole-file-" + std::to_string(std::random_device{}()));
    for (const bool becomesFolder : {false, true}) {
        fs::remove_all(dir);
        fs::create_directories(dir);
        std::ofstream(dir / "out.json", std::ios::binary) << "old";
        StagedFile staged;
        ASSERT_TRUE(stageFile(staged, (dir / "out.json").string(), "new"));
        if (becomesFolder) {
            fs::remove(dir / "out.json");
            fs::create_directory(dir / "out.json");
            std::ofstream(dir / "out.json" / "inside", std::ios::binary) << "x";
        }
        EXPECT_EQ(commitStagedFile(staged), !becomesFolder);
        EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1) << "a temporary file is left";
        EXPECT_EQ(fs::is_regular_file(dir / "out.json") ? fs::file_size(dir / "out.json") : 0, becomesFolder ? 0u : 3u);
    }
    fs::remove_all(dir);
}
