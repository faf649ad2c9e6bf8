#pragma once
// The one transmit universe and the settings both DMX directions share.
#include <array>
#include <cstdint>

enum class DmxProtocol { Sacn, ArtNet };

constexpr int kDmxSlotCount = 512;
constexpr uint16_t kSacnPort = 5568;
constexpr uint16_t kArtNetPort = 6454;

// "30 Hz": continuous transmission and pulses repeat the packet on this period, in the
// window and in --send alike.
inline constexpr uint32_t kFramePeriodMs = 33;

struct DmxUniverseState {
    DmxProtocol protocol = DmxProtocol::Sacn;
    int32_t universe = 100;
    std::array<uint8_t, kDmxSlotCount> levels{};  // slot k is levels[k - 1]
    uint8_t sequence = 0;                         // of the most recently sent packet
    std::array<uint8_t, 16> cid{};
};

// Only the exact text "sACN" selects sACN; every other text selects Art-Net.
DmxProtocol protocolFromText(const char* text, std::size_t length);

uint16_t protocolPort(DmxProtocol protocol);

// The ranges both the command line and the window check.
bool isUniverseInRange(DmxProtocol protocol, int32_t universe);  // sACN 1..63999, Art-Net 0..32767
bool isSlotInRange(int32_t slot);                                // 1..512
bool isLevelInRange(int32_t level);                              // 0..255
bool isPulseInRange(int32_t pulseMs);                            // 30..60000

// Advance the sequence counter modulo 256 and return the new value.
uint8_t nextSequence(DmxUniverseState& state);

// Fill the CID once at start-up: random bytes with RFC 4122 version-4 and variant bits.
void generateCid(DmxUniverseState& state);

// Set slots first..last (1-based, inclusive) to value; callers validate the range.
void setLevelRange(DmxUniverseState& state, int first, int last, uint8_t value);
void setAllLevels(DmxUniverseState& state, uint8_t value);
