#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string_view>

#include "../core/clock.h"
#include "../core/decimal_text.h"
#include "../core/scan_codec.h"
#include "../net/scan/scan_receive.h"
#include "../net/socket/socket_drops.h"
#include "serve_cli.h"
#include "serve_options.h"
#include "serve_pages.h"
#include "universe_list.h"

namespace {

constexpr uint64_t kExpirePeriodUs = 1000000;
constexpr uint64_t kPollPeriodUs = 3000000;  // as Art-Net controllers poll
constexpr uint64_t kStopCheckUs = 100000;

struct HttpAddress {
    Ipv4Address address;
    uint16_t port = 0;
};

std::optional<HttpAddress> parseHttpAddress(std::string_view text) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string_view::npos) return std::nullopt;
    HttpAddress http;
    const std::string_view port = text.substr(colon + 1);
    const auto number = decimalToInt32(port);
    if (port.empty() || port.find_first_not_of("0123456789") != std::string_view::npos || !number || *number < 1 ||
        *number > 65535 || !parseIpv4(std::string(text.substr(0, colon)), http.address))
        return std::nullopt;
    http.port = static_cast<uint16_t>(*number);
    return http;
}

// SIGINT and SIGTERM are blocked before any thread starts, so every thread inherits the
// mask, and read from a descriptor by the scan's loop: a stop ends the run cleanly there.
int blockStopSignals() {
    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGINT);
    sigaddset(&stops, SIGTERM);
    if (pthread_sigmask(SIG_BLOCK, &stops, nullptr) != 0) return -1;
    return signalfd(-1, &stops, SFD_CLOEXEC | SFD_NONBLOCK);
}

bool stopSignalled(int stopFd) {
    signalfd_siginfo info;
    return read(stopFd, &info, sizeof info) == static_cast<ssize_t>(sizeof info);
}

struct ServeRun {
    ScanSockets sockets;
    ScanEngine scan;
    ScanReportSettings settings;
    ServeSnapshotExchange exchange;
    std::array<uint8_t, kArtPollLength> poll = buildArtPoll();
    int stopFd = -1;
};

void sendPoll(ServeRun& run) {
    run.settings.pollSent = sendDatagram(run.sockets.pollSocket, run.poll.data(), run.poll.size(),
                                         run.sockets.pollTarget, kArtNetPort) == static_cast<long>(run.poll.size());
}

void publish(ServeRun& run, uint64_t nowUs) {
    uint64_t drops = 0;
    bool known = !run.sockets.sockets.empty();
    for (const ScanSocket& socket : run.sockets.sockets) {
        uint64_t socketDrops = 0;
        known = receiveQueueDrops(socket.handle, socketDrops) && known;
        drops += socketDrops;
    }
    run.scan.endUs = nowUs;  // the moment the document's source states are taken at
    publishServeSnapshot(run.exchange, run.scan, run.settings, nowUs, known, drops);
}

// Receives, expires, polls and publishes until a stop signal.
void serveUntilStopped(ServeRun& run) {
    const std::span<const uint8_t> ownPoll = run.settings.pollRequested ? std::span<const uint8_t>(run.poll) : std::span<const uint8_t>();
    uint64_t now = monotonicMicroseconds();
    uint64_t nextPublish = now + kServeSnapshotPeriodUs;
    uint64_t nextExpire = now + kExpirePeriodUs;
    uint64_t nextPoll = run.settings.pollRequested ? now + kPollPeriodUs : UINT64_MAX;
    while (!stopSignalled(run.stopFd)) {
        receiveScan(run.scan, run.sockets, std::min({nextPublish, nextExpire, nextPoll, now + kStopCheckUs}), ownPoll);
        now = monotonicMicroseconds();
        if (now >= nextExpire) {
            expireScan(run.scan, now);
            nextExpire = now + kExpirePeriodUs;
        }
        if (now >= nextPoll) {
            sendPoll(run);
            nextPoll = now + kPollPeriodUs;
        }
        if (now >= nextPublish) {
            publish(run, now);
            nextPublish = now + kServeSnapshotPeriodUs;
        }
    }
}

}  // namespace

int runServe(const ArgumentVector& args) {
    const auto universes = parseUniverseList(optionValue(args, scan_options::kUniverses));
    const auto http = parseHttpAddress(optionValue(args, serve_options::kHttp));
    if (!universes || !http) return kInvalidArguments;
    auto run = std::make_unique<ServeRun>();  // its tables are large for the stack
    if (!parseIpv4(optionValue(args, scan_options::kLocal), run->settings.local)) return kBindFailed;
    run->stopFd = blockStopSignals();
    if (run->stopFd < 0) return kSocketNotCreated;

    const ScanOpenResult opened = openScanSockets(run->sockets, run->settings.local, *universes);
    if (opened != ScanOpenResult::Opened) {
        closeScanSockets(run->sockets);
        return opened == ScanOpenResult::SocketNotCreated ? kSocketNotCreated : kBindFailed;
    }
    run->settings.joinedUniverses = run->sockets.joinedUniverses;
    run->settings.unjoinedUniverses = run->sockets.unjoinedUniverses;
    run->settings.pollRequested = flagIsSet(args, serve_options::kPoll);
    run->settings.pollTarget = run->sockets.pollTarget;
    const uint64_t start = monotonicMicroseconds();
    startScan(run->scan, start);
    if (run->settings.pollRequested) sendPoll(*run);
    publish(*run, start);

    HttpServerHandle server;
    const HttpStartResult started = startHttpServer(server, http->address, http->port, servePages(run->exchange));
    if (started == HttpStartResult::Started) serveUntilStopped(*run);
    server.reset();
    closeScanSockets(run->sockets);
    close(run->stopFd);
    if (started == HttpStartResult::BindFailed) return kBindFailed;
    return started == HttpStartResult::Started ? kSuccess : kSocketNotCreated;
}
