#pragma once
// A small network for the Network window's pictures and end-to-end cases, sent for real:
// universe 7 from three sources (Desk A at priority 100 on every slot, Desk B at 120 on
// slots 1-24, Backup at 50 with per-address priority 200 on slots 33-48 and 0 elsewhere),
// universe 3 from one more, an Art-Net sender on Port-Address 258 and one node's reply.
#include <cstdint>
#include <vector>

#include "core/tests/scan_packets.h"
#include "net/socket/socket_layer.h"

namespace network_traffic {

inline std::vector<uint8_t> source(uint16_t universe, uint8_t seed, uint8_t priority, const char* name, int slots,
                                   uint8_t startCode, uint8_t sequence, const std::vector<uint8_t>& first) {
    scan_packets::SacnData d;
    d.universe = universe;
    d.cid = scan_packets::cidOf(seed);
    d.priority = priority;
    d.name = name;
    d.slots = slots;
    d.startCode = startCode;
    d.sequence = sequence;
    d.slotLevels = first;
    return scan_packets::sacnData(d);
}

struct Packet {
    DmxProtocol port;
    std::vector<uint8_t> bytes;
};

// One round of every stream; sequence rises by one per round.
inline std::vector<Packet> round(uint8_t sequence) {
    std::vector<uint8_t> ramp(512), fixedB(24, 200), levelsC(512, 0), priorityC(512, 0);
    for (int i = 0; i < 512; ++i) ramp[static_cast<std::size_t>(i)] = static_cast<uint8_t>((i * 255) / 511);
    for (int i = 32; i < 48; ++i) levelsC[static_cast<std::size_t>(i)] = 77, priorityC[static_cast<std::size_t>(i)] = 200;
    std::vector<Packet> packets;
    packets.push_back({DmxProtocol::Sacn, source(7, 1, 100, "Desk A", 512, 0, sequence, ramp)});
    packets.push_back({DmxProtocol::Sacn, source(7, 2, 120, "Desk B", 24, 0, sequence, fixedB)});
    packets.push_back({DmxProtocol::Sacn, source(7, 3, 50, "Backup", 512, 0, static_cast<uint8_t>(sequence * 2), levelsC)});
    packets.push_back({DmxProtocol::Sacn, source(7, 3, 50, "Backup", 512, 0xDD, static_cast<uint8_t>(sequence * 2 + 1), priorityC)});
    packets.push_back({DmxProtocol::Sacn, source(3, 4, 100, "Other", 512, 0, sequence, {})});
    packets.push_back({DmxProtocol::ArtNet, scan_packets::artDmx(0x0102, sequence)});
    if (sequence % 40 == 1) {
        scan_packets::PollReply reply;
        reply.subSwitch = 1;
        packets.push_back({DmxProtocol::ArtNet, scan_packets::artPollReply(reply)});
    }
    return packets;
}

// Sends one round to target from socket; false when a datagram did not go out whole.
inline bool sendRound(SocketHandle socket, Ipv4Address target, uint8_t sequence) {
    for (const Packet& p : round(sequence)) {
        const uint16_t port = p.port == DmxProtocol::Sacn ? kSacnPort : kArtNetPort;
        if (sendDatagram(socket, p.bytes.data(), p.bytes.size(), target, port) != static_cast<long>(p.bytes.size())) return false;
    }
    return true;
}

}  // namespace network_traffic
