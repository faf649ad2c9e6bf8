// The Network window under the flood --scan is measured with: 2,000 sACN universes at
// 44 packets/s each (88,000 datagrams/s), unicast to 127.0.0.1. Runs two receivers one
// after the other over the same flood, each as a child process for the same time:
// `lumibox --scan --follow` writing a line a second, and the Qt Network window scanning
// with its 2,000-row sources table shown and one universe's grid selected. Prints each
// one's CPU as a share of one core, what it counted and the ratio window / --scan.
// Then the window alone with one universe at 44/s: the cost of its grid and tables.
//
//   tools/in-private-netns.sh build/bench/network_window_bench [seconds per phase]
// (QT_QPA_PLATFORM=offscreen by default; set it to xcb under xvfb-run for X round trips.)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/clock.h"
#include "core/packet_codec.h"
#include "net/socket/socket_layer.h"
#include "ui/qt/qt_network_window.h"
#include "ui/qt/window_host.h"
#include "dmx_flood.h"
#include "linux_counters.h"

namespace {

using dmx_flood::kPacketsPerSecond;
using linux_counters::cpuSeconds;

struct Phase {
    double seconds = 0;
    uint64_t sent = 0;
    uint64_t counted = 0;
    double cpu = 0;
};

// Runs child (which writes what it counted to the pipe) while the flood goes on.
template <typename Child>
Phase runPhase(int universes, double seconds, Child child) {
    int fds[2];
    if (pipe(fds) != 0) std::exit(1);
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        const uint64_t counted = child();
        if (write(fds[1], &counted, sizeof counted) != sizeof counted) _exit(1);
        _exit(0);
    }
    close(fds[1]);
    sleepMs(1000);  // its sockets are open
    std::atomic<bool> stop{false};
    Phase phase;
    const uint64_t start = monotonicMicroseconds();
    std::thread sender([&] { phase.sent = dmx_flood::flood(stop, true, universes, true); });
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    stop = true;
    sender.join();
    phase.seconds = seconds;
    phase.cpu = cpuSeconds(usage);
    if (read(fds[0], &phase.counted, sizeof phase.counted) != sizeof phase.counted) phase.counted = 0;
    close(fds[0]);
    (void)start;
    return phase;
}

uint64_t lastDatagrams(const std::string& path) {
    std::ifstream in(path);
    std::string line, last;
    while (std::getline(in, line)) {
        if (!line.empty()) last = line;
    }
    const std::size_t at = last.find("\"datagrams\":");
    return at == std::string::npos ? 0 : std::stoull(last.substr(at + 12));
}

// --scan --follow for seconds (plus the second the flood waits to start).
uint64_t scanChild(double seconds) {
    const std::string listenMs = std::to_string(static_cast<int>((seconds + 1) * 1000));
    const std::string output = "/tmp/network_window_bench_" + std::to_string(getpid()) + ".jsonl";
    const pid_t pid = fork();
    if (pid == 0) {
        execl(LUMIBOX_BINARY, LUMIBOX_BINARY, "--scan", "--follow", "--local", "127.0.0.1", "--listen-ms", listenMs.c_str(),
              "--output", output.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    const uint64_t counted = lastDatagrams(output);
    std::remove(output.c_str());
    return counted;
}

void runEventLoopFor(double seconds) {
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
}

// The Network window scanning 127.0.0.1, the first source selected once it shows.
uint64_t windowChild(int argc, char** argv, double seconds) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    prepareApplication();
    startSocketLibrary();
    DmxUniverseState state;
    uint64_t counted = 0;
    {
        std::unique_ptr<NetworkWindow> window = createNetworkWindow(state);
        setControlText(window->widgets, kNetworkLocalIpv4Field, "127.0.0.1");
        setControlText(window->widgets, kNetworkUniversesField, "");
        window->host->show();
        handleNetworkCommand(*window, kNetworkScanButton, kClickNotification);
        runEventLoopFor(1.5);
        selectNetworkRow(window->engines, kNetworkSourcesTable, 0);
        runEventLoopFor(seconds - 0.5);
        counted = window->engines.scan.datagrams;
        window->host->close();
    }
    stopSocketLibrary();
    return counted;
}

void print(const char* name, const Phase& p) {
    std::printf("%-44s %6.1f %% of one core   sent %8llu   counted %8llu\n", name, 100.0 * p.cpu / (p.seconds + 1),
                static_cast<unsigned long long>(p.sent), static_cast<unsigned long long>(p.counted));
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    startSocketLibrary();
    std::printf("2,000 universes x 44/s unicast to 127.0.0.1, %.0f s per phase (CPU over the child's whole life)\n", seconds);
    const Phase scan = runPhase(2000, seconds, [&] { return scanChild(seconds); });
    print("lumibox --scan --follow", scan);
    const Phase window = runPhase(2000, seconds, [&] { return windowChild(argc, argv, seconds); });
    print("Network window (2,000 rows, grid shown)", window);
    std::printf("window / --scan --follow: %.2f\n", window.cpu / scan.cpu);
    const Phase one = runPhase(1, seconds, [&] { return windowChild(argc, argv, seconds); });
    print("Network window, one universe at 44/s", one);
    stopSocketLibrary();
    return 0;
}
