#include <cstdio>
#include <string>

#include "../core/exit_codes.h"
#include "../net/capture/replay_run.h"
#include "capture_options.h"
#include "replay_cli.h"
#include "stop_signal.h"

namespace {

std::string summaryJson(const ReplayCounts& counts, const ReplayProgress& progress) {
    auto key = [](const char* name, uint64_t value) { return "\"" + std::string(name) + "\":" + std::to_string(value); };
    return "{" + key("records", counts.records) + ',' + key("sent", progress.sent) + ',' +
           key("notSentWhole", progress.notWhole) + ',' + key("loops", progress.loops) + ',' +
           key("latestUs", progress.lateUs) + ",\"skipped\":{" + key("notIpv4", counts.notIpv4) + ',' +
           key("notUdp", counts.notUdp) + ',' + key("fragments", counts.fragments) + ',' +
           key("cutShort", counts.cutShort) + ',' + key("damaged", counts.damaged) + ',' +
           key("otherPorts", counts.otherPorts) + ',' + key("notDmx", counts.notDmx) + "}}\n";
}

int exitCodeOf(ReplayOutcome outcome) {
    switch (outcome) {
        case ReplayOutcome::AllSent: return kSuccess;
        case ReplayOutcome::SocketNotCreated: return kSocketNotCreated;
        case ReplayOutcome::BindFailed: return kBindFailed;
        case ReplayOutcome::NotSentWhole: return kSendFailed;
        case ReplayOutcome::FileChanged: return kInvalidArguments;
    }
    return kInvalidArguments;
}

// Options in any order after the file; a missing file name is no file.
bool readSettings(const ArgumentVector& args, ReplaySettings& settings, bool& localReads) {
    if (args.size() < 3) return false;
    settings.path = args[2];
    const auto speed = parseReplaySpeed(optionValue(args, capture_options::kSpeed));
    if (!speed) return false;
    settings.speedPerMille = *speed;
    settings.loop = flagIsSet(args, capture_options::kLoop);
    const std::string target = optionValue(args, capture_options::kTarget);
    if (!target.empty()) {
        Ipv4Address address;
        if (!parseIpv4(target, address)) return false;
        settings.target = address;
    }
    localReads = parseIpv4(optionValue(args, capture_options::kReplayLocal), settings.local);
    return true;
}

}  // namespace

int runReplay(const ArgumentVector& args) {
    ReplaySettings settings;
    bool localReads = false;
    if (!readSettings(args, settings, localReads)) return kInvalidArguments;
    ReplayPlan plan;
    std::string problem;
    if (checkReplayFile(settings.path, plan, problem) != CaptureReadResult::Complete) {
        std::fprintf(stderr, "lumibox --replay: %s: %s\n", settings.path.c_str(), problem.c_str());
        return kInvalidArguments;
    }
    if (!localReads) return kBindFailed;

    const std::atomic<bool>& stop = catchStopSignals();
    ReplayProgress progress;
    const ReplayOutcome outcome = runReplay(settings, plan, stop, progress);
    restoreStopSignals();
    if (outcome == ReplayOutcome::SocketNotCreated || outcome == ReplayOutcome::BindFailed) return exitCodeOf(outcome);
    const std::string summary = summaryJson(plan.counts, progress);
    std::fwrite(summary.data(), 1, summary.size(), stdout);
    std::fflush(stdout);
    // A single pass cut short ends the way the signal ends any program; --loop ends only so.
    if (caughtStopSignal() != 0 && !settings.loop) raiseCaughtStopSignal();
    return exitCodeOf(outcome);
}
