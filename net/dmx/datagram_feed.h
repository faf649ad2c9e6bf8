#pragma once
// Datagrams one receiver of the process hands to another instead of both binding the
// port: two sockets on the same port never both get a unicast datagram, so while the
// Network window scans, the main window's receive monitor reads the scan's datagrams from
// this feed and opens no socket of its own. A ring of the latest datagrams, written and
// read on the user-interface thread; a reader that falls a whole ring behind loses the
// oldest and counts them.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "../../core/dmx_universe_state.h"
#include "../socket/socket_layer.h"

inline constexpr std::size_t kDatagramFeedCapacity = 1024;
inline constexpr std::size_t kFedDatagramCapacity = 640;  // larger than any valid DMX datagram

struct FedDatagram {
    DmxProtocol port = DmxProtocol::Sacn;
    Ipv4Address sender;
    std::size_t length = 0;
    std::array<uint8_t, kFedDatagramCapacity> bytes{};
};

struct DatagramFeed {
    std::vector<FedDatagram> ring = std::vector<FedDatagram>(kDatagramFeedCapacity);
    uint64_t written = 0;  // datagrams ever pushed; the next goes to written % capacity
};

// Copies a datagram in; one longer than any valid DMX datagram is left out.
void pushDatagram(DatagramFeed& feed, DmxProtocol port, const uint8_t* data, std::size_t length, Ipv4Address sender);

// The datagram numbered `next` (counting from 0), or nullptr when none is there yet; a
// reader more than a ring behind is moved up to the oldest still held and lost counts
// how many it missed.
const FedDatagram* datagramAt(const DatagramFeed& feed, uint64_t& next, uint64_t& lost);
