#include "captured_frame.h"

#include <algorithm>

namespace {

constexpr uint16_t kEtherTypeIpv4 = 0x0800;
constexpr uint16_t kEtherTypeVlan = 0x8100;
constexpr uint16_t kEtherTypeQinQ = 0x88A8;
constexpr uint8_t kProtocolUdp = 17;

uint16_t read16(std::span<const uint8_t> bytes, std::size_t at) {
    return static_cast<uint16_t>(bytes[at] << 8 | bytes[at + 1]);
}

// The IPv4 packet inside the frame, or an empty span when the link layer carries
// something else or is itself cut.
std::span<const uint8_t> ipv4PacketOf(LinkLayer link, std::span<const uint8_t> frame) {
    switch (link) {
        case LinkLayer::RawIp: return frame;
        case LinkLayer::Ethernet: {
            std::size_t at = 12;  // destination and source MAC
            while (at + 2 <= frame.size() && (read16(frame, at) == kEtherTypeVlan || read16(frame, at) == kEtherTypeQinQ)) at += 4;
            if (at + 2 > frame.size() || read16(frame, at) != kEtherTypeIpv4) return {};
            return frame.subspan(at + 2);
        }
        case LinkLayer::LinuxCooked:  // 16 bytes, the protocol last
            if (frame.size() < 16 || read16(frame, 14) != kEtherTypeIpv4) return {};
            return frame.subspan(16);
        case LinkLayer::LinuxCooked2:  // 20 bytes, the protocol first
            if (frame.size() < 20 || read16(frame, 0) != kEtherTypeIpv4) return {};
            return frame.subspan(20);
        case LinkLayer::BsdLoopback: {  // AF_INET (2) in the capturing host's byte order
            if (frame.size() < 4) return {};
            const bool ipv4 = (frame[0] == 2 && frame[1] == 0 && frame[2] == 0 && frame[3] == 0) ||
                              (frame[0] == 0 && frame[1] == 0 && frame[2] == 0 && frame[3] == 2);
            return ipv4 ? frame.subspan(4) : std::span<const uint8_t>();
        }
    }
    return {};
}

uint16_t ipv4HeaderChecksum(const uint8_t* header) {
    uint32_t sum = 0;
    for (std::size_t i = 0; i < 20; i += 2) sum += static_cast<uint32_t>(header[i] << 8 | header[i + 1]);
    while (sum > 0xFFFF) sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<uint16_t>(~sum);
}

void put16(uint8_t* at, std::size_t value) {
    at[0] = static_cast<uint8_t>(value >> 8);
    at[1] = static_cast<uint8_t>(value);
}

}  // namespace

FrameContent findUdpDatagram(LinkLayer link, std::span<const uint8_t> frame, UdpDatagramView& datagram) {
    const std::span<const uint8_t> ip = ipv4PacketOf(link, frame);
    if (ip.empty()) return link == LinkLayer::RawIp ? FrameContent::Damaged : FrameContent::NotIpv4;
    if (ip[0] >> 4 != 4) return FrameContent::NotIpv4;
    const std::size_t headerLength = static_cast<std::size_t>(ip[0] & 0x0F) * 4;
    if (ip.size() < 20 || headerLength < 20) return ip.size() < 20 ? FrameContent::CutShort : FrameContent::Damaged;
    if (ip[9] != kProtocolUdp) return FrameContent::NotUdp;
    const std::size_t totalLength = read16(ip, 2);
    if (totalLength < headerLength + 8) return FrameContent::Damaged;
    const bool moreFragments = (ip[6] & 0x20) != 0;
    const bool laterFragment = (read16(ip, 6) & 0x1FFF) != 0;
    if (moreFragments || laterFragment) return FrameContent::Fragment;
    if (ip.size() < totalLength) return FrameContent::CutShort;
    const std::span<const uint8_t> udp = ip.subspan(headerLength, totalLength - headerLength);
    const std::size_t udpLength = read16(udp, 4);
    if (udpLength < 8 || udpLength > udp.size()) return FrameContent::Damaged;
    std::copy_n(ip.begin() + 12, 4, datagram.source.bytes);
    std::copy_n(ip.begin() + 16, 4, datagram.destination.bytes);
    datagram.sourcePort = read16(udp, 0);
    datagram.destinationPort = read16(udp, 2);
    datagram.payload = udp.subspan(8, udpLength - 8);
    return FrameContent::Udp;
}

void appendIpv4UdpPacket(std::vector<uint8_t>& out, const UdpDatagramView& datagram) {
    const std::size_t payloadLength = std::min(datagram.payload.size(), kLargestUdpPayload);
    const std::size_t start = out.size();
    out.resize(start + kIpv4UdpHeaderLength);
    uint8_t* ip = out.data() + start;
    ip[0] = 0x45;  // version 4, five 32-bit words
    put16(ip + 2, kIpv4UdpHeaderLength + payloadLength);
    ip[8] = 64;
    ip[9] = kProtocolUdp;
    std::copy_n(datagram.source.bytes, 4, ip + 12);
    std::copy_n(datagram.destination.bytes, 4, ip + 16);
    put16(ip + 10, ipv4HeaderChecksum(ip));
    uint8_t* udp = ip + 20;
    put16(udp, datagram.sourcePort);
    put16(udp + 2, datagram.destinationPort);
    put16(udp + 4, 8 + payloadLength);
    out.insert(out.end(), datagram.payload.begin(), datagram.payload.begin() + static_cast<std::ptrdiff_t>(payloadLength));
}
