// --source at 1,000 universes × 44 frames/s with a synchronisation packet after each frame.
//
// CPU: `lumibox --source` and a bare loop take turns, twice each, in this namespace (the
// multicast goes to loopback): the bare loop sends the same prepared datagrams (built by
// the same code) with one sendmmsg per frame at the same absolute deadlines. Printed: CPU
// per datagram of each, and the ratio.
//
// Timing: the bare loop, then `lumibox --source`, run in a second namespace and send
// across a veth pair; this side joins the groups of universe 1, universe 1000 and the
// synchronisation universe and reads them with the kernel's arrival stamps. Printed for
// each: the mean frame period against 1/rate, the synchronisation packet after its frame's
// last data packet (p50, p99, max), and the frame start's deviation from its deadline grid.
//
//   tools/in-private-netns.sh build/bench/source_bench [cpu seconds per turn, 10] [timing seconds, 20]
#include <fcntl.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/clock.h"
#include "core/source_frames.h"
#include "linux_counters.h"
#include "net/socket/socket_layer.h"

namespace {

constexpr int kUniverses = 1000;
constexpr uint32_t kRate = 44;
constexpr uint16_t kSyncUniverse = 7000;

struct Usage {
    double cpu = 0;
    uint64_t datagrams = 0;
};

// The bare loop: the datagrams of the same settings, one sendmmsg per frame.
[[noreturn]] void bareLoop(int pipeOut, double seconds) {
    SourceSettings settings;
    for (int u = 1; u <= kUniverses; ++u) settings.universes.push_back(static_cast<uint16_t>(u));
    settings.syncUniverse = kSyncUniverse;
    SourceFrames frames;
    buildSourceFrames(frames, settings);
    prepareSourceFrame(frames, 0, false);
    const std::size_t n = frames.datagrams.size();
    std::vector<mmsghdr> messages(n);
    std::vector<iovec> parts(n);
    std::vector<sockaddr_in> targets(n);
    for (std::size_t i = 0; i < n; ++i) {
        targets[i].sin_family = AF_INET;
        targets[i].sin_port = htons(frames.datagrams[i].port);
        std::memcpy(&targets[i].sin_addr.s_addr, frames.datagrams[i].to.bytes, 4);
        parts[i] = {frames.datagrams[i].data, frames.datagrams[i].length};
        messages[i].msg_hdr = msghdr{&targets[i], sizeof targets[i], &parts[i], 1, nullptr, 0, 0};
    }
    const int s = socket(AF_INET, SOCK_DGRAM, 0);
    uint64_t sent = 0;
    timespec start{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    const uint64_t startNs = static_cast<uint64_t>(start.tv_sec) * 1000000000u + static_cast<uint64_t>(start.tv_nsec);
    const uint64_t frames_ = static_cast<uint64_t>(seconds * kRate);
    for (uint64_t k = 0; k < frames_; ++k) {
        const uint64_t at = startNs + k * 1000000000u / kRate;
        const timespec deadline{static_cast<time_t>(at / 1000000000u), static_cast<long>(at % 1000000000u)};
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr);
        for (std::size_t done = 0; done < n;) {
            const int r = sendmmsg(s, messages.data() + done, static_cast<unsigned>(n - done), 0);
            if (r <= 0) break;
            done += static_cast<std::size_t>(r);
            sent += static_cast<uint64_t>(r);
        }
    }
    if (pipeOut >= 0 && write(pipeOut, &sent, sizeof sent) < 0) _exit(1);
    _exit(0);
}

Usage runBare(double seconds) {
    int fds[2];
    if (pipe(fds) != 0) return {};
    const pid_t child = fork();
    if (child == 0) bareLoop(fds[1], seconds);
    close(fds[1]);
    Usage usage;
    [[maybe_unused]] const ssize_t r = read(fds[0], &usage.datagrams, sizeof usage.datagrams);
    close(fds[0]);
    rusage ru{};
    int status = 0;
    wait4(child, &status, 0, &ru);
    usage.cpu = linux_counters::cpuSeconds(ru);
    return usage;
}

// Runs a command to its end; its CPU time.
double runCommand(const std::vector<std::string>& args) {
    const pid_t child = fork();
    if (child == 0) {
        std::vector<char*> argv;
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    rusage ru{};
    int status = 0;
    wait4(child, &status, 0, &ru);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) std::printf("  (%s ended with %d)\n", args[0].c_str(), status);
    return linux_counters::cpuSeconds(ru);
}

uint64_t summaryNumber(const std::string& json, const std::string& key) {
    const std::size_t at = json.find("\"" + key + "\":");
    return at == std::string::npos ? 0 : std::stoull(json.substr(at + key.size() + 3));
}

std::vector<std::string> sourceArgs(double seconds, const std::string& summary) {
    return {LUMIBOX_BINARY, "--source", "--universes", "1-" + std::to_string(kUniverses), "--sync",
            std::to_string(kSyncUniverse), "--duration", std::to_string(static_cast<int>(seconds * 1000)), "--output", summary};
}

Usage runSource(double seconds) {
    const std::string summary = "/tmp/source_bench_summary.json";
    Usage usage;
    usage.cpu = runCommand(sourceArgs(seconds, summary));
    usage.datagrams = summaryNumber(linux_counters::readText(summary.c_str()), "datagramsSent");
    std::printf("  summary: %s\n", linux_counters::readText(summary.c_str()).c_str());
    return usage;
}

void cpuPart(double seconds) {
    std::printf("CPU, %d universes x %u frames/s with sync, %.0f s per turn:\n", kUniverses, kRate, seconds);
    double ratioSum = 0;
    for (int round = 0; round < 2; ++round) {
        const Usage bare = runBare(seconds);
        const Usage source = runSource(seconds);
        const double barePer = bare.cpu / static_cast<double>(bare.datagrams) * 1e6;
        const double sourcePer = source.cpu / static_cast<double>(source.datagrams) * 1e6;
        std::printf("  bare sendmmsg loop: %llu datagrams, %.2f s CPU, %.3f us per datagram\n",
                    static_cast<unsigned long long>(bare.datagrams), bare.cpu, barePer);
        std::printf("  lumibox --source:   %llu datagrams, %.2f s CPU, %.3f us per datagram: %.3fx the bare loop\n",
                    static_cast<unsigned long long>(source.datagrams), source.cpu, sourcePer, sourcePer / barePer);
        ratioSum += sourcePer / barePer;
    }
    std::printf("  mean ratio %.3f (goal <= 1.2)\n", ratioSum / 2);
}

double percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5))];
}

