#pragma once
// The platform's part of a whole-file write (whole_file.cpp): a new file whose bytes are on
// the disk before it replaces anything, a rename that survives a power cut, and writing
// into a stream that a path names (durable_file_posix.cpp, durable_file_win32.cpp).
#include <filesystem>
#include <optional>
#include <string_view>

// Creates file, which must not exist yet, with bytes and permissions (when given), and
// flushes it to the disk. False, with the file removed, when any step fails.
bool writeNewFileDurably(const std::filesystem::path& file, std::string_view bytes,
                         std::optional<std::filesystem::perms> permissions);

// Renames from over to and flushes the folder, so that the new name is on the disk.
bool replaceFileDurably(const std::filesystem::path& from, const std::filesystem::path& to);

// When path names a stream rather than a file that can be replaced (a descriptor of this
// process, a pipe, a terminal or another device), writes bytes into it as it stands, at its
// position and in its mode (appending when it was opened for appending): whether every byte
// went. Nothing when path names no stream.
std::optional<bool> writeToNamedStream(const std::filesystem::path& path, std::string_view bytes);
