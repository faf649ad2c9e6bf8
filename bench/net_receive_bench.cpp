// Receive path: pollReceive draining a socket full of valid full-universe sACN packets,
// against a bare recvfrom loop on the same kind of socket; also with the transmit endpoint
// open, where the unicast lands on it. The view records every cell write into a table, so
// their cost counts. Run inside tools/in-private-netns.sh: Start RX with the default
// fields joins the sACN group on every interface.
#include <benchmark/benchmark.h>

#include <chrono>
#include <vector>

#include "core/packet_codec.h"
#include "net/dmx_network_engine.h"
#include "net/tests/table_view.h"

namespace {

constexpr int kBatch = 128;  // one poll's worth
constexpr uint16_t kBarePort = 15568;

Ipv4Address loopback() {
    Ipv4Address a;
    parseIpv4("127.0.0.1", a);
    return a;
}

// kBatch packets whose levels and sequence differ, so every accepted one changes cells.
std::vector<std::vector<uint8_t>> makePackets() {
    std::vector<std::vector<uint8_t>> packets;
    DmxUniverseState source;
    for (int i = 0; i < kBatch; ++i) {
        nextSequence(source);
        for (std::size_t slot = 0; slot < source.levels.size(); ++slot) source.levels[slot] = static_cast<uint8_t>(slot + i);
        packets.push_back(buildDmxPacket(source));
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

// The same with recvmsg and the destination of each datagram (IP_PKTINFO), as the receive
// endpoint reads with an interface address and the transmit endpoint always reads.
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

// local: the Local IPv4 field. 0.0.0.0 reads with recvfrom, an address with recvmsg.
// perPoll: datagrams waiting at each poll (128: a flood; 1: a steady 30 Hz source).
// transmitting: the transmit endpoint is opened after Start RX, so the unicast lands on it
// and is read there (recvmsg with the destination), after one empty read of the other.
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
    stopReceive(engine, state, view);
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
BENCHMARK(bareRecvfromOne)->UseManualTime();
BENCHMARK_CAPTURE(pollReceiveCost, any_address_one_per_poll, "0.0.0.0", 1, false)->UseManualTime();
BENCHMARK_CAPTURE(pollReceiveCost, any_address_one_per_poll_while_transmitting, "0.0.0.0", 1, true)->UseManualTime();
