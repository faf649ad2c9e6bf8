// The small network of network_traffic.h sent for real from another namespace, for the
// Network window's end-to-end pictures:
//   network_peer <desk-a> <desk-b> <backup> <node> <target> <seconds>
// Desk A, Desk B and Backup each send from their own address to target (a unicast
// address, or "multicast" for their universe's group); the node answers every ArtPoll
// with its reply from its address and sends ArtDmx to Port-Address 258 (with "multicast"
// to the 10.77.0.255 broadcast). Bounded by seconds.
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "core/clock.h"
#include "ui/tests/network_traffic.h"

namespace {

SocketHandle boundTo(const char* address, uint16_t port) {
    Ipv4Address local;
    parseIpv4(address, local);
    const SocketHandle socket = openUdpSocket();
    setReuseAddress(socket, true);
    setBroadcast(socket, true);
    bindSocket(socket, local, port);
    setNonBlocking(socket, true);
    return socket;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 7) return 2;
    startSocketLibrary();
    const SocketHandle sources[] = {boundTo(argv[1], 0), boundTo(argv[2], 0), boundTo(argv[3], 0)};
    const SocketHandle node = boundTo(argv[4], kArtNetPort);
    const SocketHandle polls = boundTo("0.0.0.0", kArtNetPort);  // an ArtPoll comes as a broadcast
    const bool multicast = std::string(argv[5]) == "multicast";
    Ipv4Address target;
    if (!multicast) parseIpv4(argv[5], target);
    const uint64_t end = monotonicMicroseconds() + static_cast<uint64_t>(std::atof(argv[6]) * 1e6);
    for (uint8_t sequence = 1; monotonicMicroseconds() < end; ++sequence) {
        // Desk A, Desk B, Backup (levels and priorities), the ArtDmx from the node.
        const auto packets = network_traffic::round(sequence);
        const int from[] = {0, 1, 2, 2};
        for (int i = 0; i < 4; ++i) {
            const auto& bytes = packets[static_cast<std::size_t>(i)].bytes;
            const Ipv4Address to = multicast ? Ipv4Address{{239, 255, 0, 7}} : target;
            sendDatagram(sources[from[i]], bytes.data(), bytes.size(), to, kSacnPort);
        }
        const auto& dmx = packets[5].bytes;
        const Ipv4Address artTarget = multicast ? Ipv4Address{{10, 77, 0, 255}} : target;
        sendDatagram(node, dmx.data(), dmx.size(), artTarget, kArtNetPort);
        uint8_t poll[64];
        Ipv4Address asker;
        while (receiveDatagramFrom(polls, poll, sizeof poll, asker) > 0) {
            scan_packets::PollReply reply;
            Ipv4Address own;
            parseIpv4(argv[4], own);
            for (int b = 0; b < 4; ++b) reply.ip[static_cast<std::size_t>(b)] = own.bytes[b];
            reply.shortName = "Veth node";
            const auto bytes = scan_packets::artPollReply(reply);
            sendDatagram(node, bytes.data(), bytes.size(), asker, kArtNetPort);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(22727));
    }
    for (SocketHandle s : sources) closeSocket(s);
    closeSocket(node);
    closeSocket(polls);
    stopSocketLibrary();
    return 0;
}
