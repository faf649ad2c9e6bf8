// --serve under the flood of scan_bench (2,000 universes x 44 packets/s), three times: left
// alone, scraped ten times a second on /metrics and /scan.json (far more often than
// Prometheus would), and read by 20 live pages, each polling /live.json four times a second
// for a universe of its own as the page's script does. Prints for each what the scan
// received, the kernel's receive-queue drops (the namespace's RcvbufErrors and the scan's
// own lumibox_receive_drops_total), the server's CPU time over the run, and for the scraped
// and polled runs how long the requests took.
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
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "dmx_flood.h"
#include "linux_counters.h"

namespace {

using linux_counters::udpCounter;

constexpr int kHttpPort = 9775;
constexpr int kPages = 20;
constexpr auto kPagePoll = std::chrono::milliseconds(250);

enum class Readers { None, Scrapes, Pages };

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
    double scanCpu = 0, httpCpu = 0, seconds = 0;  // seconds of CPU: the scan's thread, the others
    std::vector<double> requestMs;
};

std::string textAfter(const std::string& json, const std::string& key) {
    const std::size_t at = json.find("\"" + key + "\":\"");
    if (at == std::string::npos) return "";
    const std::size_t from = at + key.size() + 4;
    return json.substr(from, json.find('"', from) - from);
}

// One page: polls at the page's pace, sending back the tags of the parts it holds.
void pollLikeAPage(int page, const std::atomic<bool>& stop, std::vector<double>& requestMs, std::mutex& mutex) {
    httplib::Client client("127.0.0.1", kHttpPort);
    client.set_read_timeout(10);
    std::string universesTag, nodesTag, eventsTag;
    const std::string universe = std::to_string(1 + page * dmx_flood::kUniverses / kPages);
    auto next = std::chrono::steady_clock::now();
    while (!stop) {
        const auto start = std::chrono::steady_clock::now();
        const std::string path = "/live.json?universe=" + universe + "&universes=" + universesTag +
                                 "&nodes=" + nodesTag + "&events=" + eventsTag;
        const auto result = client.Get(path.c_str());
        if (result && result->status == 200) {
            universesTag = textAfter(result->body, "universesTag");
            nodesTag = textAfter(result->body, "nodesTag");
            eventsTag = textAfter(result->body, "eventsTag");
        }
        {
            std::lock_guard lock(mutex);
            requestMs.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        }
        next += kPagePoll;
        std::this_thread::sleep_until(next);
    }
}

RunResult run(double seconds, bool unicast, Readers readers) {
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
    const auto cpuBefore = linux_counters::processCpuSeconds(serve);
    const auto begin = std::chrono::steady_clock::now();
    std::thread sender([&] { result.sent = dmx_flood::flood(stop, unicast); });
    std::mutex mutex;
    std::vector<std::thread> pages;
    for (int page = 0; readers == Readers::Pages && page < kPages; ++page) {
        pages.emplace_back([&, page] { pollLikeAPage(page, stop, result.requestMs, mutex); });
    }
    const auto end = begin + std::chrono::duration<double>(seconds);
    for (int i = 0; std::chrono::steady_clock::now() < end; ++i) {
        if (readers == Readers::Scrapes) {
            const auto start = std::chrono::steady_clock::now();
            get(i % 2 == 0 ? "/metrics" : "/scan.json");
            result.requestMs.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    stop = true;
    sender.join();
    for (std::thread& page : pages) page.join();
    const auto cpuAfter = linux_counters::processCpuSeconds(serve);
    result.scanCpu = cpuAfter.mainThread - cpuBefore.mainThread;
    result.httpCpu = cpuAfter.all - cpuBefore.all - result.scanCpu;
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
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
    std::printf("%-22s sent %8llu  received %8llu  RcvbufErrors %llu  lumibox_receive_drops_total %llu  "
                "CPU %% of a core: scan %.1f, HTTP %.2f", name, static_cast<unsigned long long>(r.sent),
                static_cast<unsigned long long>(r.received), static_cast<unsigned long long>(r.rcvbufErrors),
                static_cast<unsigned long long>(r.scanDrops), 100.0 * r.scanCpu / r.seconds, 100.0 * r.httpCpu / r.seconds);
    if (!r.requestMs.empty()) {
        std::vector<double> times = r.requestMs;
        std::sort(times.begin(), times.end());
        std::printf("  %zu requests: median %.1f ms, max %.1f ms", times.size(), times[times.size() / 2], times.back());
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
    const RunResult alone = run(seconds, unicast, Readers::None);
    print("not scraped", alone);
    print("scraped 10 times/s", run(seconds, unicast, Readers::Scrapes));
    const RunResult pages = run(seconds, unicast, Readers::Pages);
    print("20 pages, 4 polls/s", pages);
    std::printf("the 20 pages cost the server's HTTP threads %.2f %% of a core (left alone: %.2f %%)\n",
                100.0 * pages.httpCpu / pages.seconds, 100.0 * alone.httpCpu / alone.seconds);
    return 0;
}
