// --serve under the flood of scan_bench (2,000 universes x 44 packets/s), twice: once left
// alone and once scraped ten times a second on /metrics and /scan.json, far more often than
// Prometheus would. Prints for each what the scan received, the kernel's receive-queue drops
// (the namespace's RcvbufErrors and the scan's own lumibox_receive_drops_total) and, for the
// scraped run, how long the scrapes took.
//
//   tools/in-private-netns.sh build/bench/serve_flood_bench [seconds] [multicast|unicast]
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <httplib.h>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "dmx_flood.h"
#include "linux_counters.h"

namespace {

using linux_counters::udpCounter;

constexpr int kHttpPort = 9775;

std::string get(const std::string& path) {
    httplib::Client client("127.0.0.1", kHttpPort);
    client.set_read_timeout(10);
    const auto result = client.Get(path.c_str());
    return result && result->status == 200 ? result->body : std::string();
}

uint64_t numberAfter(const std::string& text, const std::string& key) {
    const std::size_t at = text.find(key);
    return at == std::string::npos ? 0 : std::stoull(text.substr(at + key.size()));
}

struct RunResult {
    uint64_t sent = 0, received = 0, rcvbufErrors = 0, scanDrops = 0;
    std::vector<double> scrapeMs;
};

RunResult run(double seconds, bool unicast, bool scraped) {
    RunResult result;
    const pid_t serve = fork();
    if (serve == 0) {
        const std::string universes = unicast ? "" : "1-" + std::to_string(dmx_flood::kUniverses);
        execl(LUMIBOX_BINARY, LUMIBOX_BINARY, "--serve", "--universes", universes.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    for (int i = 0; i < 300 && get("/healthz").empty(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const uint64_t before = udpCounter("RcvbufErrors");
    std::atomic<bool> stop{false};
    std::thread sender([&] { result.sent = dmx_flood::flood(stop, unicast); });
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (int i = 0; std::chrono::steady_clock::now() < end; ++i) {
        if (scraped) {
            const auto start = std::chrono::steady_clock::now();
            get(i % 2 == 0 ? "/metrics" : "/scan.json");
            result.scrapeMs.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    stop = true;
    sender.join();
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));  // a snapshot after the last datagram
    result.rcvbufErrors = udpCounter("RcvbufErrors") - before;
    result.received = numberAfter(get("/scan.json"), "\"datagrams\":");
    result.scanDrops = numberAfter(get("/metrics"), "\nlumibox_receive_drops_total ");
    kill(serve, SIGTERM);
    int status = 0;
    waitpid(serve, &status, 0);
    return result;
}

void print(const char* name, const RunResult& r) {
    std::printf("%-18s sent %8llu  received %8llu  RcvbufErrors %llu  lumibox_receive_drops_total %llu", name,
                static_cast<unsigned long long>(r.sent), static_cast<unsigned long long>(r.received),
                static_cast<unsigned long long>(r.rcvbufErrors), static_cast<unsigned long long>(r.scanDrops));
    if (!r.scrapeMs.empty()) {
        std::vector<double> times = r.scrapeMs;
        std::sort(times.begin(), times.end());
        std::printf("  %zu scrapes: median %.1f ms, max %.1f ms", times.size(), times[times.size() / 2], times.back());
    }
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    const bool unicast = argc > 2 && std::string(argv[2]) == "unicast";
    startSocketLibrary();
    std::printf("--serve under %d universes x %d packets/s, %s, %.0f s each\n", dmx_flood::kUniverses,
                dmx_flood::kPacketsPerSecond, unicast ? "unicast to one socket" : "multicast groups", seconds);
    print("not scraped", run(seconds, unicast, false));
    print("scraped 10 times/s", run(seconds, unicast, true));
    return 0;
}
