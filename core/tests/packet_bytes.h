#pragma once
// The bytes of a built packet, for tests that change or compare them.
#include <cstdint>
#include <vector>

#include "core/packet_codec.h"

inline std::vector<uint8_t> packetBytes(const DmxPacket& packet) { return {packet.begin(), packet.end()}; }
