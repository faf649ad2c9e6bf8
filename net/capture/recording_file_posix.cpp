#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "../../core/named_stream_posix.h"
#include "../../core/pcapng_blocks.h"
#include "../../core/product_identity.h"
#include "recording_file.h"

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
    struct stat status {};
    file.stream = ::fstat(file.descriptor, &status) != 0 || !S_ISREG(status.st_mode);
    if (file.stream) return;
    const bool appending = (::fcntl(file.descriptor, F_GETFL) & O_APPEND) != 0;
    const off_t position = appending ? status.st_size : ::lseek(file.descriptor, 0, SEEK_CUR);
    file.startOffset = position > 0 ? static_cast<uint64_t>(position) : 0;
}

// Whole blocks or nothing: a short write (disk full, file size limit) is cut back, so the
// file ends after its last whole block. A stream keeps what went; its reader has it already.
bool writePending(RecordingFile& file) {
    std::size_t done = 0;
    while (!file.failed && done < file.pending.size()) {
        const ssize_t n = ::write(file.descriptor, file.pending.data() + done, file.pending.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            file.failed = true;
            const auto end = static_cast<off_t>(file.startOffset + file.writtenBytes);
            if (!file.stream && ::ftruncate(file.descriptor, end) == 0) ::lseek(file.descriptor, end, SEEK_SET);
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    if (!file.failed) file.writtenBytes += file.pending.size();
    file.pending.clear();
    return !file.failed;
}

}  // namespace

bool openRecordingFile(RecordingFile& file, const std::string& path, uint64_t nowUs) {
    file = RecordingFile();
    const NamedStream output = openOutput(path);
    file.descriptor = output.descriptor;
    file.ownsDescriptor = output.owned;
    if (file.descriptor < 0) return false;
    noteWhereWritingStarts(file);
    appendSectionHeaderBlock(file.pending, kProductTitle);
    appendInterfaceDescriptionBlock(file.pending, kLinkTypeRawIp, kRecordingSnapLength);
    file.lastFlushUs = nowUs;
    return writePending(file);
}

void appendRecordedDatagram(RecordingFile& file, const UdpDatagramView& datagram, uint64_t stampUs, uint64_t nowUs) {
    if (file.failed) return;
    thread_local std::vector<uint8_t> packet;
    packet.clear();
    appendIpv4UdpPacket(packet, datagram);
    appendEnhancedPacketBlock(file.pending, stampUs, packet);
    ++file.datagrams;
    if (file.pending.size() >= kRecordingFlushBytes) {
        file.lastFlushUs = nowUs;
        writePending(file);
    }
}

void flushRecordingFileIfDue(RecordingFile& file, uint64_t nowUs) {
    if (!file.stream && nowUs - file.lastFlushUs < kRecordingFlushUs) return;
    file.lastFlushUs = nowUs;
    if (!file.pending.empty()) writePending(file);
}

bool closeRecordingFile(RecordingFile& file) {
    if (file.descriptor < 0) return false;
    if (!file.pending.empty()) writePending(file);
    const bool closed = !file.ownsDescriptor || ::close(file.descriptor) == 0;
    file.descriptor = -1;
    return closed && !file.failed;
}
