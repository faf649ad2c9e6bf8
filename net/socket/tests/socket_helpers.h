#pragma once
// Plain sockets and hand-made packets for the engine tests. Everything stays on
// 127.0.0.0/8 or on interfaces of the private network namespace the tests run in.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/packet_codec.h"
#include "core/tests/packet_bytes.h"
#include "net/socket/socket_layer.h"

inline Ipv4Address ip(const char* text) {
    Ipv4Address a;
    EXPECT_TRUE(parseIpv4(text, a)) << text;
    return a;
}

// A test peer: sends from, or captures on, one address and port. Bound to an interface
// address, its multicast leaves by that interface, as the transmit endpoint's does.
struct Peer {
    SocketHandle handle = openUdpSocket();
    explicit Peer(const char* address = "127.0.0.1", uint16_t port = 0) {
        setReuseAddress(handle, true);
        setBroadcast(handle, true);
        EXPECT_TRUE(bindSocket(handle, ip(address), port)) << address << ":" << port << " errno " << lastSocketError();
        setReceiveTimeout(handle, 500);
    }
    ~Peer() { closeSocket(handle); }
    Peer(const Peer&) = delete;
    Peer& operator=(const Peer&) = delete;

    void send(const std::vector<uint8_t>& packet, const char* to, uint16_t port) const {
        EXPECT_EQ(sendDatagram(handle, packet.data(), packet.size(), ip(to), port), static_cast<long>(packet.size()))
            << "to " << to << " errno " << lastSocketError();
    }
    // The next datagram, or an empty vector after the 500 ms time-out.
    std::vector<uint8_t> next() const {
        uint8_t buffer[1500];
        const long n = receiveDatagram(handle, buffer, sizeof buffer);
        return n < 0 ? std::vector<uint8_t>{} : std::vector<uint8_t>(buffer, buffer + n);
    }
    bool joinGroup(const char* group, const char* onInterface = "127.0.0.1") const {
        return joinMulticastGroup(handle, ip(group), ip(onInterface));
    }
};

// A packet to build: PacketRecipe().sequence(17).level(1, 255).slots(24) and so on.
struct PacketRecipe {
    DmxProtocol protocol_ = DmxProtocol::Sacn;
    int32_t universe_ = 100;
    uint8_t sequence_ = 1;
    std::vector<std::pair<int, uint8_t>> levels_;  // slot, level
    int slots_ = 512;                              // sACN: fewer slots give a shorter packet
    uint8_t priority_ = 100;
    uint8_t options_ = 0;
    uint16_t syncUniverse_ = 0;

    PacketRecipe& artNet() { protocol_ = DmxProtocol::ArtNet; return *this; }
    PacketRecipe& universe(int32_t u) { universe_ = u; return *this; }
    PacketRecipe& sequence(int s) { sequence_ = static_cast<uint8_t>(s); return *this; }
    PacketRecipe& level(int slot, int value) { levels_.emplace_back(slot, static_cast<uint8_t>(value)); return *this; }
    PacketRecipe& slots(int n) { slots_ = n; return *this; }
    PacketRecipe& priority(int p) { priority_ = static_cast<uint8_t>(p); return *this; }
    PacketRecipe& options(int o) { options_ = static_cast<uint8_t>(o); return *this; }
    PacketRecipe& syncUniverse(int u) { syncUniverse_ = static_cast<uint16_t>(u); return *this; }
};

inline std::vector<uint8_t> makePacket(const PacketRecipe& recipe) {
    DmxUniverseState state;
    state.protocol = recipe.protocol_;
    state.universe = recipe.universe_;
    state.sequence = recipe.sequence_;
    for (const auto& [slot, level] : recipe.levels_) state.levels[static_cast<std::size_t>(slot - 1)] = level;
    std::vector<uint8_t> packet = packetBytes(buildDmxPacket(state));
    if (recipe.protocol_ != DmxProtocol::Sacn) return packet;
    const auto put16 = [&](std::size_t at, uint32_t v) {
        packet[at] = static_cast<uint8_t>(v >> 8);
        packet[at + 1] = static_cast<uint8_t>(v);
    };
    packet[kSacnPriorityOffset] = recipe.priority_;
    packet[kSacnOptionsOffset] = recipe.options_;
    put16(kSacnSyncAddressOffset, recipe.syncUniverse_);
    if (recipe.slots_ != 512) {
        const std::size_t length = kSacnDataOffset + static_cast<std::size_t>(recipe.slots_);
        packet.resize(length);
        put16(16, 0x7000 | static_cast<uint32_t>(length - 16));
        put16(38, 0x7000 | static_cast<uint32_t>(length - 38));
        put16(115, 0x7000 | static_cast<uint32_t>(length - 115));
        put16(123, static_cast<uint32_t>(recipe.slots_ + 1));
    }
    return packet;
}

inline std::string readText(const char* path) {
    std::ifstream in(path);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

// Whether any interface of this namespace is a member of the group (/proc/net/igmp lists
// each group as its address bytes read as a little-endian word, in hex).
inline bool hostIsMemberOf(const char* group) {
    const Ipv4Address a = ip(group);
    char word[16];
    std::snprintf(word, sizeof word, "%02X%02X%02X%02X", a.bytes[3], a.bytes[2], a.bytes[1], a.bytes[0]);
    return readText("/proc/net/igmp").find(word) != std::string::npos;
}

// Whether a UDP socket is bound to this port (any address) in /proc/net/udp.
inline bool portIsBound(uint16_t port) {
    char wanted[16];
    std::snprintf(wanted, sizeof wanted, ":%04X ", port);
    return readText("/proc/net/udp").find(wanted) != std::string::npos;
}
