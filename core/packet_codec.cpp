#include "packet_codec.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint8_t kAcnIdentifier[12] = {'A', 'S', 'C', '-', 'E', '1', '.', '1', '7', 0, 0, 0};
constexpr uint8_t kArtNetId[8] = {'A', 'r', 't', '-', 'N', 'e', 't', 0};
constexpr char kSourceName[] = "Velmora Lumibox";
constexpr uint8_t kSacnPriority = 100;

void putBigEndian16(uint8_t* at, uint32_t value) {
    at[0] = static_cast<uint8_t>(value >> 8);
    at[1] = static_cast<uint8_t>(value);
}
void putBigEndian32(uint8_t* at, uint32_t value) {
    putBigEndian16(at, value >> 16);
    putBigEndian16(at + 2, value);
}
uint32_t bigEndian16(const uint8_t* at) { return (uint32_t{at[0]} << 8) | at[1]; }
uint32_t bigEndian32(const uint8_t* at) { return (bigEndian16(at) << 16) | bigEndian16(at + 2); }

std::vector<uint8_t> buildSacn(const DmxUniverseState& state) {
    std::vector<uint8_t> p(kSacnPacketLength, 0);
    const auto length = static_cast<uint32_t>(p.size());
    putBigEndian16(&p[0], 0x0010);
    std::memcpy(&p[4], kAcnIdentifier, sizeof kAcnIdentifier);
    putBigEndian16(&p[16], 0x7000 | (length - 16));
    putBigEndian32(&p[18], 4);
    std::copy(state.cid.begin(), state.cid.end(), p.begin() + 22);
    putBigEndian16(&p[38], 0x7000 | (length - 38));
    putBigEndian32(&p[40], 2);
    std::memcpy(&p[44], kSourceName, sizeof kSourceName - 1);
    p[kSacnPriorityOffset] = kSacnPriority;
    p[kSacnSequenceOffset] = state.sequence;
    putBigEndian16(&p[113], static_cast<uint32_t>(state.universe) & 0xFFFF);
    putBigEndian16(&p[115], 0x7000 | (length - 115));
    p[117] = 0x02;
    p[118] = 0xA1;
    putBigEndian16(&p[121], 1);
    putBigEndian16(&p[123], kDmxSlotCount + 1);
    std::copy(state.levels.begin(), state.levels.end(), p.begin() + kSacnDataOffset);
    return p;
}

std::vector<uint8_t> buildArtNet(const DmxUniverseState& state) {
    std::vector<uint8_t> p(kArtNetPacketLength, 0);
    std::memcpy(&p[0], kArtNetId, sizeof kArtNetId);
    p[8] = 0x00;
    p[9] = 0x50;
    p[10] = 0x00;
    p[11] = 0x0E;
    // Art-Net reserves sequence 0 for "sequencing off", so a wrapped counter is sent as 1.
    p[12] = state.sequence == 0 ? 1 : state.sequence;
    const auto portAddress = static_cast<uint32_t>(state.universe) & 0xFFFF;
    p[14] = static_cast<uint8_t>(portAddress);
    p[15] = static_cast<uint8_t>(portAddress >> 8);
    putBigEndian16(&p[16], kDmxSlotCount);
    std::copy(state.levels.begin(), state.levels.end(), p.begin() + kArtNetDataOffset);
    return p;
}

bool parseArtNet(const uint8_t* d, std::size_t length, DmxPacketInfo& info) {
    if (length < kArtNetDataOffset) return false;
    if (std::memcmp(d, kArtNetId, sizeof kArtNetId) != 0) return false;
    if (d[8] != 0x00 || d[9] != 0x50) return false;
    if (bigEndian16(&d[10]) < 14) return false;
    if (d[15] & 0x80) return false;
    const uint32_t dataLength = bigEndian16(&d[16]);
    if (dataLength < 2 || dataLength > kDmxSlotCount || dataLength % 2 != 0) return false;
    if (kArtNetDataOffset + dataLength != length) return false;
    info.universe = static_cast<int32_t>(d[14] | (uint32_t{d[15]} << 8));
    info.dataOffset = kArtNetDataOffset;
    info.slotCount = static_cast<int32_t>(dataLength);
    info.sequence = d[12];
    info.priority = -1;
    return true;
}

bool parseSacn(const uint8_t* d, std::size_t length, DmxPacketInfo& info) {
    if (length < kSacnDataOffset) return false;
    if (d[0] != 0x00 || d[1] != 0x10) return false;
    if (std::memcmp(&d[4], kAcnIdentifier, sizeof kAcnIdentifier) != 0) return false;
    if (bigEndian32(&d[18]) != 4) return false;
    if (bigEndian32(&d[40]) != 2) return false;
    if (d[117] != 0x02 || d[118] != 0xA1) return false;
    if (bigEndian16(&d[119]) != 0 || bigEndian16(&d[121]) != 1) return false;
    if (d[125] != 0) return false;
    const uint32_t universe = bigEndian16(&d[113]);
    if (universe < 1 || universe > 63999) return false;
    const uint32_t valueCount = bigEndian16(&d[123]);
    if (valueCount < 1 || valueCount - 1 > kDmxSlotCount) return false;
    if (kSacnDataOffset + (valueCount - 1) != length) return false;
    const auto len = static_cast<uint32_t>(length);
    if (bigEndian16(&d[16]) != (0x7000 | (len - 16))) return false;
    if (bigEndian16(&d[38]) != (0x7000 | (len - 38))) return false;
    if (bigEndian16(&d[115]) != (0x7000 | (len - 115))) return false;
    if (d[kSacnPriorityOffset] > 200) return false;
    info.universe = static_cast<int32_t>(universe);
    info.dataOffset = kSacnDataOffset;
    info.slotCount = static_cast<int32_t>(valueCount - 1);
    info.sequence = d[kSacnSequenceOffset];
    info.priority = d[kSacnPriorityOffset];
    return true;
}

}  // namespace

std::vector<uint8_t> buildDmxPacket(const DmxUniverseState& state) {
    return state.protocol == DmxProtocol::Sacn ? buildSacn(state) : buildArtNet(state);
}

bool parseDmxPacket(const uint8_t* data, std::size_t length, DmxProtocol protocol, DmxPacketInfo& info) {
    if (data == nullptr) return false;
    return protocol == DmxProtocol::Sacn ? parseSacn(data, length, info) : parseArtNet(data, length, info);
}
