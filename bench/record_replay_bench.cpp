// --replay timing and --record under load, through the lumibox binary.
//
// Replay: a file of 10 universes x 44 packets/s for 10 s is replayed to 127.0.0.1 and
// received with kernel arrival stamps; the difference between each recorded gap and the
// gap on arrival is summarised as median and 99th percentile. The floor, in the same run,
// is a bare loop that sends the same schedule with absolute sleeps on the same clock.
//
// Record: 2,000 universes x 44 packets/s (88,000 datagrams/s) to their multicast groups
// while `lumibox --record --universes 1-2000` runs; the file must hold every datagram
// sent, and the namespace's /proc/net/snmp Udp RcvbufErrors must not grow.
//
//   tools/in-private-netns.sh build/bench/record_replay_bench [record seconds]
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/captured_frame.h"
#include "core/clock.h"
#include "core/packet_codec.h"
#include "core/pcapng_blocks.h"
#include "net/capture/capture_reader.h"
#include "net/socket/socket_layer.h"
#include "dmx_flood.h"
#include "linux_counters.h"

namespace {

using namespace linux_counters;
using dmx_flood::kPacketsPerSecond;

constexpr int kReplayUniverses = 10;
constexpr int kReplaySeconds = 10;
constexpr int kRecordUniverses = dmx_flood::kUniverses;

// Send offsets in microseconds: each universe every 1/44 s, the universes spread evenly.
std::vector<uint64_t> schedule() {
    std::vector<uint64_t> offsets;
    const uint64_t periodUs = 1000000 / kPacketsPerSecond;
    for (uint64_t frame = 0; frame < kReplaySeconds * kPacketsPerSecond; ++frame) {
        for (uint64_t u = 0; u < kReplayUniverses; ++u) offsets.push_back(frame * periodUs + u * periodUs / kReplayUniverses);
    }
    return offsets;
}

DmxPacket packetOf(int universe) {
    DmxUniverseState state;
    state.universe = universe;
    return buildDmxPacket(state);
}

void writeReplayFile(const std::string& path, const std::vector<uint64_t>& offsets) {
    std::vector<uint8_t> file;
    appendSectionHeaderBlock(file, "bench");
    appendInterfaceDescriptionBlock(file, kLinkTypeRawIp, kRecordingSnapLength);
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        const DmxPacket packet = packetOf(static_cast<int>(i % kReplayUniverses) + 1);
        std::vector<uint8_t> ip;
        appendIpv4UdpPacket(ip, {{10, 0, 0, 2}, {239, 255, 0, 1}, 5568, 5568, {packet.begin(), packet.size()}});
        appendEnhancedPacketBlock(file, 1700000000000000 + offsets[i], ip);
    }
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
}

// Kernel arrival stamps of `count` datagrams on 127.0.0.1:5568, until idleMs pass without one.
std::vector<uint64_t> receiveArrivals(SocketHandle socket, std::size_t count) {
    std::vector<uint64_t> arrivals;
    std::vector<uint8_t> storage(64 * 2048);
    ReceivedDatagram batch[64];
    for (std::size_t i = 0; i < 64; ++i) {
        batch[i].buffer = storage.data() + i * 2048;
        batch[i].capacity = 2048;
    }
    uint64_t lastUs = monotonicMicroseconds();
    while (arrivals.size() < count && monotonicMicroseconds() - lastUs < 3000000) {
        waitForDatagram(&socket, 1, 100);
        const int n = receiveDatagrams(socket, batch, 64);
        for (int i = 0; i < n; ++i) arrivals.push_back(batch[i].arrivalUs);
        if (n > 0) lastUs = monotonicMicroseconds();
    }
    return arrivals;
}

void sleepUntil(uint64_t us) {
    const timespec until{static_cast<time_t>(us / 1000000), static_cast<long>(us % 1000000) * 1000};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
    }
}

// The floor: the same schedule sent by a bare loop of absolute sleeps and sendto.
void bareReplay(const std::vector<uint64_t>& offsets) {
    const SocketHandle socket = openUdpSocket();
    const DmxPacket packet = packetOf(1);
    const uint64_t start = monotonicMicroseconds() + 1000;
    for (uint64_t offset : offsets) {
        sleepUntil(start + offset);
        sendDatagram(socket, packet.data(), packet.size(), Ipv4Address{{127, 0, 0, 1}}, kSacnPort);
    }
    closeSocket(socket);
}

