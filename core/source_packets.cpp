#include "source_packets.h"

#include <algorithm>
#include <cstring>

#include "protocol_layout.h"

namespace {

void put16(uint8_t* at, std::size_t value) {
    at[0] = static_cast<uint8_t>(value >> 8);
    at[1] = static_cast<uint8_t>(value);
}

void put32(uint8_t* at, uint32_t value) {
    put16(at, value >> 16);
    put16(at + 2, value & 0xFFFF);
}

// A PDU's flags (0x7) and the length from at to the packet's end.
void putFlagsAndLength(uint8_t* out, std::size_t at, std::size_t length) { put16(out + at, 0x7000 | (length - at)); }

// Preamble, postamble, packet identifier, root PDU and CID: shared by every E1.31 packet.
void writeRootLayer(uint8_t* out, std::size_t length, uint32_t vector, const SacnCid& cid) {
    std::memset(out, 0, kCidOffset);
    out[1] = 0x10;
    std::memcpy(out + 4, kAcnPacketIdentifier, sizeof kAcnPacketIdentifier);
    putFlagsAndLength(out, 16, length);
    put32(out + 18, vector);
    std::memcpy(out + kCidOffset, cid.data(), cid.size());
}

void writeArtNetHeader(uint8_t* out, uint16_t opCode) {
    std::memcpy(out, kArtNetPacketId, sizeof kArtNetPacketId);
    out[8] = static_cast<uint8_t>(opCode & 0xFF);
    out[9] = static_cast<uint8_t>(opCode >> 8);
    out[10] = 0;
    out[11] = kArtNetProtocolVersion;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string_view truncateSourceName(std::string_view name) {
    std::size_t keep = std::min(name.size(), kSacnSourceNameLength - 1);
    // A byte 10xxxxxx continues a character begun before it.
    while (keep < name.size() && keep > 0 && (static_cast<uint8_t>(name[keep]) & 0xC0) == 0x80) --keep;
    return name.substr(0, keep);
}

SacnSourceName sourceNameField(std::string_view name) {
    SacnSourceName field{};
    const std::string_view kept = truncateSourceName(name);
    std::memcpy(field.data(), kept.data(), kept.size());
    return field;
}

bool parseCidText(std::string_view text, SacnCid& cid) {
    if (text.size() != 36) return false;
    std::size_t byte = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (text[i++] != '-') return false;
            continue;
        }
        const int high = hexDigit(text[i]);
        const int low = hexDigit(text[i + 1]);
        if (high < 0 || low < 0) return false;
        cid[byte++] = static_cast<uint8_t>(high << 4 | low);
        i += 2;
    }
    return true;
}

std::size_t writeSacnDataHeader(uint8_t* out, const SacnCid& cid, const SacnSourceName& name, const SacnDataFields& fields) {
    const std::size_t length = kSacnDataOffset + fields.slots;
    writeRootLayer(out, length, kRootVectorData, cid);
    putFlagsAndLength(out, 38, length);
    put32(out + 40, kFramingVectorData);
    std::memcpy(out + kSourceNameOffset, name.data(), name.size());
    out[kSacnPriorityOffset] = fields.priority;
    put16(out + kSacnSyncAddressOffset, fields.syncUniverse);
    out[kSacnSequenceOffset] = 0;
    out[kSacnOptionsOffset] = fields.options;
    put16(out + 113, fields.universe);
    putFlagsAndLength(out, 115, length);
    out[117] = 0x02;  // set property
    out[118] = 0xA1;  // address and data types
    put16(out + 119, 0);
    put16(out + 121, 1);
    put16(out + 123, fields.slots + 1);
    out[kSacnStartCodeOffset] = fields.startCode;
    return length;
}

void writeSacnSyncPacket(uint8_t* out, const SacnCid& cid, uint8_t sequence, uint16_t syncUniverse) {
    writeRootLayer(out, kSacnSyncPacketLength, kRootVectorExtended, cid);
    putFlagsAndLength(out, 38, kSacnSyncPacketLength);
    put32(out + 40, kFramingVectorSync);
    out[kSacnSyncSequenceOffset] = sequence;
    put16(out + 45, syncUniverse);
    put16(out + 47, 0);
}

std::size_t sacnDiscoveryPageCount(std::size_t count) {
    return count == 0 ? 1 : (count + kSacnDiscoveryPageUniverses - 1) / kSacnDiscoveryPageUniverses;
}

std::size_t writeSacnDiscoveryPage(uint8_t* out, const SacnCid& cid, const SacnSourceName& name, const uint16_t* universes,
                                   std::size_t count, std::size_t page) {
    const std::size_t first = page * kSacnDiscoveryPageUniverses;
    const std::size_t onPage = std::min(kSacnDiscoveryPageUniverses, count - std::min(count, first));
    const std::size_t length = kSacnDiscoveryListOffset + 2 * onPage;
    writeRootLayer(out, length, kRootVectorExtended, cid);
    putFlagsAndLength(out, 38, length);
    put32(out + 40, kFramingVectorDiscovery);
    std::memcpy(out + kSourceNameOffset, name.data(), name.size());
    put32(out + 108, 0);
    putFlagsAndLength(out, 112, length);
    put32(out + 114, kDiscoveryVectorUniverseList);
    out[118] = static_cast<uint8_t>(page);
    out[119] = static_cast<uint8_t>(sacnDiscoveryPageCount(count) - 1);
    for (std::size_t i = 0; i < onPage; ++i) put16(out + kSacnDiscoveryListOffset + 2 * i, universes[first + i]);
    return length;
}

std::size_t writeArtDmxHeader(uint8_t* out, uint16_t portAddress, std::size_t slots) {
    const std::size_t carried = slots + slots % 2;
    writeArtNetHeader(out, kOpDmx);
    out[12] = 0;  // sequence, set per packet
    out[13] = 0;  // physical input port
    out[14] = static_cast<uint8_t>(portAddress & 0xFF);
    out[15] = static_cast<uint8_t>((portAddress >> 8) & 0x7F);
    put16(out + 16, carried);
    return kArtNetDataOffset + carried;
}

void writeArtSync(uint8_t* out) {
    writeArtNetHeader(out, kOpSync);
    out[12] = 0;
    out[13] = 0;
}
