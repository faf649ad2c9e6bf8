#pragma once
// Packets for seeds and scripted datagrams, made by the program's own builder.
#include <cstdint>
#include <string>

#include "core/dmx_universe_state.h"

// buildDmxPacket for the state, cut to slotCount slots (0 to 512; Art-Net rounds up
// to an even count of at least 2) with every length field made to agree.
std::string builtPacket(const DmxUniverseState& state, int slotCount = kDmxSlotCount);
