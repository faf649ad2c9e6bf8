#pragma once
// IPv4/UDP datagrams inside captured frames: built whole for a recording (raw IPv4), and
// found again under each link layer capture tools write. Pure functions over bytes;
// the payload of a found datagram points into the frame.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "ipv4_address.h"

struct UdpDatagramView {
    Ipv4Address source;
    Ipv4Address destination;
    uint16_t sourcePort = 0;
    uint16_t destinationPort = 0;
    std::span<const uint8_t> payload;
};

// The link layers a capture of DMX traffic comes in: Wireshark and tcpdump on an Ethernet
// interface or loopback, tcpdump -i any (Linux cooked, versions 1 and 2), raw IP as a
// recording writes it, and the BSD loopback header of captures made on macOS.
enum class LinkLayer : uint8_t { Ethernet, RawIp, LinuxCooked, LinuxCooked2, BsdLoopback };

enum class FrameContent : uint8_t {
    Udp,       // a whole IPv4 UDP datagram
    NotIpv4,   // another protocol: IPv6, ARP, ...
    NotUdp,    // IPv4 with another transport
    Fragment,  // a fragment of a larger datagram, which alone is no datagram
    CutShort,  // captured with fewer bytes than the packet has (a small snap length)
    Damaged,   // headers whose lengths do not fit each other
};

FrameContent findUdpDatagram(LinkLayer link, std::span<const uint8_t> frame, UdpDatagramView& datagram);

inline constexpr std::size_t kIpv4UdpHeaderLength = 28;
// The largest payload one IPv4 packet carries.
inline constexpr std::size_t kLargestUdpPayload = 65535 - kIpv4UdpHeaderLength;

// The datagram as one IPv4 packet: a 20-byte header with its checksum, no options, not
// fragmented, TTL 64, then the UDP header with checksum 0 ("not computed", valid in IPv4).
// Payloads longer than an IPv4 packet holds are cut to fit.
void appendIpv4UdpPacket(std::vector<uint8_t>& out, const UdpDatagramView& datagram);
