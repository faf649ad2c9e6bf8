#include <cstdio>
#include <string>

#include "../core/exit_codes.h"
#include "../core/json_writer.h"
#include "../net/capture/replay_run.h"
#include "capture_options.h"
#include "replay_cli.h"
#include "stop_signals.h"

namespace {

std::string summaryJson(const ReplayCounts& counts, const ReplayProgress& progress) {
    JsonWriter json;
    json.open('{');
    json.number("records", counts.records);
    json.number("sent", progress.sent);
    json.number("notSentWhole", progress.notWhole);
    json.number("loops", progress.loops);
    json.number("latestUs", progress.lateUs);
    json.objectKey("skipped", '{');
    json.number("notIpv4", counts.notIpv4);
    json.number("notUdp", counts.notUdp);
    json.number("fragments", counts.fragments);
    json.number("cutShort", counts.cutShort);
    json.number("damaged", counts.damaged);
    json.number("otherPorts", counts.otherPorts);
    json.number("notDmx", counts.notDmx);
    json.close('}');
    json.close('}');
    return json.out + '\n';
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

    watchStopSignals();
    ReplayProgress progress;
    const ReplayOutcome outcome = runReplay(settings, plan, stopFlag(), progress);
    restoreStopSignals();
    if (outcome == ReplayOutcome::SocketNotCreated || outcome == ReplayOutcome::BindFailed) return exitCodeOf(outcome);
    const std::string summary = summaryJson(plan.counts, progress);
    std::fwrite(summary.data(), 1, summary.size(), stdout);
    std::fflush(stdout);
    // A single pass cut short ends the way the signal ends any program; --loop ends only so.
    if (caughtStopSignal() != 0 && !settings.loop) raiseCaughtStopSignal();
    return exitCodeOf(outcome);
}
