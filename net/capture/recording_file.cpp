#include "../../core/pcapng_blocks.h"
#include "../../core/product_identity.h"
#include "capture_files.h"
#include "recording_file.h"

namespace {

// Whole blocks or nothing: a short write (disk full, file size limit) is cut back, so the
// file ends after its last whole block. A stream keeps what went; its reader has it already.
bool writePending(RecordingFile& file) {
    std::size_t done = 0;
    while (!file.failed && done < file.pending.size()) {
        const long n = writeRecordingBytes(file.descriptor, file.pending.data() + done, file.pending.size() - done);
        if (n <= 0) {
            file.failed = true;
            if (!file.stream) cutRecordingFile(file.descriptor, file.startOffset + file.writtenBytes);
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
    if (!openRecordingOutput(file, path)) return false;
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
    const bool closed = !file.ownsDescriptor || closeRecordingDescriptor(file.descriptor);
    file.descriptor = -1;
    return closed && !file.failed;
}
