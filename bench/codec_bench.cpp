// Codec cost against a plain copy of one full sACN packet.
#include <benchmark/benchmark.h>

#include <cstring>

#include "core/packet_codec.h"
#include "core/tests/packet_bytes.h"

namespace {

DmxUniverseState fullState(DmxProtocol protocol) {
    DmxUniverseState state;
    state.protocol = protocol;
    for (std::size_t i = 0; i < state.levels.size(); ++i) state.levels[i] = static_cast<uint8_t>(i);
    return state;
}

void memcpyPacket(benchmark::State& s) {
    const std::vector<uint8_t> source = packetBytes(buildDmxPacket(fullState(DmxProtocol::Sacn)));
    std::vector<uint8_t> target(source.size());
    for (auto _ : s) {
        std::memcpy(target.data(), source.data(), source.size());
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
}

void parse(benchmark::State& s, DmxProtocol protocol) {
    const std::vector<uint8_t> packet = packetBytes(buildDmxPacket(fullState(protocol)));
    DmxPacketInfo info;
    for (auto _ : s) {
        benchmark::DoNotOptimize(packet.data());
        bool ok = parseDmxPacket(packet.data(), packet.size(), protocol, info);
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(info);
    }
}

void build(benchmark::State& s, DmxProtocol protocol) {
    DmxUniverseState state = fullState(protocol);
    for (auto _ : s) {
        benchmark::DoNotOptimize(state);
        DmxPacket packet = buildDmxPacket(state);
        benchmark::DoNotOptimize(packet.data());
    }
}

}  // namespace

BENCHMARK(memcpyPacket);
BENCHMARK_CAPTURE(parse, sacn, DmxProtocol::Sacn);
BENCHMARK_CAPTURE(parse, artnet, DmxProtocol::ArtNet);
BENCHMARK_CAPTURE(build, sacn, DmxProtocol::Sacn);
BENCHMARK_CAPTURE(build, artnet, DmxProtocol::ArtNet);
