#pragma once
// sACN (E1.31 data packet) and Art-Net ArtDmx: bytes from levels and levels from bytes.
// Pure functions over fixed offsets; no I/O and no state of its own.
#include <array>
#include <cstddef>
#include <cstdint>

#include "dmx_universe_state.h"
#include "ipv4_address.h"

// The identifiers every sACN (ACN root layer) and Art-Net packet begins with.
inline constexpr uint8_t kAcnPacketIdentifier[12] = {'A', 'S', 'C', '-', 'E', '1', '.', '1', '7', 0, 0, 0};
inline constexpr uint8_t kArtNetPacketId[8] = {'A', 'r', 't', '-', 'N', 'e', 't', 0};

constexpr std::size_t kSacnPacketLength = 638;
constexpr std::size_t kArtNetPacketLength = 530;
constexpr std::size_t kSacnDataOffset = 126;
constexpr std::size_t kArtNetDataOffset = 18;

// Offsets of the sACN data packet fields the parse reports.
constexpr std::size_t kSacnPriorityOffset = 108;
constexpr std::size_t kSacnSyncAddressOffset = 109;
constexpr std::size_t kSacnSequenceOffset = 111;
constexpr std::size_t kSacnOptionsOffset = 112;
constexpr std::size_t kSacnStartCodeOffset = kSacnDataOffset - 1;
constexpr uint8_t kSacnOptionStreamTerminated = 0x40;
constexpr uint8_t kSacnOptionPreview = 0x80;

struct DmxPacketInfo {
    int32_t universe = 0;
    int32_t dataOffset = 0;
    int32_t slotCount = 0;
    int32_t sequence = 0;
    int32_t priority = -1;  // -1 for Art-Net, which has none
    // sACN only; 0 for Art-Net.
    uint8_t options = 0;       // kSacnOptionPreview, kSacnOptionStreamTerminated, force sync
    int32_t syncUniverse = 0;  // synchronisation address; 0: none
    uint8_t startCode = 0;     // parseDmxPacket accepts 0 only; parseSacnDataPacket any
};

// The sACN multicast group of a universe: 239.255.hi.lo.
Ipv4Address sacnGroupAddress(int32_t universe);

// One built packet, owned by the caller. The buffer has room for either protocol, so
// building needs no heap allocation on the 30 Hz transmit path.
struct DmxPacket {
    std::array<uint8_t, kSacnPacketLength> bytes;  // only the first `length` bytes are meaningful
    std::size_t length = 0;

    const uint8_t* data() const { return bytes.data(); }
    std::size_t size() const { return length; }
    const uint8_t* begin() const { return bytes.data(); }
    const uint8_t* end() const { return bytes.data() + length; }
    uint8_t operator[](std::size_t i) const { return bytes[i]; }
};

// The packet of the state's protocol with all 512 levels; the sequence is not advanced.
DmxPacket buildDmxPacket(const DmxUniverseState& state);

// True when the datagram is an acceptable data packet of the given protocol with levels
// (the null start code). info is written only then.
bool parseDmxPacket(const uint8_t* data, std::size_t length, DmxProtocol protocol, DmxPacketInfo& info);

// An sACN data packet by the same rules, with any start code (info.startCode).
bool parseSacnDataPacket(const uint8_t* data, std::size_t length, DmxPacketInfo& info);