// One frame as it arrived, in ms: universe 1 opens it, universe 1000 and the sync follow;
// a part that did not arrive stays negative.
struct FrameArrival {
    double start = -1, last = -1, sync = -1;
};
using Arrivals = std::vector<FrameArrival>;

// Reads the three groups until the sender has ended, and what is left after it.
Arrivals receiveTiming(SocketHandle socket, pid_t sender) {
    Arrivals a;
    static uint8_t buffers[64][kReceiveBufferSize];
    ReceivedDatagram batch[64];
    for (int i = 0; i < 64; ++i) {
        batch[i].buffer = buffers[i];
        batch[i].capacity = sizeof buffers[i];
    }
    SocketWaitSet set;
    openSocketWaitSet(set);
    addToSocketWaitSet(set, socket);
    int ready[1];
    for (bool ended = false, last = false; !last;) {
        last = ended;
        waitForSockets(set, 100, ready, 1);
        for (int n = receiveDatagrams(socket, batch, 64); n > 0; n = receiveDatagrams(socket, batch, 64)) {
            for (int i = 0; i < n; ++i) {
                const SacnFrame f = readSacnFrame(batch[i].buffer, batch[i].length);
                const double ms = static_cast<double>(batch[i].arrivalUs) / 1000.0;
                if (f.kind == SacnKind::Levels && !(f.options & kSacnOptionStreamTerminated) && f.data.universe == 1) {
                    a.push_back(FrameArrival{ms});
                } else if (!a.empty() && f.kind == SacnKind::Levels && !(f.options & kSacnOptionStreamTerminated)) {
                    a.back().last = ms;
                } else if (!a.empty() && f.kind == SacnKind::Sync) {
                    a.back().sync = ms;
                }
            }
        }
        ended = ended || waitpid(sender, nullptr, WNOHANG) == sender;
    }
    closeSocketWaitSet(set);
    return a;
}

