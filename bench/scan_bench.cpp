// --scan under a flood: 2,000 sACN universes at 44 packets per second each (88,000
// datagrams/s), sent to their multicast groups (or, with "unicast", all to 127.0.0.1).
// Alternates two receivers over the same flood and reports CPU per datagram for each:
// a bare loop of recvmmsg with arrival stamps over sockets joined to the same groups, and
// `lumibox --scan`. Kernel receive drops are the namespace's /proc/net/snmp Udp
// RcvbufErrors. "idle" instead measures both receivers' CPU with their 100 sockets and no
// traffic at all.
//
//   tools/in-private-netns.sh build/bench/scan_bench [seconds per phase] [multicast|unicast|idle]
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/clock.h"
#include "core/packet_codec.h"
#include "net/socket/socket_layer.h"
#include "dmx_flood.h"
#include "linux_counters.h"

namespace {

using dmx_flood::flood;
using dmx_flood::groupOf;
using dmx_flood::kPacketsPerSecond;
using dmx_flood::kUniverses;
using namespace linux_counters;
constexpr int kMembershipsPerSocket = 20;

// The bare receiver: the same sockets, queues and memberships as the scan; it blocks in
// epoll_wait until sockets hold datagrams, then reads each of those dry with recvmmsg in
// batches of 64, with the kernel's arrival stamp of each datagram. Writes its count to the pipe.
[[noreturn]] void bareLoop(int pipeOut, double seconds, bool unicast) {
    std::vector<int> sockets;
    const int needed = unicast ? 1 : (kUniverses + kMembershipsPerSocket - 1) / kMembershipsPerSocket;
    for (int i = 0; i < needed; ++i) {
        const SocketHandle s = openUdpSocket();
        setReuseAddress(s, true);
        setMulticastAll(s, false);
        setNonBlocking(s, true);
        prepareBatchReceive(s);  // the same queue as the scan's sockets, and SO_TIMESTAMPNS
        bindSocket(s, Ipv4Address{}, kSacnPort);
        for (int u = i * kMembershipsPerSocket + 1; !unicast && u <= std::min(kUniverses, (i + 1) * kMembershipsPerSocket); ++u) {
            joinMulticastGroup(s, groupOf(u), Ipv4Address{});
        }
        sockets.push_back(static_cast<int>(s));
    }
    constexpr int kBatch = 64;
    static uint8_t buffers[kBatch][2048];
    static char controls[kBatch][CMSG_SPACE(sizeof(timespec))];
    static sockaddr_in senders[kBatch];
    iovec parts[kBatch];
    mmsghdr messages[kBatch];
    const int waitSet = epoll_create1(0);
    for (int s : sockets) {
        epoll_event event{};
        event.events = EPOLLIN;
        event.data.fd = s;
        epoll_ctl(waitSet, EPOLL_CTL_ADD, s, &event);
    }
    epoll_event ready[kBatch];
    uint64_t count = 0;
    uint64_t stampSum = 0;  // the stamps are read, as a receiver that uses them does
    const uint64_t end = monotonicMicroseconds() + static_cast<uint64_t>(seconds * 1e6);
    for (uint64_t now = monotonicMicroseconds(); now < end; now = monotonicMicroseconds()) {
        const int readyCount = epoll_wait(waitSet, ready, kBatch, static_cast<int>((end - now) / 1000 + 1));
        for (int r = 0; r < readyCount; ++r) {
            const int s = ready[r].data.fd;
            while (true) {
                for (int i = 0; i < kBatch; ++i) {
                    parts[i] = iovec{buffers[i], sizeof buffers[i]};
                    messages[i].msg_hdr = msghdr{senders + i, sizeof senders[i], parts + i, 1, controls[i], sizeof controls[i], 0};
                }
                const int n = recvmmsg(s, messages, kBatch, MSG_DONTWAIT, nullptr);
                if (n <= 0) break;
                for (int i = 0; i < n; ++i) {
                    for (cmsghdr* c = CMSG_FIRSTHDR(&messages[i].msg_hdr); c != nullptr; c = CMSG_NXTHDR(&messages[i].msg_hdr, c)) {
                        if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SO_TIMESTAMPNS) {
                            timespec stamp;
                            std::memcpy(&stamp, CMSG_DATA(c), sizeof stamp);
                            stampSum += static_cast<uint64_t>(stamp.tv_nsec);
                        }
                    }
                }
                count += static_cast<uint64_t>(n);
                if (n < kBatch) break;
            }
        }
    }
    count += stampSum == 1 ? 1 : 0;  // keeps the stamps' reads
    if (write(pipeOut, &count, sizeof count) != sizeof count) _exit(1);
    _exit(0);
}

struct PhaseResult {
    double floodSeconds = 0;
    uint64_t sent = 0;
    uint64_t received = 0;
    double cpu = 0;
    uint64_t drops = 0;
};

