#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "../../core/named_stream_posix.h"
#include "capture_files.h"

namespace {

// Standard output, the stream path names, or the file created or replaced.
NamedStream openOutput(const std::string& path) {
    if (path == "-") return NamedStream{STDOUT_FILENO, false};
    if (const std::optional<NamedStream> stream = openNamedStream(path)) return *stream;
    return NamedStream{::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644), true};
}

// A regular file behind a descriptor of this process is written from its position, or from
// its end when appending (the shell's >>).
void noteWhereWritingStarts(RecordingFile& file) {
    const int descriptor = static_cast<int>(file.descriptor);
    struct stat status {};
    file.stream = ::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode);
    if (file.stream) return;
    const bool appending = (::fcntl(descriptor, F_GETFL) & O_APPEND) != 0;
    const off_t position = appending ? status.st_size : ::lseek(descriptor, 0, SEEK_CUR);
    file.startOffset = position > 0 ? static_cast<uint64_t>(position) : 0;
}

}  // namespace

std::FILE* openRegularFileForReading(const std::string& path, std::string& problem) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
        problem = "no regular file";
        return nullptr;
    }
    std::FILE* stream = std::fopen(path.c_str(), "rb");
    if (stream == nullptr) problem = std::strerror(errno);
    return stream;
}

pcap_t* openCaptureOnStream(std::FILE* stream, char* error) {
    return pcap_fopen_offline_with_tstamp_precision(stream, PCAP_TSTAMP_PRECISION_NANO, error);
}

bool openRecordingOutput(RecordingFile& file, const std::string& path) {
    const NamedStream output = openOutput(path);
    file.descriptor = output.descriptor;
    file.ownsDescriptor = output.owned;
    if (file.descriptor < 0) return false;
    noteWhereWritingStarts(file);
    return true;
}

long writeRecordingBytes(std::intptr_t file, const uint8_t* bytes, std::size_t size) {
    while (true) {
        const ssize_t n = ::write(static_cast<int>(file), bytes, size);
        if (n >= 0 || errno != EINTR) return static_cast<long>(n);
    }
}

void cutRecordingFile(std::intptr_t file, uint64_t length) {
    const int descriptor = static_cast<int>(file);
    if (::ftruncate(descriptor, static_cast<off_t>(length)) == 0) ::lseek(descriptor, static_cast<off_t>(length), SEEK_SET);
}

bool closeRecordingDescriptor(std::intptr_t file) { return ::close(static_cast<int>(file)) == 0; }

// A stream's far end is watched too: a reader that leaves ends the recording at once, not at
// the next datagram's write.
void waitForRecordingInput(const std::vector<SocketHandle>& sockets, std::intptr_t stream, int timeoutMs,
                           std::vector<int>& ready, bool& readerLeft) {
    thread_local std::vector<pollfd> waiting;
    waiting.clear();
    for (SocketHandle socket : sockets) waiting.push_back(pollfd{static_cast<int>(socket), POLLIN, 0});
    if (stream >= 0) waiting.push_back(pollfd{static_cast<int>(stream), 0, 0});
    ready.clear();
    if (::poll(waiting.data(), waiting.size(), timeoutMs) <= 0) return;
    for (std::size_t i = 0; i < sockets.size(); ++i) {
        if ((waiting[i].revents & POLLIN) != 0) ready.push_back(static_cast<int>(i));
    }
    if (stream >= 0 && (waiting.back().revents & (POLLERR | POLLHUP)) != 0) readerLeft = true;
}
