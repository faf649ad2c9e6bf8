#pragma once
// Output files are replaced whole or not at all. The bytes go to a temporary file beside
// the target, which is renamed over the target only once every byte is written; a write
// that fails part-way (disk full, quota, file-size limit) leaves the previous file as it
// was and no temporary file behind. A target that exists and is not a regular file (a
// terminal, a pipe, /dev/stdout) cannot be replaced and is written directly.
#include <filesystem>
#include <string>
#include <string_view>

// One file written but not yet in place. Paths are UTF-8.
struct StagedFile {
    std::filesystem::path target;
    std::filesystem::path temporary;  // empty once committed or discarded, or when written directly
};

// Writes bytes for path: into a temporary file in path's folder, or straight into a
// target that is not a regular file. False (nothing left behind) when it cannot.
bool stageFile(StagedFile& staged, const std::string& path, std::string_view bytes);

// Renames the temporary file over the target. False, with the temporary file removed,
// when the rename fails.
bool commitStagedFile(StagedFile& staged);

// Removes the temporary file of a file that is not to be committed.
void discardStagedFile(StagedFile& staged);

// stageFile and commitStagedFile in one.
bool writeFileWhole(const std::string& path, std::string_view bytes);
