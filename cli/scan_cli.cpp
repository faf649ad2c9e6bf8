#include "scan_cli.h"

#include <bitset>
#include <optional>
#include <string_view>

#include "../core/clock.h"
#include "../core/scan_codec.h"
#include "../net/scan/scan_receive.h"
#include "../core/exit_codes.h"
#include "../core/whole_file.h"
#include "scan_options.h"
#include "scan_report.h"

namespace {

using scan_options::kUniverses;

constexpr std::size_t decimalDigits(int32_t value) { return value < 10 ? 1 : 1 + decimalDigits(value / 10); }

// More digits than the largest universe has is no universe, leading zeros included.
std::optional<int32_t> universeNumber(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (text.empty() || text.size() > decimalDigits(kUniverses.max)) return std::nullopt;
    int32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < kUniverses.min || value > kUniverses.max) return std::nullopt;
    return value;
}

// "1-16,100": numbers and ranges of sACN universes, separated by commas. Empty or blank
// text is no universe at all.
std::optional<std::vector<uint16_t>> parseUniverseList(std::string_view text) {
    std::vector<uint16_t> universes;
    if (text.find_first_not_of(' ') == std::string_view::npos) return universes;
    std::bitset<static_cast<std::size_t>(kUniverses.max) + 1> wanted;
    while (true) {
        const std::size_t comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        const std::size_t dash = item.find('-');
        const auto first = universeNumber(item.substr(0, dash));
        const auto last = dash == std::string_view::npos ? first : universeNumber(item.substr(dash + 1));
        if (!first || !last || *first > *last) return std::nullopt;
        for (int32_t u = *first; u <= *last; ++u) wanted.set(static_cast<std::size_t>(u));
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    for (std::size_t u = static_cast<std::size_t>(kUniverses.min); u < wanted.size(); ++u) {
        if (wanted.test(u)) universes.push_back(static_cast<uint16_t>(u));
    }
    return universes;
}

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
