#include "pcapng_blocks.h"

namespace {

constexpr uint32_t kSectionHeaderType = 0x0A0D0D0A;
constexpr uint32_t kByteOrderMagic = 0x1A2B3C4D;
constexpr uint32_t kInterfaceDescriptionType = 0x00000001;
constexpr uint32_t kEnhancedPacketType = 0x00000006;
constexpr uint16_t kOptionEnd = 0;
constexpr uint16_t kOptionUserApplication = 4;  // shb_userappl

void put16(std::vector<uint8_t>& out, uint16_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t value) {
    put16(out, static_cast<uint16_t>(value));
    put16(out, static_cast<uint16_t>(value >> 16));
}

void padTo32Bits(std::vector<uint8_t>& out) {
    while (out.size() % 4 != 0) out.push_back(0);
}

// Opens a block: its type and a total length filled in by closeBlock.
std::size_t openBlock(std::vector<uint8_t>& out, uint32_t type) {
    padTo32Bits(out);
    const std::size_t start = out.size();
    put32(out, type);
    put32(out, 0);
    return start;
}

// The total length both at the start and the end, as readers check it from either side.
void closeBlock(std::vector<uint8_t>& out, std::size_t start) {
    padTo32Bits(out);
    const auto length = static_cast<uint32_t>(out.size() - start + 4);
    put32(out, length);
    for (int i = 0; i < 4; ++i) out[start + 4 + static_cast<std::size_t>(i)] = static_cast<uint8_t>(length >> (8 * i));
}

}  // namespace

void appendSectionHeaderBlock(std::vector<uint8_t>& out, std::string_view application) {
    const std::size_t start = openBlock(out, kSectionHeaderType);
    put32(out, kByteOrderMagic);
    put16(out, 1);  // version 1.0
    put16(out, 0);
    put32(out, 0xFFFFFFFF);  // section length not given: the section grows while recording
    put32(out, 0xFFFFFFFF);
    put16(out, kOptionUserApplication);
    put16(out, static_cast<uint16_t>(application.size()));
    out.insert(out.end(), application.begin(), application.end());
    padTo32Bits(out);
    put16(out, kOptionEnd);
    put16(out, 0);
    closeBlock(out, start);
}

void appendInterfaceDescriptionBlock(std::vector<uint8_t>& out, uint16_t linkType, uint32_t snapLength) {
    const std::size_t start = openBlock(out, kInterfaceDescriptionType);
    put16(out, linkType);
    put16(out, 0);
    put32(out, snapLength);
    closeBlock(out, start);
}

void appendEnhancedPacketBlock(std::vector<uint8_t>& out, uint64_t timestampUs, std::span<const uint8_t> packet) {
    const std::size_t start = openBlock(out, kEnhancedPacketType);
    put32(out, 0);  // interface 0
    put32(out, static_cast<uint32_t>(timestampUs >> 32));
    put32(out, static_cast<uint32_t>(timestampUs));
    put32(out, static_cast<uint32_t>(packet.size()));  // captured
    put32(out, static_cast<uint32_t>(packet.size()));  // on the wire
    out.insert(out.end(), packet.begin(), packet.end());
    closeBlock(out, start);
}
