// Transmit cadence on real time: transmitTick from a 10 ms loop for 10 s with continuous
// transmission on, sending to 127.0.0.2 (a capture socket counts what arrives). Prints
// the periods between sends as a histogram. Usage: net_cadence_bench [seconds]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <thread>
#include <vector>

#include "core/clock.h"
#include "net/dmx/dmx_network_engine.h"
#include "net/dmx/tests/table_view.h"

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    Ipv4Address captureAddress;
    parseIpv4("127.0.0.2", captureAddress);
    const SocketHandle capture = openUdpSocket();
    if (!bindSocket(capture, captureAddress, kSacnPort)) {
        std::printf("capture bind failed: %d\n", lastSocketError());
        return 1;
    }
    setNonBlocking(capture, true);

    TableView table;
    table.texts[kDmxLocalIpv4Field] = "127.0.0.1";
    table.texts[kDmxTargetField] = "127.0.0.2";
    const DmxView view = table.view();
    DmxNetworkEngine engine;
    DmxUniverseState state;

    std::vector<uint64_t> sendTimes;
    onContinuousTx(engine, state, view, tickCountMs());
    sendTimes.push_back(engine.lastSendTime);
    const auto start = std::chrono::steady_clock::now();
    const auto end = start + std::chrono::seconds(seconds);
    long received = 0;
    uint8_t buffer[1500];
    for (auto next = start + std::chrono::milliseconds(10); next < end; next += std::chrono::milliseconds(10)) {
        std::this_thread::sleep_until(next);
        const uint64_t before = engine.txCount;
        const uint64_t now = tickCountMs();
        transmitTick(engine, state, view, now);
        if (engine.txCount != before) sendTimes.push_back(now);
        while (receiveDatagram(capture, buffer, sizeof buffer) >= 0) ++received;
    }
    stopTransmit(engine, state, view, tickCountMs());
    while (receiveDatagram(capture, buffer, sizeof buffer) >= 0) ++received;
    closeSocket(capture);

    std::map<uint64_t, int> histogram;
    for (std::size_t i = 1; i < sendTimes.size(); ++i) ++histogram[sendTimes[i] - sendTimes[i - 1]];
    const double mean = sendTimes.size() > 1
                            ? static_cast<double>(sendTimes.back() - sendTimes.front()) / static_cast<double>(sendTimes.size() - 1)
                            : 0.0;
    const uint64_t longest = histogram.empty() ? 0 : histogram.rbegin()->first;
    std::printf("sends %zu, received %ld, failed sends %s\n", sendTimes.size(), received,
                engine.networkMessage.empty() ? "none" : engine.networkMessage.c_str());
    std::printf("mean period %.3f ms, longest gap %llu ms\n", mean, static_cast<unsigned long long>(longest));
    std::printf("period ms | count\n");
    for (const auto& [period, count] : histogram) std::printf("%9llu | %d\n", static_cast<unsigned long long>(period), count);
    return 0;
}
