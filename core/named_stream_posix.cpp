#include "named_stream_posix.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <string>

namespace fs = std::filesystem;

namespace {

bool readsAsDescriptor(std::string_view text, int& descriptor) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), descriptor);
    return error == std::errc() && end == text.data() + text.size() && !text.empty() && descriptor >= 0;
}

// The descriptor of this process that a path names: /dev/stdout, /dev/fd/N, /proc/self/fd/N.
// Opening such a path would open the file behind the descriptor anew, from its start and
// truncated, rather than writing where the descriptor points.
bool namesOwnDescriptor(const fs::path& path, int& descriptor) {
    const std::string text = path.lexically_normal().string();
    if (text == "/dev/stdin" || text == "/dev/stdout" || text == "/dev/stderr") {
        descriptor = text == "/dev/stdin" ? 0 : text == "/dev/stdout" ? 1 : 2;
        return true;
    }
    const std::string ownProcess = "/proc/" + std::to_string(getpid()) + "/fd/";
    for (const std::string_view prefix : {std::string_view("/dev/fd/"), std::string_view("/proc/self/fd/"),
                                          std::string_view(ownProcess)}) {
        if (text.starts_with(prefix)) return readsAsDescriptor(std::string_view(text).substr(prefix.size()), descriptor);
    }
    return false;
}

// Follows symbolic links one at a time, stopping at a path that names a descriptor: the
// last link of /dev/stdout leads to the file the descriptor has open.
bool leadsToOwnDescriptor(fs::path path, int& descriptor) {
    for (int hop = 0; hop < 40; ++hop) {
        if (namesOwnDescriptor(path, descriptor)) return true;
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(path, error))) return false;
        const fs::path next = fs::read_symlink(path, error);
        if (error) return false;
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return false;
}

}  // namespace

std::optional<NamedStream> openNamedStream(const fs::path& path) {
    int descriptor = -1;
    if (leadsToOwnDescriptor(path, descriptor)) return NamedStream{descriptor, false};
    struct stat status {};
    if (stat(path.c_str(), &status) != 0 || S_ISREG(status.st_mode) || S_ISDIR(status.st_mode)) return std::nullopt;
    // A pipe, a terminal or another device: opened without truncating or creating anything.
    return NamedStream{open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC), true};
}
