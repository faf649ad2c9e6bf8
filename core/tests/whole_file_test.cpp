// What becomes of a staged file when the target changes before the commit.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "core/whole_file.h"

namespace fs = std::filesystem;

namespace {

std::string contentOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

TEST(WholeFile, CommitAfterTheTargetChanged) {
    enum class Change { None, Removed, NonEmptyFolder };
    struct Case {
        Change change;
        bool committed;
    };
    const Case cases[] = {{Change::None, true}, {Change::Removed, true}, {Change::NonEmptyFolder, false}};
    const fs::path dir = fs::temp_directory_path() / ("lumibox-whole-file-" + std::to_string(std::random_device{}()));
    for (const Case& c : cases) {
        fs::remove_all(dir);
        fs::create_directories(dir);
        const fs::path target = dir / "out.json";
        std::ofstream(target, std::ios::binary) << "old";
        StagedFile staged;
        ASSERT_TRUE(stageFile(staged, (dir / "out.json").string(), "new"));
        if (c.change != Change::None) fs::remove(target);
        if (c.change == Change::NonEmptyFolder) {
            fs::create_directory(target);
            std::ofstream(target / "inside", std::ios::binary) << "x";
        }
        EXPECT_EQ(commitStagedFile(staged), c.committed) << static_cast<int>(c.change);
        EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1) << "no temporary file left";
        if (c.committed) {
            EXPECT_EQ(contentOf(target), "new");
        }
    }
    fs::remove_all(dir);
}
