#include <algorithm>
#include <bitset>
#include <memory>
#include <optional>
#include <string_view>

#include "../core/clock.h"
#include "../core/decimal_text.h"
#include "../core/scan_codec.h"
#include "../core/utc_time.h"
#include "../net/scan/scan_receive.h"
#include "../net/socket/socket_drops.h"
#include "scan_run_steps.h"
#include "serve_cli.h"
#include "serve_options.h"
#include "serve_pages.h"
#include "stop_signals.h"
#include "../core/universe_list.h"

namespace {

constexpr uint64_t kExpirePeriodUs = 1000000;
constexpr uint64_t kPollPeriodUs = 3000000;  // as Art-Net controllers poll

struct HttpAddress {
    Ipv4Address address;
    uint16_t port = 0;
};

// "ADDRESS:PORT": a dotted IPv4 address and a port of 1 to 65535.
std::optional<HttpAddress> parseHttpAddress(std::string_view text) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string_view::npos) return std::nullopt;
    const std::string_view port = text.substr(colon + 1);
    const auto number = decimalToInt32(port);
    HttpAddress http;
    if (port.empty() || port.find_first_not_of("0123456789") != std::string_view::npos || !number || *number < 1 ||
        *number > 65535 || !parseIpv4(std::string(text.substr(0, colon)), http.address))
        return std::nullopt;
    http.port = static_cast<uint16_t>(*number);
    return http;
}

struct ServeRun : ScanListening {
    ServeSnapshotExchange exchange;
};

void publish(ServeRun& run, uint64_t nowUs) {
    uint64_t drops = 0;
    bool known = !run.sockets.sockets.empty();
    for (const ScanSocket& socket : run.sockets.sockets) {
        uint64_t socketDrops = 0;
        known = receiveQueueDrops(socket.handle, socketDrops) && known;
        drops += socketDrops;
    }
    publishServeSnapshot(run.exchange, run.scan, run.settings, nowUs, known, drops);
}

// Receives, joins announced universes, expires, polls and publishes until a stop signal.
void serveUntilStopped(ServeRun& run) {
    const int maxWaitMs = stopWakeHandle() == kInvalidSocket ? kStopCheckMs : -1;
    uint64_t now = monotonicMicroseconds();
    uint64_t nextPublish = now + kServeSnapshotPeriodUs;
    uint64_t nextExpire = now + kExpirePeriodUs;
    uint64_t nextPoll = run.settings.pollRequested ? now : UINT64_MAX;
    while (!stopRequested()) {
        if (now >= nextPoll) {
            sendArtPolls(run);
            nextPoll = now + kPollPeriodUs;
        }
        const uint64_t deadline = std::min({nextPublish, nextExpire, nextPoll});
        const ScanWakeReason reason = receiveScan(run.receiver, run.scan, run.sockets, deadline, UINT64_MAX, maxWaitMs);
        if (reason == ScanWakeReason::Announced) joinAnnouncedUniverses(run);
        now = monotonicMicroseconds();
        if (now >= nextExpire) {
            expireScan(run.scan, now);
            nextExpire = now + kExpirePeriodUs;
        }
        if (now >= nextPublish) {
            publish(run, now);
            nextPublish = now + kServeSnapshotPeriodUs;
        }
    }
}

int openRun(ServeRun& run, const ArgumentVector& args, const std::vector<uint16_t>& universes) {
    if (!parseIpv4(optionValue(args, scan_options::kLocal), run.settings.local)) return kBindFailed;
    run.universeCapacity = raiseScanUniverseCapacity(run.settings.local);
    if (universes.size() > run.universeCapacity) return kInvalidArguments;
    if (!watchStopSignals()) return kSocketNotCreated;
    run.settings.pollRequested = flagIsSet(args, serve_options::kPoll);
    return openScanListening(run, universes, stopWakeHandle());
}

int exitCodeOf(HttpStartResult started) {
    switch (started) {
        case HttpStartResult::Started: return kSuccess;
        case HttpStartResult::BindFailed: return kBindFailed;
        case HttpStartResult::ThreadsNotStarted: return kSocketNotCreated;
    }
    return kSocketNotCreated;
}

}  // namespace

int runServe(const ArgumentVector& args) {
    const auto universes = parseUniverseList(optionValue(args, scan_options::kUniverses));
    const auto http = parseHttpAddress(optionValue(args, serve_options::kHttp));
    if (!universes || !http) return kInvalidArguments;
    auto run = std::make_unique<ServeRun>();  // its tables are large for the stack
    int result = openRun(*run, args, *universes);
    if (result == kSuccess) {
        run->settings.startUnixMs = unixMilliseconds();
        const uint64_t start = monotonicMicroseconds();
        startScan(run->scan, start);
        publish(*run, start);  // the HTTP side never finds the exchange empty
        HttpServerHandle server;
        result = exitCodeOf(startHttpServer(server, http->address, http->port, servePages(run->exchange)));
        if (result == kSuccess) serveUntilStopped(*run);
    }
    closeScanListening(*run);
    return result;
}
