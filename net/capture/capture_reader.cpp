#include "capture_files.h"
#include "capture_reader.h"

namespace {

constexpr uint32_t kPcapMagics[] = {0xA1B2C3D4, 0xA1B23C4D, 0xD4C3B2A1, 0x4D3CB2A1};

uint32_t littleEndian32(const unsigned char* bytes) {
    return static_cast<uint32_t>(bytes[0] | bytes[1] << 8 | bytes[2] << 16) | static_cast<uint32_t>(bytes[3]) << 24;
}

uint32_t swapped(uint32_t value) {
    return (value >> 24) | ((value >> 8) & 0xFF00) | ((value << 8) & 0xFF0000) | (value << 24);
}

constexpr uint32_t kSectionHeaderType = 0x0A0D0D0A;
constexpr uint32_t kByteOrderMagic = 0x1A2B3C4D;

// libpcap quietly caps a classic file's snap length; a header claiming more than any link
// type allows is no file a capture tool wrote.
bool classicSnapLengthFits(const unsigned char* header, std::string& problem) {
    const uint32_t magic = littleEndian32(header);
    for (uint32_t known : kPcapMagics) {
        if (magic != known) continue;
        const bool bigEndian = magic == kPcapMagics[2] || magic == kPcapMagics[3];
        const uint32_t snapLength = bigEndian ? swapped(littleEndian32(header + 16)) : littleEndian32(header + 16);
        if (snapLength <= kLargestCaptureRecord) return true;
        problem = "snap length " + std::to_string(snapLength) + " exceeds " + std::to_string(kLargestCaptureRecord);
        return false;
    }
    return true;
}

// libpcap compares the two lengths of every pcapng block but the section header.
bool sectionHeaderLengthsAgree(std::FILE* stream, const unsigned char* header, std::string& problem) {
    if (littleEndian32(header) != kSectionHeaderType) return true;
    const bool bigEndian = littleEndian32(header + 8) == swapped(kByteOrderMagic);
    const uint32_t length = bigEndian ? swapped(littleEndian32(header + 4)) : littleEndian32(header + 4);
    unsigned char trailer[4];
    const bool read = length >= 12 && std::fseek(stream, static_cast<long>(length) - 4, SEEK_SET) == 0 &&
                      std::fread(trailer, 1, sizeof trailer, stream) == sizeof trailer;
    std::rewind(stream);
    if (!read) return true;  // libpcap says what is wrong with it
    const uint32_t trailing = bigEndian ? swapped(littleEndian32(trailer)) : littleEndian32(trailer);
    if (trailing == length) return true;
    problem = "section header: trailing length " + std::to_string(trailing) + " differs from " + std::to_string(length);
    return false;
}

// What libpcap lets pass in a file's header; the stream is left at its start.
bool headerHoldsTogether(std::FILE* stream, std::string& problem) {
    unsigned char header[24];
    const std::size_t read = std::fread(header, 1, sizeof header, stream);
    std::rewind(stream);
    if (read < sizeof header) return true;  // libpcap says what is wrong with it
    return classicSnapLengthFits(header, problem) && sectionHeaderLengthsAgree(stream, header, problem);
}

std::optional<LinkLayer> linkLayerOf(int dataLinkType) {
    switch (dataLinkType) {
        case DLT_EN10MB: return LinkLayer::Ethernet;
        case DLT_RAW:
        case DLT_IPV4: return LinkLayer::RawIp;
        case DLT_LINUX_SLL: return LinkLayer::LinuxCooked;
        case DLT_LINUX_SLL2: return LinkLayer::LinuxCooked2;
        case DLT_NULL:
        case DLT_LOOP: return LinkLayer::BsdLoopback;
        default: return std::nullopt;
    }
}

CaptureReadResult readRecords(pcap_t* capture, const CaptureRecordVisitor& visit, std::string& problem) {
    CaptureRecordView record;
    record.link = linkLayerOf(pcap_datalink(capture));
    uint64_t index = 0;
    while (true) {
        pcap_pkthdr* header = nullptr;
        const u_char* bytes = nullptr;
        const int status = pcap_next_ex(capture, &header, &bytes);
        if (status == PCAP_ERROR_BREAK) return CaptureReadResult::Complete;  // the end of the file
        if (status != 1) {
            problem = pcap_geterr(capture);
            return CaptureReadResult::Malformed;
        }
        ++index;
        if (header->caplen > header->len || header->len > kLargestCaptureRecord) {
            problem = "record " + std::to_string(index) + ": captured length " + std::to_string(header->caplen) +
                      " of " + std::to_string(header->len);
            return CaptureReadResult::Malformed;
        }
        record.seconds = header->ts.tv_sec;
        record.nanoseconds = header->ts.tv_usec;  // nanoseconds: the file was opened at that precision
        record.frame = std::span<const uint8_t>(bytes, header->caplen);
        if (!visit(record)) return CaptureReadResult::Complete;
    }
}

}  // namespace

CaptureReadResult readCaptureStream(std::FILE* stream, const CaptureRecordVisitor& visit, std::string& problem) {
    if (!headerHoldsTogether(stream, problem)) {
        std::fclose(stream);
        return CaptureReadResult::Malformed;
    }
    char error[PCAP_ERRBUF_SIZE] = {};
    pcap_t* capture = openCaptureOnStream(stream, error);
    if (capture == nullptr) {  // the stream stays ours
        std::fclose(stream);
        problem = error;
        return CaptureReadResult::Unreadable;
    }
    const CaptureReadResult result = readRecords(capture, visit, problem);
    pcap_close(capture);
    return result;
}

CaptureReadResult readCaptureFile(const std::string& path, const CaptureRecordVisitor& visit, std::string& problem) {
    std::FILE* stream = openRegularFileForReading(path, problem);
    if (stream == nullptr) return CaptureReadResult::Unreadable;
    return readCaptureStream(stream, visit, problem);
}
