#include "datagram_feed.h"

#include <cstring>

void pushDatagram(DatagramFeed& feed, DmxProtocol port, const uint8_t* data, std::size_t length, Ipv4Address sender) {
    if (length > kFedDatagramCapacity) return;
    FedDatagram& slot = feed.ring[feed.written % feed.ring.size()];
    slot.port = port;
    slot.sender = sender;
    slot.length = length;
    std::memcpy(slot.bytes.data(), data, length);
    ++feed.written;
}

const FedDatagram* datagramAt(const DatagramFeed& feed, uint64_t& next, uint64_t& lost) {
    if (next >= feed.written) return nullptr;
    const uint64_t oldest = feed.written > feed.ring.size() ? feed.written - feed.ring.size() : 0;
    if (next < oldest) {
        lost += oldest - next;
        next = oldest;
    }
    return &feed.ring[next % feed.ring.size()];
}
