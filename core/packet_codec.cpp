#include "packet_codec.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr char kSourceName[] = "Velmora Lumibox";
constexpr uint8_t kSacnPriority = 100;

void putBigEndian16(uint8_t* at, uint32_t value) {
    at[0] = static_cast<uint8_t>(value >> 8);
    at[1] = static_cast<uint8_t>(value);
}
uint32_t bigEndian16(const uint8_t* at) { return (uint32_t{at[0]} << 8) | at[1]; }
uint32_t bigEndian32(const uint8_t* at) { return (bigEndian16(at) << 16) | bigEndian16(at + 2); }

// Header bytes that never change, laid down in one copy; the per-packet fields are patched after.
constexpr std::array<uint8_t, kSacnDataOffset> sacnHeaderTemplate() {
    std::array<uint8_t, kSacnDataOffset> h{};
    constexpr uint32_t length = kSacnPacketLength;
    h[0] = 0x00;
    h[1] = 0x10;
    for (std::size_t i = 0; i < sizeof kAcnPacketIdentifier; ++i) h[4 + i] = kAcnPacketIdentifier[i];
    h[16] = static_cast<uint8_t>((0x7000 | (length - 16)) >> 8);
    h[17] = static_cast<uint8_t>(length - 16);
    h[21] = 4;
    h[38] = static_cast<uint8_t>((0x7000 | (length - 38)) >> 8);
    h[39] = static_cast<uint8_t>(length - 38);
    h[43] = 2;
    for (std::size_t i = 0; i + 1 < sizeof kSourceName; ++i) h[44 + i] = static_cast<uint8_t>(kSourceName[i]);
    h[kSacnPriorityOffset] = kSacnPriority;
    h[115] = static_cast<uint8_t>((0x7000 | (length - 115)) >> 8);
    h[116] = static_cast<uint8_t>(length - 115);
    h[117] = 0x02;
    h[118] = 0xA1;
    h[122] = 1;
    h[123] = static_cast<uint8_t>((kDmxSlotCount + 1) >> 8);
    h[124] = static_cast<uint8_t>(kDmxSlotCount + 1);
    return h;
}

constexpr std::array<uint8_t, kArtNetDataOffset> artNetHeaderTemplate() {
    std::array<uint8_t, kArtNetDataOffset> h{};
    for (std::size_t i = 0; i < sizeof kArtNetPacketId; ++i) h[i] = kArtNetPacketId[i];
    h[9] = 0x50;
    h[11] = 0x0E;
    h[16] = static_cast<uint8_t>(kDmxSlotCount >> 8);
    h[17] = static_cast<uint8_t>(kDmxSlotCount & 0xFF);
    return h;
}

constexpr auto kSacnHeader = sacnHeaderTemplate();
constexpr auto kArtNetHeader = artNetHeaderTemplate();

// Header template, then the levels: no zero fill of bytes that are written anyway.
template <std::size_t N>
DmxPacket headerAndLevels(const std::array<uint8_t, N>& header, const DmxUniverseState& state) {
    DmxPacket p;
    p.length = N + kDmxSlotCount;
    std::memcpy(p.bytes.data(), header.data(), N);
    std::memcpy(p.bytes.data() + N, state.levels.data(), kDmxSlotCount);
    return p;
}

DmxPacket buildSacn(const DmxUniverseState& state) {
    DmxPacket p = headerAndLevels(kSacnHeader, state);
    std::memcpy(&p.bytes[22], state.cid.data(), state.cid.size());
    p.bytes[kSacnSequenceOffset] = state.sequence;
    putBigEndian16(&p.bytes[113], static_cast<uint32_t>(state.universe) & 0xFFFF);
    return p;
}

DmxPacket buildArtNet(const DmxUniverseState& state) {
    DmxPacket p = headerAndLevels(kArtNetHeader, state);
    // Art-Net reserves sequence 0 for "sequencing off", so a wrapped counter is sent as 1.
    p.bytes[12] = state.sequence == 0 ? 1 : state.sequence;
    const auto portAddress = static_cast<uint32_t>(state.universe) & 0xFFFF;
    p.bytes[14] = static_cast<uint8_t>(portAddress);
    p.bytes[15] = static_cast<uint8_t>(portAddress >> 8);
    return p;
}

bool parseArtNet(const uint8_t* d, std::size_t length, DmxPacketInfo& info) {
    if (length < kArtNetDataOffset) return false;
    if (std::memcmp(d, kArtNetPacketId, sizeof kArtNetPacketId) != 0) return false;
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
    if (std::memcmp(&d[4], kAcnPacketIdentifier, sizeof kAcnPacketIdentifier) != 0) return false;
    if (bigEndian32(&d[18]) != 4) return false;
    if (bigEndian32(&d[40]) != 2) return false;
    if (d[117] != 0x02 || d[118] != 0xA1) return false;
    if (bigEndian16(&d[119]) != 0 || bigEndian16(&d[121]) != 1) return false;
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
    info.options = d[kSacnOptionsOffset];
    info.syncUniverse = static_cast<int32_t>(bigEndian16(&d[kSacnSyncAddressOffset]));
    info.startCode = d[kSacnStartCodeOffset];
    return true;
}

}  // namespace

Ipv4Address sacnGroupAddress(int32_t universe) {
    return Ipv4Address{{239, 255, static_cast<uint8_t>((universe >> 8) & 0xFF), static_cast<uint8_t>(universe & 0xFF)}};
}

DmxPacket buildDmxPacket(const DmxUniverseState& state) {
    return state.protocol == DmxProtocol::Sacn ? buildSacn(state) : buildArtNet(state);
}

bool parseDmxPacket(const uint8_t* data, std::size_t length, DmxProtocol protocol, DmxPacketInfo& info) {
    if (data == nullptr) return false;
    if (protocol == DmxProtocol::ArtNet) return parseArtNet(data, length, info);
    DmxPacketInfo parsed;
    if (!parseSacn(data, length, parsed) || parsed.startCode != 0) return false;
    info = parsed;
    return true;
}

bool parseSacnDataPacket(const uint8_t* data, std::size_t length, DmxPacketInfo& info) {
    return data != nullptr && parseSacn(data, length, info);
}
