#include "source_cli.h"

#include <memory>
#include <string>

#include "../core/exit_codes.h"
#include "../core/input_file.h"
#include "../core/json_writer.h"
#include "../core/universe_list.h"
#include "../core/whole_file.h"
#include "../net/source/source_sender.h"
#include "scan_report.h"
#include "source_options.h"
#include "stop_signals.h"

namespace {

using namespace source_options;

constexpr std::size_t kLargestSnapshotBytes = 256u << 20;  // a --scan --levels document of every universe fits

bool readProtocol(const ArgumentVector& args, SourceSettings& settings) {
    const std::string text = optionValue(args, kProtocol);
    if (text != "sACN" && text != "Art-Net") return false;
    settings.protocol = text == "sACN" ? DmxProtocol::Sacn : DmxProtocol::ArtNet;
    return true;
}

bool readUniverses(const ArgumentVector& args, SourceSettings& settings) {
    const bool sacn = settings.protocol == DmxProtocol::Sacn;
    auto universes = parseNumberList(optionValue(args, kUniverses), sacn ? 1 : 0, sacn ? 63999 : 32767);
    if (!universes || universes->empty()) return false;
    settings.universes = std::move(*universes);
    return true;
}

bool readPattern(const ArgumentVector& args, SourceSettings& settings) {
    auto pattern = parseSourcePattern(optionValue(args, kPattern));
    if (!pattern) return false;
    settings.pattern = std::move(*pattern);
    if (settings.pattern.kind != PatternKind::Snapshot) return true;
    std::string document;
    return readInputFile(settings.pattern.file, document, kLargestSnapshotBytes) &&
           readSnapshotLevels(document, settings.pattern);
}

// Numbers of the table, each in its range; an absent --sync is no synchronisation.
bool readNumbers(const ArgumentVector& args, SourceSettings& settings) {
    const auto rate = numericOptionValue(args, kRate);
    const auto slots = numericOptionValue(args, kSlots);
    const auto priority = numericOptionValue(args, kPriority);
    const auto duration = numericOptionValue(args, kDuration);
    const std::string syncText = optionValue(args, kSync);
    const auto sync = syncText.empty() ? std::optional<int32_t>(0) : numericOptionValue(args, kSync);
    if (!rate || !slots || !priority || !duration || !sync) return false;
    settings.rate = static_cast<uint32_t>(*rate);
    settings.slots = static_cast<std::size_t>(*slots);
    settings.priority = static_cast<uint8_t>(*priority);
    settings.durationMs = static_cast<uint32_t>(*duration);
    settings.syncUniverse = static_cast<uint16_t>(*sync);
    return true;
}

bool readAddresses(const ArgumentVector& args, SourceSettings& settings) {
    const std::string target = optionValue(args, kTarget);
    if (target.empty()) return true;
    Ipv4Address address;
    if (!parseIpv4(target, address)) return false;
    settings.target = address;
    return true;
}

bool readSacnIdentity(const ArgumentVector& args, SourceSettings& settings) {
    settings.name = sourceNameField(optionValue(args, kName));
    const std::string cid = optionValue(args, kCid);
    if (!cid.empty() && !parseCidText(cid, settings.cid)) return false;
    const std::string priorities = optionValue(args, kPerAddress);
    if (priorities.empty()) return true;
    settings.perAddressPriorities = parseSlotValues(priorities, 200);
    return settings.perAddressPriorities.has_value();
}

std::string summaryJson(const SourceSettings& settings, const SourceSender& sender, const SourceRun& run) {
    const bool sacn = settings.protocol == DmxProtocol::Sacn;
    const SourceCounts& counts = sender.counts;
    JsonWriter json;
    json.open('{');
    json.text("protocol", sacn ? "sACN" : "Art-Net");
    json.number("universes", static_cast<uint64_t>(settings.universes.size()));
    if (sacn) {
        json.text("cid", cidText(settings.cid));
    } else {
        json.raw("cid", "null");
    }
    json.number("rate", static_cast<uint64_t>(settings.rate));
    json.number("frames", run.schedule.sent);
    json.number("lateFrames", run.schedule.late);
    json.number("skippedFrames", run.schedule.skipped);
    json.fixed("maxLatenessMs", static_cast<double>(run.schedule.maxLatenessUs) / 1000.0);
    json.number("elapsedMs", run.elapsedUs / 1000);
    json.text("stoppedBy", run.stopped ? "signal" : "duration");
    json.number("datagramsSent", counts.sent());
    json.number("datagramsNotSent", counts.notSent);
    json.number("levelPackets", counts.levels);
    json.number("perAddressPriorityPackets", counts.perAddressPriorities);
    json.number("syncPackets", counts.sync);
    json.number("discoveryPackets", counts.discovery);
    json.number("terminatedPackets", counts.terminated);
    json.close('}');
    return json.out;
}

}  // namespace

std::optional<SourceSettings> readSourceSettings(const ArgumentVector& args) {
    SourceSettings settings;
    if (!readProtocol(args, settings) || !readUniverses(args, settings) || !readNumbers(args, settings) ||
        !readAddresses(args, settings) || !readSacnIdentity(args, settings) || !readPattern(args, settings))
        return std::nullopt;
    settings.discovery = flagIsSet(args, kDiscovery);
    settings.preview = flagIsSet(args, kPreview);
    return settings;
}

int runSourceMode(const ArgumentVector& args) {
    auto settings = readSourceSettings(args);
    if (!settings) return kInvalidArguments;
    if (optionValue(args, kCid).empty()) {
        DmxUniverseState random;
        generateCid(random);
        settings->cid = random.cid;
    }
    if (!parseIpv4(optionValue(args, kLocal), settings->local)) return kBindFailed;
    auto sender = std::make_unique<SourceSender>();
    if (const int opened = openSourceSender(*sender, *settings); opened != kSuccess) {
        closeSourceSender(*sender);
        return opened;
    }
    watchStopSignals();
    const SourceRun run = runSource(*sender, *settings, stopFlag());
    closeSourceSender(*sender);
    const std::string output = optionValue(args, kOutput);
    if (!output.empty() && !writeFileWhole(output, summaryJson(*settings, *sender, run))) return kOutputNotWritten;
    return sender->counts.notSent > 0 ? kSendFailed : kSuccess;
}