void printGapErrors(const char* name, const std::vector<uint64_t>& offsets, const std::vector<uint64_t>& arrivals) {
    if (arrivals.size() != offsets.size()) {
        std::printf("%-14s received %zu of %zu datagrams\n", name, arrivals.size(), offsets.size());
        return;
    }
    std::vector<double> errors;
    for (std::size_t i = 1; i < offsets.size(); ++i) {
        const double recorded = static_cast<double>(offsets[i] - offsets[i - 1]);
        const double replayed = static_cast<double>(arrivals[i]) - static_cast<double>(arrivals[i - 1]);
        errors.push_back(std::fabs(replayed - recorded));
    }
    std::sort(errors.begin(), errors.end());
    const double drift = static_cast<double>(arrivals.back() - arrivals.front()) - static_cast<double>(offsets.back() - offsets.front());
    std::printf("%-14s gap error median %6.1f us  p99 %7.1f us  max %8.1f us  end-to-end drift %+8.1f us\n", name,
                errors[errors.size() / 2], errors[errors.size() * 99 / 100], errors.back(), drift);
}

void benchReplay() {
    const std::vector<uint64_t> offsets = schedule();
    const std::string file = "/tmp/lumibox-replay-bench.pcapng";
    writeReplayFile(file, offsets);
    const SocketHandle socket = openUdpSocket();
    bindSocket(socket, Ipv4Address{{127, 0, 0, 1}}, kSacnPort);
    setNonBlocking(socket, true);
    prepareBatchReceive(socket);
    std::printf("replay: %d universes x %d/s for %d s (%zu datagrams)\n", kReplayUniverses, kPacketsPerSecond,
                kReplaySeconds, offsets.size());

    std::thread floor([&] { bareReplay(offsets); });
    printGapErrors("bare loop", offsets, receiveArrivals(socket, offsets.size()));
    floor.join();

    const pid_t child = fork();
    if (child == 0) {
        execl(LUMIBOX_BINARY, LUMIBOX_BINARY, "--replay", file.c_str(), "--target", "127.0.0.1",
              static_cast<char*>(nullptr));
        _exit(127);
    }
    printGapErrors("lumibox", offsets, receiveArrivals(socket, offsets.size()));
    int status = 0;
    waitpid(child, &status, 0);
    closeSocket(socket);
}

void benchRecord(double seconds) {
    const std::string file = "/tmp/lumibox-record-bench.pcapng";
    std::printf("record: %d universes x %d/s for %.0f s, net.core.rmem_max %s", kRecordUniverses, kPacketsPerSecond,
                seconds, readText("/proc/sys/net/core/rmem_max").c_str());
    const std::string universes = "1-" + std::to_string(kRecordUniverses);
    const pid_t child = fork();
    if (child == 0) {
        execl(LUMIBOX_BINARY, LUMIBOX_BINARY, "--record", "--universes", universes.c_str(), "--output", file.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    for (int i = 0; i < 500 && joinedGroups() < kRecordUniverses; ++i) sleepMs(10);
    sleepMs(200);
    const uint64_t dropsBefore = udpCounter("RcvbufErrors");
    std::atomic<bool> stop{false};
    uint64_t sent = 0;
    std::thread sender([&] { sent = dmx_flood::flood(stop, false); });
    sleepMs(static_cast<uint32_t>(seconds * 1000));
    stop = true;
    sender.join();
    sleepMs(1000);  // what is queued is read and flushed
    kill(child, SIGTERM);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    const uint64_t drops = udpCounter("RcvbufErrors") - dropsBefore;
    uint64_t recorded = 0;
    std::string problem;
    readCaptureFile(
        file,
        [&](const CaptureRecordView&) {
            ++recorded;
            return true;
        },
        problem);
    const double cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                       static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    std::printf("sent %llu (%.0f/s)  recorded %llu  missing %lld  RcvbufErrors %llu  exit %d  cpu %.2f s (%.2f us/datagram)\n",
                static_cast<unsigned long long>(sent), static_cast<double>(sent) / seconds,
                static_cast<unsigned long long>(recorded), static_cast<long long>(sent) - static_cast<long long>(recorded),
                static_cast<unsigned long long>(drops), WIFEXITED(status) ? WEXITSTATUS(status) : -1, cpu,
                recorded ? cpu * 1e6 / static_cast<double>(recorded) : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
    benchReplay();
    benchRecord(argc > 1 ? std::atof(argv[1]) : 10.0);
    return 0;
}