// Each arrival of universe 1 gets its frame's index (a gap of about n periods counts n, so
// a skipped frame is not read as one long period); the mean period is the slope of arrival
// over index by least squares, so a late first or last frame does not tilt it, and a drift
// shows. Deviations are taken from a grid of exactly 1/rate through the median offset.
void printTiming(const char* who, const Arrivals& a) {
    std::fflush(stdout);
    const std::size_t frames = a.size();
    if (frames < 2) return;
    const double period = 1000.0 / kRate;
    std::vector<double> index{0}, syncAfter, interval;
    for (std::size_t k = 1; k < frames; ++k) {
        const double gap = a[k].start - a[k - 1].start;
        index.push_back(index.back() + std::max(1.0, std::round(gap / period)));
        interval.push_back(std::fabs(gap - period));
    }
    for (const FrameArrival& f : a) {
        if (f.last >= 0 && f.sync >= 0) syncAfter.push_back(f.sync - f.last);
    }
    double meanIndex = 0, meanTime = 0;
    for (std::size_t k = 0; k < frames; ++k) meanIndex += index[k], meanTime += a[k].start - a[0].start;
    meanIndex /= static_cast<double>(frames);
    meanTime /= static_cast<double>(frames);
    double covariance = 0, variance = 0;
    std::vector<double> deviation;
    for (std::size_t k = 0; k < frames; ++k) {
        covariance += (index[k] - meanIndex) * (a[k].start - a[0].start - meanTime);
        variance += (index[k] - meanIndex) * (index[k] - meanIndex);
        deviation.push_back(a[k].start - a[0].start - index[k] * period);
    }
    const double mean = covariance / variance;
    const double centre = percentile(deviation, 0.5);
    for (double& d : deviation) d = std::fabs(d - centre);
    std::printf("  %s: %zu frames over %.0f periods (%zu with their last data and sync); mean frame period %.5f ms "
                "against %.5f ms: %+.4f %%\n",
                who, frames, index.back(), syncAfter.size(), mean, period, (mean - period) / period * 100);
    std::printf("    sync after the frame's last data packet: p50 %.3f ms, p99 %.3f ms, max %.3f ms\n",
                percentile(syncAfter, 0.5), percentile(syncAfter, 0.99), percentile(syncAfter, 1));
    std::printf("    frame start off its deadline grid: p50 %.3f ms, p99 %.3f ms, max %.3f ms; |interval - period| p99 %.3f ms\n",
                percentile(deviation, 0.5), percentile(deviation, 0.99), percentile(deviation, 1), percentile(interval, 0.99));
}

// Runs the sender in the peer namespace and receives it here.
Arrivals timeSender(const std::string& peerNamespace, const std::vector<std::string>& command, double seconds) {
    const SocketHandle socket = openUdpSocket();
    setReuseAddress(socket, true);
    bindSocket(socket, Ipv4Address{}, kSacnPort);
    setMulticastAll(socket, false);
    setNonBlocking(socket, true);
    prepareBatchReceive(socket);
    for (uint16_t u : {uint16_t{1}, uint16_t{kUniverses}, kSyncUniverse}) {
        joinMulticastGroup(socket, sacnGroupAddress(u), Ipv4Address{{10, 80, 0, 1}});
    }
    const pid_t child = fork();
    if (child == 0) {
        const int ns = open(peerNamespace.c_str(), O_RDONLY);
        if (ns < 0 || setns(ns, CLONE_NEWNET) != 0) _exit(126);
        if (command.empty()) bareLoop(-1, seconds);
        std::vector<char*> argv;
        for (const std::string& arg : command) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    const Arrivals a = receiveTiming(socket, child);
    closeSocket(socket);
    return a;
}

void timingPart(double seconds) {
    std::printf("Timing across a veth pair, %.0f s each, kernel arrival stamps of universes 1 and %d and the sync:\n",
                seconds, kUniverses);
    const std::string holder = "/tmp/source_bench_peer.pid";
    std::remove(holder.c_str());
    if (std::system(("unshare -n sh -c 'echo $$ > " + holder + ".new; mv " + holder + ".new " + holder +
                     "; exec sleep 3600' &").c_str()) != 0)
        return;
    for (int i = 0; i < 500 && linux_counters::readText(holder.c_str()).empty(); ++i) usleep(10000);
    const std::string pid = std::to_string(std::atoi(linux_counters::readText(holder.c_str()).c_str()));
    const std::string peerNamespace = "/proc/" + pid + "/ns/net";
    if (std::system(("ip link add sba type veth peer name sbb netns " + peerNamespace +
                     " && ip addr add 10.80.0.1/24 dev sba && ip link set sba up && nsenter --net=" + peerNamespace +
                     " sh -c 'ip link set lo up && ip link set sbb up && ip addr add 10.80.0.2/24 dev sbb &&"
                     " ip route add 224.0.0.0/4 dev sbb'").c_str()) != 0) {
        std::printf("  no veth pair here\n");
        return;
    }
    std::vector<std::string> source = sourceArgs(seconds, "/tmp/source_bench_timing.json");
    source.insert(source.end(), {"--local", "10.80.0.2"});
    printTiming("bare sendmmsg loop", timeSender(peerNamespace, {}, seconds));
    printTiming("lumibox --source", timeSender(peerNamespace, source, seconds));
    std::printf("    summary: %s\n", linux_counters::readText("/tmp/source_bench_timing.json").c_str());
    [[maybe_unused]] const int killed = std::system(("kill " + pid + "; ip link del sba 2>/dev/null").c_str());
}

}  // namespace

int main(int argc, char** argv) {
    const double cpuSeconds = argc > 1 ? std::atof(argv[1]) : 10;
    const double timingSeconds = argc > 2 ? std::atof(argv[2]) : 20;
    startSocketLibrary();
    if (cpuSeconds > 0) cpuPart(cpuSeconds);
    if (timingSeconds > 0) timingPart(timingSeconds);
    return 0;
}