// Runs one receiver process while the flood goes on, from when its groups are joined.
template <typename Start, typename Finish>
PhaseResult runPhase(Start start, Finish finish, bool unicast) {
    PhaseResult result;
    const pid_t child = start();
    for (int i = 0; i < 500 && !unicast && joinedGroups() < kUniverses; ++i) sleepMs(10);
    sleepMs(200);
    const uint64_t dropsBefore = udpCounter("RcvbufErrors");
    std::atomic<bool> stop{false};
    uint64_t sent = 0;
    const uint64_t floodStart = monotonicMicroseconds();
    std::thread sender([&] { sent = flood(stop, unicast); });
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    stop = true;
    sender.join();
    result.floodSeconds = static_cast<double>(monotonicMicroseconds() - floodStart) / 1e6;
    result.sent = sent;
    result.drops = udpCounter("RcvbufErrors") - dropsBefore;
    result.cpu = cpuSeconds(usage);
    result.received = finish();
    return result;
}

uint64_t jsonNumber(const std::string& text, const std::string& key) {
    const std::size_t at = text.find("\"" + key + "\":");
    return at == std::string::npos ? 0 : std::stoull(text.substr(at + key.size() + 3));
}

void print(const char* name, const PhaseResult& r) {
    std::printf("%-10s sent %8llu (%6.0f/s)  received %8llu  cpu %6.3f s  %6.3f us/datagram  RcvbufErrors %llu\n", name,
                static_cast<unsigned long long>(r.sent), static_cast<double>(r.sent) / r.floodSeconds,
                static_cast<unsigned long long>(r.received), r.cpu,
                r.received ? r.cpu * 1e6 / static_cast<double>(r.received) : 0.0, static_cast<unsigned long long>(r.drops));
}

}  // namespace

pid_t startScanProcess(const std::string& listenMs, const std::string& output, bool unicast) {
    const pid_t pid = fork();
    if (pid == 0) {
        const std::string universes = unicast ? "" : "1-" + std::to_string(kUniverses);
        execl(LUMIBOX_BINARY, LUMIBOX_BINARY, "--scan", "--universes", universes.c_str(), "--listen-ms", listenMs.c_str(),
              "--output", output.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

// A child's CPU while it waits, as a share of one core: from 2 s after its start (the
// joins done) to 1 s before its end (the closes not begun).
double waitingCpuShare(pid_t child, double seconds) {
    sleepMs(2000);
    const double before = processCpuSeconds(child).all;
    const uint64_t from = monotonicMicroseconds();
    sleepMs(static_cast<uint32_t>((seconds - 3) * 1000));
    const double share = (processCpuSeconds(child).all - before) / (static_cast<double>(monotonicMicroseconds() - from) / 1e6);
    int status = 0;
    waitpid(child, &status, 0);
    return share;
}

// No traffic: both receivers with their 100 sockets, for the listening time each.
int idle(double seconds) {
    const std::string listenMs = std::to_string(static_cast<int>(seconds * 1000));
    int fds[2];
    if (pipe(fds) != 0) return 1;
    pid_t bare = fork();
    if (bare == 0) bareLoop(fds[1], seconds, false);
    const double bareShare = waitingCpuShare(bare, seconds);
    const double scanShare = waitingCpuShare(startScanProcess(listenMs, "/tmp/lumibox-scan-bench-idle.json", false), seconds);
    std::printf("idle, 100 sockets, %.0f s (the middle %.0f s measured): bare loop %.3f %% of a core, "
                "--scan %.3f %% of a core\n",
                seconds, seconds - 3, bareShare * 100, scanShare * 100);
    close(fds[0]);
    close(fds[1]);
    return 0;
}

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 5.0;
    const bool unicast = argc > 2 && std::string(argv[2]) == "unicast";
    if (argc > 2 && std::string(argv[2]) == "idle") return idle(seconds);
    const std::string output = "/tmp/lumibox-scan-bench.json";
    const std::string listenMs = std::to_string(static_cast<int>(seconds * 1000) + 1000);
    std::printf("%d universes x %d packets/s, %s, %.1f s phases\n", kUniverses, kPacketsPerSecond,
                unicast ? "unicast to one socket" : "multicast groups", seconds);
    double bareTotal = 0, scanTotal = 0;
    uint64_t bareCount = 0, scanCount = 0;
    for (int round = 0; round < 2; ++round) {
        int fds[2];
        if (pipe(fds) != 0) return 1;
        const PhaseResult bare = runPhase(
            [&] {
                const pid_t pid = fork();
                if (pid == 0) bareLoop(fds[1], seconds + 1.0, unicast);
                return pid;
            },
            [&] {
                uint64_t count = 0;
                if (read(fds[0], &count, sizeof count) != sizeof count) count = 0;
                close(fds[0]);
                close(fds[1]);
                return count;
            },
            unicast);
        print("bare loop", bare);
        const PhaseResult scan = runPhase(
            [&] { return startScanProcess(listenMs, output, unicast); },
            [&] { return jsonNumber(readText(output.c_str()), "datagrams"); }, unicast);
        print("--scan", scan);
        bareTotal += bare.cpu;
        bareCount += bare.received;
        scanTotal += scan.cpu;
        scanCount += scan.received;
    }
    if (bareCount > 0 && scanCount > 0) {
        std::printf("CPU per datagram, --scan / bare loop: %.2f\n",
                    (scanTotal / static_cast<double>(scanCount)) / (bareTotal / static_cast<double>(bareCount)));
    }
    return 0;
}
