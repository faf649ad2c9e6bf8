// Receive path: pollReceive draining a socket full of valid full-universe sACN packets,
// against a bare recvfrom loop on the same kind of socket; also with the transmit endpoint
// open, where the unicast lands on it. The view records every cell write into a table, so
// their cost counts. Run inside tools/in-private-netns.sh: Start RX with the default
// fields joins the sACN group on every interface.
#include <benchmark/benchmark.h>

#include <chrono>
#include <vector>

#include "core/packet_codec.h"
#include "core/tests/packet_bytes.h"
#include "net/dmx/dmx_network_engine.h"
#include "net/socket/socket_linux.h"
#include "net/dmx/tests/table_view.h"

namespace {

constexpr int kBatch = 128;  // one poll's worth
constexpr uint16_t kBarePort = 15568;

Ipv4Address loopback() {
    Ipv4Address a;
    parseIpv4("127.0.0.1", a);
    return a;
}

// kBatch packets whose levels and sequence differ, so every accepted one changes cells.
// The last packet of a batch is the same for every batch of one offset.
std::vector<std::vector<uint8_t>> makePackets(int offset = 0) {
    std::vector<std::vector<uint8_t>> packets;
    DmxUniverseState source;
    for (int i = 0; i < kBatch; ++i) {
        nextSequence(source);
        for (std::size_t slot = 0; slot < source.levels.size(); ++slot)
            source.levels[slot] = static_cast<uint8_t>(slot + i + offset);
        packets.push_back(packetBytes(buildDmxPacket(source)));
    }
    return packets;
}

void fill(SocketHandle sender, const std::vector<std::vector<uint8_t>>& packets, uint16_t port) {
    for (const auto& packet : packets) sendDatagram(sender, packet.data(), packet.size(), loopback(), port);
}

using Clock = std::chrono::steady_clock;

void bareRecvfrom(benchmark::State& s) {
    const auto packets = makePackets();
    const SocketHandle sender = openUdpSocket();
    const SocketHandle receiver = openUdpSocket();
    setReuseAddress(receiver, true);
    bindSocket(receiver, loopback(), kBarePort);
    setNonBlocking(receiver, true);
    uint8_t buffer[1500];
    Ipv4Address from;
    int64_t taken = 0;
    for (auto _ : s) {
        fill(sender, packets, kBarePort);
        const auto start = Clock::now();
        for (int i = 0; i < kBatch; ++i) {
            if (receiveDatagramFrom(receiver, buffer, sizeof buffer, from) < 0) break;
            ++taken;
        }
        s.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
    s.SetItemsProcessed(taken);
    closeSocket(receiver);
    closeSocket(sender);
}

// The same with recvmsg and the destination of each datagram (IP_PKTINFO), as the transmit
// endpoint reads while both endpoints are bound to 0.0.0.0.
void bareRecvmsg(benchmark::State& s) {
    const auto packets = makePackets();
    const SocketHandle sender = openUdpSocket();
    const SocketHandle receiver = openUdpSocket();
    setReuseAddress(receiver, true);
    setReceiveDestination(receiver, true);
    bindSocket(receiver, loopback(), kBarePort + 2);
    setNonBlocking(receiver, true);
    uint8_t buffer[1500];
    Ipv4Address from;
    DatagramDestination destination;
    int64_t taken = 0;
    for (auto _ : s) {
        fill(sender, packets, kBarePort + 2);
        const auto start = Clock::now();
        for (int i = 0; i < kBatch; ++i) {
            if (receiveDatagramTo(receiver, buffer, sizeof buffer, from, destination) < 0) break;
            ++taken;
        }
        s.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
    s.SetItemsProcessed(taken);
    closeSocket(receiver);
    closeSocket(sender);
}

// local: the Local IPv4 field. Every socket is read with recvfrom, except the transmit
// endpoint bound to 0.0.0.0 (recvmsg with the destination, to leave broadcast out).
// perPoll: datagrams waiting at each poll (128: a flood; 1: a steady 30 Hz source).
// transmitting: the transmit endpoint is opened after Start RX, so the unicast lands on it
// and is read there, after one empty read of the receive endpoint and of each companion.
// The target: pollReceive with an interface address at most 1.1 times bareRecvfrom.
void pollReceiveCost(benchmark::State& s, const char* local, int perPoll, bool transmitting) {
    auto packets = makePackets();
    packets.resize(static_cast<std::size_t>(perPoll));
    TableView table;
    table.texts[kDmxLocalIpv4Field] = local;
    const DmxView view = table.view();
    DmxNetworkEngine engine;
    DmxUniverseState state;
    table.texts[kDmxTargetField] = "127.0.0.2";  // nobody listens there
    toggleReceive(engine, state, view);
    if (transmitting) onSendValue(engine, state, view, 1);
    if (engine.receiveEndpoint == kInvalidSocket || (transmitting && engine.transmitEndpoint == kInvalidSocket)) {
        s.SkipWithError(engine.networkMessage.c_str());
        return;
    }
    const SocketHandle sender = openUdpSocket();
    uint64_t now = 1;
    for (auto _ : s) {
        fill(sender, packets, kSacnPort);
        const auto start = Clock::now();
        pollReceive(engine, state, view, ++now);
        s.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
    s.SetItemsProcessed(static_cast<int64_t>(engine.rxCount));
    s.counters["rejected"] = static_cast<double>(engine.rejectedCount);
    s.counters["cell_writes_per_datagram"] =
        static_cast<double>(table.cellWrites) / static_cast<double>(std::max<uint64_t>(engine.rxCount, 1));
    stopTransmit(engine, state, view, now);
    stopReceive(engine, view);
    closeSocket(sender);
}

// pollReceive with an interface address against the bare recvfrom loop, measured in turns
// within one benchmark so that the machine's load weighs on both alike. Reports the ratio
// of their times per datagram (target: at most 1.1). changingLevels: every poll ends on a
// packet whose 512 levels all differ from the last poll's, so that every cell is written;
// otherwise each poll ends on the same packet, as with a console holding its levels.
void interfaceAddressAgainstBareRecvfrom(benchmark::State& s, bool transmitting, bool changingLevels) {
    const auto packets = makePackets();
    const auto otherPackets = makePackets(changingLevels ? 1 : 0);
    TableView table;
    table.texts[kDmxLocalIpv4Field] = "127.0.0.1";
    table.texts[kDmxTargetField] = "127.0.0.2";
    const DmxView view = table.view();
    DmxNetworkEngine engine;
    DmxUniverseState state;
    toggleReceive(engine, state, view);
    if (transmitting) onSendValue(engine, state, view, 1);
    const SocketHandle sender = openUdpSocket();
    const SocketHandle bare = openUdpSocket();
    setReuseAddress(bare, true);
    bindSocket(bare, loopback(), kBarePort + 3);
    setNonBlocking(bare, true);
    if (engine.receiveEndpoint == kInvalidSocket || bare == kInvalidSocket) {
        s.SkipWithError("no socket");
        return;
    }
    uint8_t buffer[1500];
    Ipv4Address from;
    double bareSeconds = 0, pollSeconds = 0;
    int64_t bareTaken = 0;
    uint64_t now = 1;
    const auto timeBare = [&] {
        fill(sender, packets, kBarePort + 3);
        const auto start = Clock::now();
        for (int i = 0; i < kBatch && receiveDatagramFrom(bare, buffer, sizeof buffer, from) >= 0; ++i) ++bareTaken;
        bareSeconds += std::chrono::duration<double>(Clock::now() - start).count();
    };
    const auto timePoll = [&] {
        fill(sender, now % 2 == 0 ? packets : otherPackets, kSacnPort);
        const auto start = Clock::now();
        pollReceive(engine, state, view, ++now);
        const double took = std::chrono::duration<double>(Clock::now() - start).count();
        pollSeconds += took;
        return took;
    };
    for (auto _ : s) {
        double took = 0;
        if (now % 2 == 0) {
            timeBare();
            took = timePoll();
        } else {
            took = timePoll();
            timeBare();
        }
        s.SetIterationTime(took);
    }
    s.SetItemsProcessed(static_cast<int64_t>(engine.rxCount));
    s.counters["bare_datagrams"] = static_cast<double>(bareTaken);
    s.counters["cell_writes_per_poll"] = static_cast<double>(table.cellWrites) / static_cast<double>(now);
    s.counters["ratio_to_bare"] = bareSeconds > 0 && bareTaken > 0
                                      ? (pollSeconds / static_cast<double>(engine.rxCount)) /
                                            (bareSeconds / static_cast<double>(bareTaken))
                                      : 0;
    stopTransmit(engine, state, view, now);
    stopReceive(engine, view);
    closeSocket(bare);
    closeSocket(sender);
}

void bareRecvfromOne(benchmark::State& s) {
    const auto packets = makePackets();
    const SocketHandle sender = openUdpSocket();
    const SocketHandle receiver = openUdpSocket();
    bindSocket(receiver, loopback(), kBarePort + 1);
    setNonBlocking(receiver, true);
    uint8_t buffer[1500];
    Ipv4Address from;
    int64_t taken = 0;
    for (auto _ : s) {
        sendDatagram(sender, packets[0].data(), packets[0].size(), loopback(), kBarePort + 1);
        const auto start = Clock::now();
        // Like a poll: take the datagram, then find the socket empty.
        while (receiveDatagramFrom(receiver, buffer, sizeof buffer, from) >= 0) ++taken;
        s.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
    s.SetItemsProcessed(taken);
    closeSocket(receiver);
    closeSocket(sender);
}

}  // namespace

BENCHMARK(bareRecvfrom)->UseManualTime();
BENCHMARK(bareRecvmsg)->UseManualTime();
BENCHMARK_CAPTURE(pollReceiveCost, any_address_flood, "0.0.0.0", kBatch, false)->UseManualTime();
BENCHMARK_CAPTURE(pollReceiveCost, interface_address_flood, "127.0.0.1", kBatch, false)->UseManualTime();
BENCHMARK_CAPTURE(pollReceiveCost, any_address_flood_while_transmitting, "0.0.0.0", kBatch, true)->UseManualTime();
BENCHMARK_CAPTURE(pollReceiveCost, interface_address_flood_while_transmitting, "127.0.0.1", kBatch, true)
    ->UseManualTime();
BENCHMARK_CAPTURE(interfaceAddressAgainstBareRecvfrom, flood, false, false)->UseManualTime();
BENCHMARK_CAPTURE(interfaceAddressAgainstBareRecvfrom, flood_while_transmitting, true, false)->UseManualTime();
BENCHMARK_CAPTURE(interfaceAddressAgainstBareRecvfrom, flood_changing_levels, false, true)->UseManualTime();
BENCHMARK(bareRecvfromOne)->UseManualTime();
BENCHMARK_CAPTURE(pollReceiveCost, any_address_one_per_poll, "0.0.0.0", 1, false)->UseManualTime();
BENCHMARK_CAPTURE(pollReceiveCost, any_address_one_per_poll_while_transmitting, "0.0.0.0", 1, true)->UseManualTime();
