#include "scan_cli.h"

#include "../core/clock.h"
#include "../core/scan_codec.h"
#include "../net/scan/scan_receive.h"
#include "../core/exit_codes.h"
#include "../core/universe_list.h"
#include "../core/whole_file.h"
#include "scan_options.h"
#include "scan_report.h"

namespace {

using scan_options::kUniverses;

static_assert(kUniverses.min == kFirstListedUniverse && kUniverses.max == kLastListedUniverse);

int writeReport(const std::string& path, const std::string& json) {
    return writeFileWhole(path, json) ? kSuccess : kOutputNotWritten;
}

}  // namespace

int runScan(const ArgumentVector& args) {
    const auto listenMs = numericOptionValue(args, scan_options::kListenMs);
    if (!listenMs) return kInvalidArguments;
    const auto universes = parseUniverseList(optionValue(args, kUniverses));
    if (!universes) return kInvalidArguments;

    ScanReportSettings settings;
    settings.listenMs = *listenMs;
    if (!parseIpv4(optionValue(args, scan_options::kLocal), settings.local)) return kBindFailed;
    ScanSockets sockets;
    const ScanOpenResult opened = openScanSockets(sockets, settings.local, *universes);
    if (opened == ScanOpenResult::SocketNotCreated) return kSocketNotCreated;
    if (opened == ScanOpenResult::BindFailed) return kBindFailed;
    settings.joinedUniverses = sockets.joinedUniverses;
    settings.unjoinedUniverses = sockets.unjoinedUniverses;

    ScanEngine scan;
    const uint64_t start = monotonicMicroseconds();
    startScan(scan, start);
    const auto poll = buildArtPoll();
    settings.pollRequested = flagIsSet(args, scan_options::kPoll);
    if (settings.pollRequested) {
        settings.pollTarget = sockets.pollTarget;
        settings.pollSent = sendDatagram(sockets.pollSocket, poll.data(), poll.size(), sockets.pollTarget, kArtNetPort) ==
                            static_cast<long>(poll.size());
    }
    const uint64_t deadline = start + static_cast<uint64_t>(*listenMs) * 1000;
    receiveScan(scan, sockets, deadline,
                settings.pollRequested ? std::span<const uint8_t>(poll) : std::span<const uint8_t>());
    finishScan(scan, deadline);
    closeScanSockets(sockets);

    if (scan.datagrams == 0) return kNothingReceived;
    return writeReport(optionValue(args, scan_options::kOutput), scanReportJson(scan, settings));
}
