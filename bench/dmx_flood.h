#pragma once
// The benchmarks' flood: 2,000 sACN universes at 44 packets per second each (88,000
// datagrams/s), sent on a 1 ms grid to the universes' multicast groups or all to 127.0.0.1.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <vector>

#include "core/clock.h"
#include "core/dmx_universe_state.h"
#include "core/packet_codec.h"
#include "net/socket/socket_layer.h"

namespace dmx_flood {

constexpr int kUniverses = 2000;
constexpr int kPacketsPerSecond = 44;

inline Ipv4Address groupOf(int universe) {
    return Ipv4Address{{239, 255, static_cast<uint8_t>(universe >> 8), static_cast<uint8_t>(universe & 0xFF)}};
}

// Sends universes 1..count until stop, with everyLevel each packet's 512 levels changing
// too; returns the datagrams sent.
inline uint64_t flood(std::atomic<bool>& stop, bool unicast, int count = kUniverses, bool everyLevel = false) {
    const SocketHandle socket = openUdpSocket();
    bindSocket(socket, Ipv4Address{{127, 0, 0, 1}}, 0);
    std::vector<DmxPacket> packets;
    DmxUniverseState state;
    for (int u = 1; u <= count; ++u) {
        state.universe = u;
        packets.push_back(buildDmxPacket(state));
    }
    const uint64_t start = monotonicMicroseconds();
    uint64_t sent = 0;
    int next = 0;
    while (!stop) {
        const uint64_t due = (monotonicMicroseconds() - start) * static_cast<uint64_t>(count) * kPacketsPerSecond / 1000000;
        for (; sent < due && !stop; ++sent) {
            DmxPacket& p = packets[static_cast<std::size_t>(next)];
            ++p.bytes[kSacnSequenceOffset];
            if (everyLevel) {
                for (std::size_t slot = 0; slot < std::size_t{kDmxSlotCount}; ++slot) ++p.bytes[kSacnDataOffset + slot];
            }
            const Ipv4Address to = unicast ? Ipv4Address{{127, 0, 0, 1}} : groupOf(next + 1);
            sendDatagram(socket, p.data(), p.size(), to, kSacnPort);
            next = (next + 1) % count;
        }
        sleepMs(1);
    }
    closeSocket(socket);
    return sent;
}

}  // namespace dmx_flood
