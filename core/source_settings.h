#pragma once
// What a --source run sends, as read from its command line.
#include <cstdint>
#include <optional>
#include <vector>

#include "dmx_universe_state.h"
#include "ipv4_address.h"
#include "source_packets.h"
#include "source_pattern.h"

struct SourceSettings {
    DmxProtocol protocol = DmxProtocol::Sacn;
    std::vector<uint16_t> universes;  // ascending: sACN universes, or Art-Net Port-Addresses
    Ipv4Address local;
    std::optional<Ipv4Address> target;  // every datagram but discovery goes there; Art-Net always has one
    uint32_t rate = 44;
    SourcePattern pattern;
    std::size_t slots = kDmxSlotCount;
    uint8_t priority = 100;
    std::optional<SlotValues> perAddressPriorities;
    uint16_t syncUniverse = 0;  // 0: no synchronisation (Art-Net: no ArtSync)
    bool discovery = false;
    SacnSourceName name{};
    SacnCid cid{};
    bool preview = false;
    uint32_t durationMs = 0;  // 0: until stopped
};
