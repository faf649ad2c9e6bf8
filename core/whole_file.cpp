#include "whole_file.h"

#include <cstdint>
#include <optional>
#include <random>
#include <system_error>

#include "durable_file.h"
#include "interruption.h"

namespace fs = std::filesystem;

namespace {

fs::path utf8Path(const std::string& text) { return fs::path(std::u8string(text.begin(), text.end())); }

// The file a path leads to through any symbolic links, whether that file exists or not;
// empty for a loop of links.
fs::path replacedFile(fs::path path) {
    for (int hop = 0; hop < 40; ++hop) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(path, error))) return path;
        const fs::path next = fs::read_symlink(path, error);
        if (error) return {};
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return {};
}

// ".<name>.<random>.tmp" in the target's folder: a rename within one file system is atomic.
fs::path temporaryBeside(const fs::path& target) {
    static std::mt19937_64 random{std::random_device{}()};
    static constexpr char kHex[] = "0123456789abcdef";
    for (int attempt = 0; attempt < 16; ++attempt) {
        std::string name = "." + target.filename().string() + ".";
        uint64_t bits = random();
        for (int i = 0; i < 16; ++i, bits >>= 4) name += kHex[bits & 0xF];
        fs::path candidate = target.parent_path() / (name + ".tmp");
        std::error_code error;
        if (!fs::exists(fs::symlink_status(candidate, error))) return candidate;
    }
    return {};
}

}  // namespace

bool stageFile(StagedFile& staged, const std::string& path, std::string_view bytes) {
    staged = {};
    if (path.empty()) return false;
    const fs::path requested = utf8Path(path);
    if (const std::optional<bool> streamed = writeToNamedStream(requested, bytes)) {
        staged.target = requested;
        return *streamed;
    }
    std::error_code error;
    const fs::file_status status = fs::status(requested, error);
    if (fs::is_directory(status)) return false;
    staged.target = replacedFile(requested);
    if (staged.target.filename().empty()) return false;
    staged.temporary = temporaryBeside(staged.target);
    if (staged.temporary.empty()) return false;
    // Named before it exists, so that an interruption from here on removes it.
    if (!removeOnInterruption(staged.temporary)) {
        staged.temporary.clear();
        return false;
    }
    // A replaced file keeps who may read it.
    std::optional<fs::perms> permissions;
    if (fs::is_regular_file(status)) permissions = status.permissions();
    if (!writeNewFileDurably(staged.temporary, bytes, permissions)) {
        discardStagedFile(staged);
        return false;
    }
    return true;
}

bool commitStagedFile(StagedFile& staged) {
    if (staged.temporary.empty()) return true;
    if (!replaceFileDurably(staged.temporary, staged.target)) {
        discardStagedFile(staged);
        return false;
    }
    keepOnInterruption(staged.temporary);
    staged.temporary.clear();
    return true;
}

void discardStagedFile(StagedFile& staged) {
    if (staged.temporary.empty()) return;
    std::error_code error;
    fs::remove(staged.temporary, error);
    keepOnInterruption(staged.temporary);
    staged.temporary.clear();
}

bool writeFileWhole(const std::string& path, std::string_view bytes) {
    StagedFile staged;
    return stageFile(staged, path, bytes) && commitStagedFile(staged);
}
