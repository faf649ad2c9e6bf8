#include "dmx_universe_state.h"

#include <cstring>
#include <random>

DmxProtocol protocolFromText(const char* text, std::size_t length) {
    return (length == 4 && std::memcmp(text, "sACN", 4) == 0) ? DmxProtocol::Sacn : DmxProtocol::ArtNet;
}

uint16_t protocolPort(DmxProtocol protocol) {
    return protocol == DmxProtocol::Sacn ? kSacnPort : kArtNetPort;
}

bool isUniverseInRange(DmxProtocol protocol, int32_t universe) {
    if (protocol == DmxProtocol::Sacn) return universe >= 1 && universe <= 63999;
    return universe >= 0 && universe <= 32767;
}

bool isSlotInRange(int32_t slot) { return slot >= 1 && slot <= kDmxSlotCount; }

bool isLevelInRange(int32_t level) { return level >= 0 && level <= 255; }

bool isPulseInRange(int32_t pulseMs) { return pulseMs >= 30 && pulseMs <= 60000; }

uint8_t nextSequence(DmxUniverseState& state) {
    state.sequence = static_cast<uint8_t>(state.sequence + 1);
    return state.sequence;
}

void generateCid(DmxUniverseState& state) {
    // Drawn from the system's random source rather than tick count and pid: two
    // hosts with the same pid and uptime must never present one CID to a receiver.
    std::random_device source;
    for (std::size_t i = 0; i < state.cid.size(); i += 4) {
        const uint32_t word = source();
        for (std::size_t b = 0; b < 4; ++b) state.cid[i + b] = static_cast<uint8_t>(word >> (8 * b));
    }
    state.cid[6] = static_cast<uint8_t>((state.cid[6] & 0x0F) | 0x40);
    state.cid[8] = static_cast<uint8_t>((state.cid[8] & 0x3F) | 0x80);
}

void setLevelRange(DmxUniverseState& state, int first, int last, uint8_t value) {
    for (int slot = first; slot <= last; ++slot) state.levels[static_cast<std::size_t>(slot - 1)] = value;
}

void setAllLevels(DmxUniverseState& state, uint8_t value) { state.levels.fill(value); }
