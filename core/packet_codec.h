#pragma once
// sACN (E1.31 data packet) and Art-Net ArtDmx: bytes from levels and levels from bytes.
// Pure functions over fixed offsets; no I/O and no state of its own.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "dmx_universe_state.h"

constexpr std::size_t kSacnPacketLength = 638;
constexpr std::size_t kArtNetPacketLength = 530;
constexpr std::size_t kSacnDataOffset = 126;
constexpr std::size_t kArtNetDataOffset = 18;

// Offsets the receive monitor reads from accepted sACN packets itself.
constexpr std::size_t kSacnPriorityOffset = 108;
constexpr std::size_t kSacnSyncAddressOffset = 109;
constexpr std::size_t kSacnSequenceOffset = 111;
constexpr std::size_t kSacnOptionsOffset = 112;
constexpr uint8_t kSacnOptionStreamTerminated = 0x40;
constexpr uint8_t kSacnOptionPreview = 0x80;

struct DmxPacketInfo {
    int32_t universe = 0;
    int32_t dataOffset = 0;
    int32_t slotCount = 0;
    int32_t sequence = 0;
    int32_t priority = -1;  // -1 for Art-Net, which has none
};

// The packet of the state's protocol with all 512 levels; the sequence is not advanced.
std::vector<uint8_t> buildDmxPacket(const DmxUniverseState& state);

// True when the datagram is an acceptable data packet of the given protocol.
bool parseDmxPacket(const uint8_t* data, std::size_t length, DmxProtocol protocol, DmxPacketInfo& info);
