#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <string>

#include "durable_file.h"

namespace fs = std::filesystem;

namespace {

bool writeAll(int descriptor, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(descriptor, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

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

bool writeNewFileDurably(const fs::path& file, std::string_view bytes, std::optional<fs::perms> permissions) {
    const int descriptor = open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor < 0) return false;
    bool written = writeAll(descriptor, bytes);
    if (written && permissions) written = fchmod(descriptor, static_cast<mode_t>(*permissions)) == 0;
    written = written && fsync(descriptor) == 0;
    written = close(descriptor) == 0 && written;
    if (!written) unlink(file.c_str());
    return written;
}

bool replaceFileDurably(const fs::path& from, const fs::path& to) {
    if (rename(from.c_str(), to.c_str()) != 0) return false;
    // The rename is done; a folder that cannot be flushed (some file systems refuse) keeps it.
    const fs::path folder = to.parent_path().empty() ? fs::path(".") : to.parent_path();
    const int descriptor = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor >= 0) {
        fsync(descriptor);
        close(descriptor);
    }
    return true;
}

std::optional<bool> writeToNamedStream(const fs::path& path, std::string_view bytes) {
    int descriptor = -1;
    if (leadsToOwnDescriptor(path, descriptor)) return writeAll(descriptor, bytes);
    struct stat status {};
    if (stat(path.c_str(), &status) != 0 || S_ISREG(status.st_mode) || S_ISDIR(status.st_mode)) return std::nullopt;
    // A pipe, a terminal or another device: opened without truncating or creating anything.
    const int opened = open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (opened < 0) return false;
    const bool written = writeAll(opened, bytes);
    return close(opened) == 0 && written;
}
