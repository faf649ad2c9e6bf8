#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "durable_file.h"
#include "named_stream_posix.h"

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
    const std::optional<NamedStream> stream = openNamedStream(path);
    if (!stream) return std::nullopt;
    if (stream->descriptor < 0) return false;
    const bool written = writeAll(stream->descriptor, bytes);
    return stream->owned ? close(stream->descriptor) == 0 && written : written;
}
