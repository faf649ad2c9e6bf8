#pragma once
// Output files are replaced whole or not at all. The bytes go to a temporary file beside
// the target and reach the disk before that file is renamed over the target, so that a
// write that fails part-way (disk full, quota, file-size limit), an interruption or a power
// cut leaves the previous file or the new one, never a mix, an empty file or a temporary
// file behind. A symbolic link stays a link: the file it leads to is replaced or created. A
// path that names a stream (/dev/stdout, /dev/fd/N, a pipe, a terminal) is written in
// place, where the stream points.
#include <filesystem>
#include <string>
#include <string_view>

// One file written but not yet in place. Paths are UTF-8.
struct StagedFile {
    std::filesystem::path target;
    std::filesystem::path temporary;  // empty once committed or discarded, or when written directly
};

// Writes bytes for path: into a temporary file in the target's folder, or straight into a
// stream. False (nothing left behind) when it cannot.
bool stageFile(StagedFile& staged, const std::string& path, std::string_view bytes);

// Renames the temporary file over the target. False, with the temporary file removed,
// when the rename fails.
bool commitStagedFile(StagedFile& staged);

// Removes the temporary file of a file that is not to be committed.
void discardStagedFile(StagedFile& staged);

// stageFile and commitStagedFile in one.
bool writeFileWhole(const std::string& path, std::string_view bytes);
