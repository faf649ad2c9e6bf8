// What one scrape of --serve costs with 2,000 universes, each sent by one sACN source
// (and 2,000 Art-Net senders beside them): the scan thread's copy into a snapshot, then
// /metrics and /scan.json rendered from it on an HTTP thread. The floor, measured in the
// same run, is copying the rendered metrics' bytes once; the target is 20 ms per render.
//
//   build/bench/serve_render_bench [rounds]
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "cli/scan_metrics.h"
#include "cli/scan_report.h"
#include "cli/serve_snapshot.h"
#include "core/scan_codec.h"

namespace {

constexpr int kUniverses = 2000;
constexpr double kTargetMs = 20.0;

// A minimal E1.31 data packet of 512 slots, laid out field by field.
std::vector<uint8_t> sacnPacket(uint16_t universe, uint8_t sequence) {
    std::vector<uint8_t> p(638, 0);
    auto put16 = [&](std::size_t at, uint32_t v) {
        p[at] = static_cast<uint8_t>(v >> 8);
        p[at + 1] = static_cast<uint8_t>(v);
    };
    p[1] = 0x10;
    std::memcpy(&p[4], "ASC-E1.17", 9);
    put16(16, 0x7000 | (638 - 16));
    p[21] = 4;
    for (int i = 0; i < 16; ++i) p[22 + static_cast<std::size_t>(i)] = static_cast<uint8_t>(universe + i);
    put16(38, 0x7000 | (638 - 38));
    p[43] = 2;
    std::snprintf(reinterpret_cast<char*>(&p[44]), 64, "Console %u \"main\"", universe);
    p[108] = 100;
    p[111] = sequence;
    put16(113, universe);
    put16(115, 0x7000 | (638 - 115));
    p[117] = 0x02;
    p[118] = 0xA1;
    put16(121, 1);
    put16(123, 513);
    return p;
}

std::vector<uint8_t> artDmx(uint16_t portAddress) {
    std::vector<uint8_t> p(18 + 512, 0);
    std::memcpy(p.data(), "Art-Net", 7);
    p[9] = 0x50;
    p[11] = 14;
    p[12] = 1;
    p[14] = static_cast<uint8_t>(portAddress & 0xFF);
    p[15] = static_cast<uint8_t>(portAddress >> 8);
    p[16] = 2;
    return p;
}

double threadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// The median over the rounds of this thread's CPU time for work, which a loaded machine
// does not inflate the way it does the time on the clock (printed beside it).
struct Timing {
    double cpuMs = 0;
    double wallMs = 0;
};

template <typename Work>
Timing median(int rounds, Work work) {
    std::vector<double> cpu, wall;
    for (int i = 0; i < rounds; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const double startCpu = threadCpuMs();
        work();
        cpu.push_back(threadCpuMs() - startCpu);
        wall.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(cpu.begin(), cpu.end());
    std::sort(wall.begin(), wall.end());
    return {cpu[cpu.size() / 2], wall[wall.size() / 2]};
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;
    ScanEngine scan;
    startScan(scan, 0);
    uint64_t now = 1;
    for (int round = 0; round < 10; ++round) {
        for (int u = 1; u <= kUniverses; ++u) {
            const auto sacn = sacnPacket(static_cast<uint16_t>(u), static_cast<uint8_t>(round));
            takeScanDatagram(scan, DmxProtocol::Sacn, sacn.data(), sacn.size(),
                             Ipv4Address{{10, 0, static_cast<uint8_t>(u >> 8), static_cast<uint8_t>(u)}}, now += 10);
            const auto art = artDmx(static_cast<uint16_t>(u));
            takeScanDatagram(scan, DmxProtocol::ArtNet, art.data(), art.size(), Ipv4Address{{10, 1, 0, 1}}, now += 10);
        }
    }
    ScanReportSettings settings;
    ServeSnapshotExchange exchange;
    publishServeSnapshot(exchange, scan, settings, now, true, 0);
    const Timing copy = median(rounds, [&] { publishServeSnapshot(exchange, scan, settings, now, true, 0); });
    const auto snapshot = latestServeSnapshot(exchange);

    std::string metrics;
    const Timing metricsTime = median(rounds, [&] {
        metrics = scanMetricsText(snapshot->scan, {"bench", true, 0}, snapshot->takenUs);
    });
    std::string document;
    const Timing documentTime =
        median(rounds, [&] { document = scanReportJson(snapshot->scan, snapshot->settings, snapshot->takenUs); });
    std::string bytes;
    const Timing floor = median(rounds, [&] { bytes.assign(metrics.data(), metrics.size()); });

    std::printf("records: %zu sACN sources, %zu Art-Net senders; median of %d rounds\n", snapshot->scan.sacn.records.size(),
                snapshot->scan.artNet.records.size(), rounds);
    std::printf("                                  CPU ms   clock ms\n");
    std::printf("snapshot copy on the scan thread %7.2f  %9.2f\n", copy.cpuMs, copy.wallMs);
    std::printf("/metrics render                  %7.2f  %9.2f  %zu bytes\n", metricsTime.cpuMs, metricsTime.wallMs,
                metrics.size());
    std::printf("/scan.json render                %7.2f  %9.2f  %zu bytes\n", documentTime.cpuMs, documentTime.wallMs,
                document.size());
    std::printf("floor: copying the metrics' bytes %6.3f  %9.3f  (/metrics is %.0fx)\n", floor.cpuMs, floor.wallMs,
                metricsTime.cpuMs / std::max(floor.cpuMs, 1e-6));
    const bool met = metricsTime.cpuMs <= kTargetMs && documentTime.cpuMs <= kTargetMs;
    std::printf("target: each render at most %.0f ms of CPU: %s\n", kTargetMs, met ? "met" : "NOT met");
    return met ? 0 : 1;
}
