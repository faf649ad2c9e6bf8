// The small network of network_traffic.h sent for real from another namespace, for the
// Network window's end-to-end pictures:
//   network_peer <desk-a> <desk-b> <backup> <desk-c> <remote> <node> <target> <seconds>
// Desk A, Desk B, Backup, Desk C and the focus remote (picture_sources.h) each send from
// their own address to target (a unicast address, or "multicast" for their universe's
// group); the remote stops a second after the first ArtPoll, once the window scans. The
// node answers every ArtPoll with its reply from its address and sends ArtDmx to
// Port-Address 258 (with "multicast" to the 10.77.0.255 broadcast). Bounded by seconds.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "core/clock.h"
#include "tools/screenshots/picture_sources.h"
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
    if (argc != 9) return 2;
    startSocketLibrary();
    const SocketHandle sources[] = {boundTo(argv[1], 0), boundTo(argv[2], 0), boundTo(argv[3], 0), boundTo(argv[4], 0),
                                    boundTo(argv[5], 0)};
    const char* nodeAddress = argv[6];
    const SocketHandle node = boundTo(nodeAddress, kArtNetPort);
    const SocketHandle polls = boundTo("0.0.0.0", kArtNetPort);  // an ArtPoll comes as a broadcast
    const bool multicast = std::string(argv[7]) == "multicast";
    Ipv4Address target;
    if (!multicast) parseIpv4(argv[7], target);
    const uint64_t end = monotonicMicroseconds() + static_cast<uint64_t>(std::atof(argv[8]) * 1e6);
    uint64_t remoteEnd = end;
    for (uint8_t sequence = 1; monotonicMicroseconds() < end; ++sequence) {
        // Desk A, Desk B, Backup (levels and priorities), Desk C, the remote, the ArtDmx
        // from the node.
        const auto packets = network_traffic::round(sequence);
        const auto deskC = picture_sources::deskC(sequence);
        const auto remote = picture_sources::focusRemote(sequence);
        const std::vector<uint8_t>* sacn[] = {&packets[0].bytes, &packets[1].bytes, &packets[2].bytes,
                                              &packets[3].bytes, &deskC, &remote};
        const int from[] = {0, 1, 2, 2, 3, 4};
        const int count = monotonicMicroseconds() < remoteEnd ? 6 : 5;
        for (int i = 0; i < count; ++i) {
            const auto& bytes = *sacn[i];
            const Ipv4Address to = multicast ? Ipv4Address{{239, 255, 0, 7}} : target;
            sendDatagram(sources[from[i]], bytes.data(), bytes.size(), to, kSacnPort);
        }
        const auto& dmx = packets[5].bytes;
        const Ipv4Address artTarget = multicast ? Ipv4Address{{10, 77, 0, 255}} : target;
        sendDatagram(node, dmx.data(), dmx.size(), artTarget, kArtNetPort);
        uint8_t poll[64];
        Ipv4Address asker;
        while (receiveDatagramFrom(polls, poll, sizeof poll, asker) > 0) {
            remoteEnd = std::min(remoteEnd, monotonicMicroseconds() + 1000000);
            scan_packets::PollReply reply;
            Ipv4Address own;
            parseIpv4(nodeAddress, own);
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
