#include "whole_file.h"

#include <cstdint>
#include <fstream>
#include <random>
#include <system_error>

namespace fs = std::filesystem;

namespace {

fs::path utf8Path(const std::string& text) { return fs::path(std::u8string(text.begin(), text.end())); }

bool writeBytes(const fs::path& file, std::string_view bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    out.close();
    return !out.fail();
}

// A symbolic link to a file stays a link: the file it names is replaced.
fs::path replacedFile(const fs::path& path) {
    std::error_code error;
    if (!fs::is_symlink(fs::symlink_status(path, error))) return path;
    fs::path resolved = fs::canonical(path, error);
    return error ? path : resolved;
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
    std::error_code error;
    const fs::file_status status = fs::status(requested, error);
    if (fs::is_directory(status)) return false;
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        staged.target = requested;
        return writeBytes(requested, bytes);
    }
    staged.target = replacedFile(requested);
    if (staged.target.filename().empty()) return false;
    staged.temporary = temporaryBeside(staged.target);
    if (staged.temporary.empty()) return false;
    if (!writeBytes(staged.temporary, bytes)) {
        discardStagedFile(staged);
        return false;
    }
    // A replaced file keeps who may read it.
    if (fs::is_regular_file(status)) fs::permissions(staged.temporary, status.permissions(), error);
    return true;
}

bool commitStagedFile(StagedFile& staged) {
    if (staged.temporary.empty()) return true;
    std::error_code error;
    fs::rename(staged.temporary, staged.target, error);
    if (error) {
        discardStagedFile(staged);
        return false;
    }
    staged.temporary.clear();
    return true;
}

void discardStagedFile(StagedFile& staged) {
    if (staged.temporary.empty()) return;
    std::error_code error;
    fs::remove(staged.temporary, error);
    staged.temporary.clear();
}

bool writeFileWhole(const std::string& path, std::string_view bytes) {
    StagedFile staged;
    return stageFile(staged, path, bytes) && commitStagedFile(staged);
}
