#include "scan_cli.h"

#include <algorithm>
#include <bitset>
#include <iostream>
#include <memory>
#include <optional>

#include "../core/clock.h"
#include "../core/exit_codes.h"
#include "../core/scan_codec.h"
#include "../core/universe_list.h"
#include "../core/utc_time.h"
#include "../core/ipv4_address.h"
#include "../core/whole_file.h"
#include "../net/scan/scan_receive.h"
#include "follow_output.h"
#include "scan_options.h"
#include "scan_report.h"
#include "scan_run_steps.h"
#include "stop_signals.h"

namespace {

using scan_options::kUniverses;

static_assert(kUniverses.min == kFirstListedUniverse && kUniverses.max == kLastListedUniverse);

constexpr uint64_t kPollPeriodUs = 3000000;  // as Art-Net controllers poll
constexpr uint64_t kExpirePeriodUs = 1000000;
constexpr uint64_t kForever = UINT64_MAX;

struct ScanRequest {
    int32_t listenMs = 0;  // 0: until a stop signal (--follow only)
    int32_t intervalMs = 0;
    std::vector<uint16_t> universes;
    bool follow = false;
    bool poll = false;
    std::string output;
};

std::optional<int32_t> listenTime(const ArgumentVector& args, bool follow) {
    if (follow && optionValue(args, scan_options::kListenMs) == "0") return 0;
    return numericOptionValue(args, scan_options::kListenMs);
}

std::optional<ScanRequest> readRequest(const ArgumentVector& args) {
    ScanRequest request;
    request.follow = flagIsSet(args, scan_options::kFollow);
    const auto listenMs = listenTime(args, request.follow);
    const auto intervalMs = numericOptionValue(args, scan_options::kIntervalMs);
    auto universes = parseUniverseList(optionValue(args, kUniverses));
    if (!listenMs || !intervalMs || !universes) return std::nullopt;
    request.listenMs = *listenMs;
    request.intervalMs = *intervalMs;
    request.universes = std::move(*universes);
    request.poll = flagIsSet(args, scan_options::kPoll);
    request.output = optionValue(args, scan_options::kOutput);
    return request;
}

// Where documents go: a file replaced whole, or with --follow a file or standard output
// that takes one line per document.
struct ScanOutput {
    std::string path;
    bool follow = false;
    FollowOutput lines;
};

bool openScanOutput(ScanOutput& output, const std::string& path, bool follow) {
    output.path = path;
    output.follow = follow;
    return !follow || openFollowOutput(output.lines, path);
}

bool writeDocument(ScanOutput& output, const std::string& json) {
    if (output.follow) return writeFollowLine(output.lines, json);
    if (output.path != "-") return writeFileWhole(output.path, json);
    std::cout << json << '\n';
    std::cout.flush();
    return std::cout.good();
}

// Everything one run holds; the loop below is its only user.
struct ScanRun : ScanListening {
    ScanRequest request;
    ScanOutput output;
};

bool writeLine(ScanRun& run, uint64_t nowUs) {
    ++run.settings.sequence;
    const bool written = writeDocument(run.output, scanReportJson(run.scan, run.settings, nowUs));
    run.settings.eventsAfter = run.scan.events.total;  // the next line carries only newer ones
    return written;
}

// Receives until the listening time ends or a stop signal comes, writing a line per
// interval with --follow; false when a line could not be written.
bool receiveUntilEnd(ScanRun& run, uint64_t endUs, uint64_t& stoppedUs) {
    const bool follow = run.request.follow;
    const uint64_t intervalUs = static_cast<uint64_t>(run.request.intervalMs) * 1000;
    const int maxWaitMs = follow && stopWakeHandle() == kInvalidSocket ? kStopCheckMs : -1;
    uint64_t nextLine = follow ? run.scan.startUs + intervalUs : kForever;
    uint64_t nextPoll = run.request.poll ? run.scan.startUs : kForever;
    uint64_t nextExpire = run.scan.startUs + kExpirePeriodUs;
    while (true) {
        uint64_t now = monotonicMicroseconds();
        if (now >= nextPoll) {
            sendArtPolls(run);
            nextPoll = follow ? now + kPollPeriodUs : kForever;
        }
        const uint64_t deadline = std::min({endUs, nextLine, nextPoll, nextExpire});
        const ScanWakeReason reason = receiveScan(run.receiver, run.scan, run.sockets, deadline, endUs, maxWaitMs);
        if (reason == ScanWakeReason::Announced) joinAnnouncedUniverses(run);
        now = monotonicMicroseconds();
        if (reason == ScanWakeReason::Woken || (follow && stopRequested()) || now >= endUs) {
            stoppedUs = std::min(now, endUs);
            return true;
        }
        if (now >= nextExpire) {
            expireScan(run.scan, now);
            nextExpire = now + kExpirePeriodUs;
        }
        if (now >= nextLine) {
            if (!writeLine(run, now)) return false;
            nextLine += intervalUs * ((now - nextLine) / intervalUs + 1);  // a late line does not bunch up the next ones
        }
    }
}

int openRun(ScanRun& run, const ArgumentVector& args) {
    run.settings.listenMs = run.request.listenMs;
    run.settings.levels = flagIsSet(args, scan_options::kLevels);
    run.settings.pollRequested = run.request.poll;
    if (!parseIpv4(optionValue(args, scan_options::kLocal), run.settings.local)) return kBindFailed;
    run.universeCapacity = raiseScanUniverseCapacity(run.settings.local);
    if (run.request.universes.size() > run.universeCapacity) return kInvalidArguments;
    if (run.request.follow) watchStopSignals();
    const SocketHandle wake = run.request.follow ? stopWakeHandle() : kInvalidSocket;
    if (const int opened = openScanListening(run, run.request.universes, wake); opened != kSuccess) return opened;
    if (!openScanOutput(run.output, run.request.output, run.request.follow)) return kOutputNotWritten;
    return kSuccess;
}

int finishRun(ScanRun& run, bool linesWritten, uint64_t stoppedUs) {
    if (!linesWritten) return kOutputNotWritten;
    if (run.request.follow) ++run.settings.sequence;
    const bool written = writeDocument(run.output, scanReportJson(run.scan, run.settings, stoppedUs));
    closeFollowOutput(run.output.lines);
    if (!written) return kOutputNotWritten;
    if (run.request.follow && stopRequested()) return kSuccess;
    return run.scan.datagrams == 0 ? kNothingReceived : kSuccess;
}

}  // namespace

int runScan(const ArgumentVector& args) {
    auto run = std::make_unique<ScanRun>();  // its tables are large for the stack
    const auto request = readRequest(args);
    if (!request) return kInvalidArguments;
    run->request = *request;
    if (const int opened = openRun(*run, args); opened != kSuccess) {
        closeScanListening(*run);
        return opened;
    }
    run->settings.startUnixMs = unixMilliseconds();
    const uint64_t start = monotonicMicroseconds();
    startScan(run->scan, start);
    const uint64_t end = run->request.listenMs == 0 ? kForever : start + static_cast<uint64_t>(run->request.listenMs) * 1000;
    uint64_t stopped = end;
    const bool linesWritten = receiveUntilEnd(*run, end, stopped);
    finishScan(run->scan, stopped);
    // The document goes out before the sockets close: leaving thousands of groups takes
    // the system a while, and a reader waits for the document, not for that.
    const int result = finishRun(*run, linesWritten, stopped);
    closeScanListening(*run);
    return result;
}
