#include "network_procedure.h"

#include <algorithm>

#include "../core/universe_list.h"
#include "../core/utc_time.h"
#include "window_procedure.h"

namespace {

constexpr int kSourcesRows = 0;
constexpr int kSendersRows = 1;
constexpr int kNodesRows = 2;
constexpr int kEventsRows = 3;

uint64_t nowOf(const NetworkWindowEngines& engines) { return engines.clockUs(); }

void showLockedState(NetworkWindowEngines& engines) {
    const NetworkView& view = engines.view;
    view.setControlText(kNetworkScanButton, engines.scanning ? "Stop scan" : "Start scan");
    view.enableControl(kNetworkLocalIpv4Field, !engines.scanning);
    view.enableControl(kNetworkUniversesField, !engines.scanning);
    view.enableControl(kNetworkPollButton, engines.scanning);
}

void showStatus(NetworkWindowEngines& engines) {
    NetworkStatus status;
    status.scanning = engines.scanning;
    status.local = formatIpv4(engines.sockets.local);
    status.sockets = static_cast<int>(engines.sockets.sockets.size());
    status.joinedUniverses = static_cast<int>(engines.sockets.joined.count());
    status.announcedUniverses = static_cast<int>(engines.scan.announced.universes.count());
    status.datagramsPerSecond = engines.rates.datagramsPerSecond;
    status.message = engines.message;
    engines.view.setControlText(kNetworkStatusText, networkStatusText(status));
}

void handOver(NetworkWindowEngines& engines, int tableId, int index, NetworkTableRows rows) {
    if (rows == engines.shownRows[index]) return;
    engines.shownRows[index] = std::move(rows);
    engines.view.setTableRows(tableId, engines.shownRows[index]);
}

// To the directed broadcast of every interface (and 255.255.255.255), or to the one
// interface scanned, as the sockets chose.
void sendPoll(NetworkWindowEngines& engines, uint64_t nowUs) {
    const ScanSockets& sockets = engines.sockets;
    std::string failed;
    for (Ipv4Address target : sockets.pollTargets) {
        const long sent = sendDatagram(sockets.pollSocket, engines.poll.data(), engines.poll.size(), target, kArtNetPort);
        if (sent != static_cast<long>(engines.poll.size())) failed += (failed.empty() ? "" : ", ") + formatIpv4(target);
    }
    engines.lastPollUs = nowUs;
    engines.pollSent = true;
    engines.receiver.ownPoll = engines.poll;
    engines.message = failed.empty() ? "" : "The ArtPoll to " + failed + " was not sent.";
}

void joinAnnounced(NetworkWindowEngines& engines) {
    engines.announcedChanges = engines.scan.announced.changes;
    const auto& announced = engines.scan.announced.universes;
    for (std::size_t u = 1; u < announced.size(); ++u) {
        if (!announced.test(u) || engines.tried.test(u)) continue;
        if (engines.sockets.joined.count() >= engines.universeCapacity) break;
        engines.tried.set(u);
        joinScanUniverse(engines.sockets, static_cast<uint16_t>(u));
    }
    watchNewScanSockets(engines.receiver, engines.sockets);
}

void startScanning(NetworkWindowEngines& engines) {
    const NetworkView& view = engines.view;
    Ipv4Address local;
    const std::string localText = view.fieldText(kNetworkLocalIpv4Field);
    if (!parseIpv4(localText, local)) {
        engines.message = "Local IPv4 does not read as an address: " + localText;
        return;
    }
    const std::string universesText = view.fieldText(kNetworkUniversesField);
    const auto universes = parseUniverseList(universesText);
    if (!universes) {
        engines.message = "Universes to join do not read: numbers and ranges of 1 to 63999, such as 1-16,100.";
        return;
    }
    engines.universeCapacity = raiseScanUniverseCapacity(local);
    if (universes->size() > engines.universeCapacity) {
        engines.message = "This system can join at most " + std::to_string(engines.universeCapacity) + " universes.";
        return;
    }
    engines.sockets = ScanSockets{};
    engines.receiver.ownPoll = {};
    if (openScanSockets(engines.sockets, local, *universes) != ScanOpenResult::Opened ||
        !openScanReceiver(engines.receiver, engines.sockets, kInvalidSocket)) {
        closeScanReceiver(engines.receiver);
        closeScanSockets(engines.sockets);
        engines.message = "The sACN and Art-Net ports could not be opened on " + localText + ".";
        return;
    }
    engines.tried.reset();
    for (uint16_t universe : *universes) engines.tried.set(universe);
    engines.announcedChanges = 0;
    const uint64_t now = nowOf(engines);
    engines.scan = ScanEngine{};
    startScan(engines.scan, now);
    engines.startUnixMs = unixMilliseconds();
    engines.selectedEvent = 0;
    engines.shownEvents.clear();  // the last scan's events leave the list
    handOver(engines, kNetworkEventsTable, kEventsRows, {});
    engines.rates = NetworkRates{};
    engines.scanning = true;
    engines.pollSent = false;
    engines.lastExpiryUs = now;
    engines.message = engines.sockets.unjoinedUniverses.empty()
                          ? ""
                          : std::to_string(engines.sockets.unjoinedUniverses.size()) + " universes could not be joined.";
    // The scan goes on without a port another program holds alone; say so, or it looks silent.
    for (DmxProtocol port : {DmxProtocol::ArtNet, DmxProtocol::Sacn}) {
        if (engines.sockets.unicast[portSlot(port)].listened) continue;
        const std::string text =
            "Port " + std::to_string(protocolPort(port)) + " is held by another program: nothing sent to it is heard.";
        engines.message = engines.message.empty() ? text : text + " " + engines.message;
    }
}

void stopScanning(NetworkWindowEngines& engines) {
    closeScanReceiver(engines.receiver);
    closeScanSockets(engines.sockets);
    engines.scanning = false;
    engines.pollSent = false;
    engines.message.clear();
}

void requestMonitor(NetworkWindowEngines& engines) {
    if (engines.selectedUniverse == 0) {
        engines.message = "Select a source first: its universe is the one monitored.";
        return;
    }
    engines.message.clear();
    if (engines.openMonitor) {
        engines.openMonitor({engines.selectedUniverse, engines.view.fieldText(kNetworkLocalIpv4Field)});
    }
}

int selectedSourceRow(const NetworkWindowEngines& engines) {
    const auto found = std::find(engines.shownSources.begin(), engines.shownSources.end(), engines.selectedSource);
    if (engines.selectedUniverse == 0 || found == engines.shownSources.end()) return -1;
    return static_cast<int>(found - engines.shownSources.begin());
}

// The latest events, newest first; their texts do not change, so only new events (or a
// new scan) make new rows.
void refreshEvents(NetworkWindowEngines& engines) {
    const ScanEventLog& log = engines.scan.events;
    const uint64_t newest = engines.shownEvents.empty() ? 0 : engines.shownEvents.front();
    if (newest == log.total) return;
    NetworkTableRows events;
    engines.shownEvents.clear();
    const uint64_t oldest = oldestScanEventNumber(log);
    for (uint64_t n = log.total; n >= oldest && n > 0 && engines.shownEvents.size() < kNetworkEventRows; --n) {
        events.rows.push_back(eventRow(engines.scan, engines.startUnixMs, scanEventNumbered(log, n)));
        engines.shownEvents.push_back(n);
    }
    const auto selected = std::find(engines.shownEvents.begin(), engines.shownEvents.end(), engines.selectedEvent);
    events.selectedRow = selected == engines.shownEvents.end() ? -1 : static_cast<int>(selected - engines.shownEvents.begin());
    handOver(engines, kNetworkEventsTable, kEventsRows, std::move(events));
}

// A priority conflict selects its universe and the first source of the tie.
void selectEvent(NetworkWindowEngines& engines, int row) {
    if (row < 0 || row >= static_cast<int>(engines.shownEvents.size())) return;
    engines.selectedEvent = engines.shownEvents[static_cast<std::size_t>(row)];
    engines.shownRows[kEventsRows].selectedRow = row;
    if (engines.selectedEvent < oldestScanEventNumber(engines.scan.events)) return;
    const ScanEvent& event = scanEventNumbered(engines.scan.events, engines.selectedEvent);
    if (event.kind != ScanEventKind::PriorityConflict) return;
    engines.selectedUniverse = event.universe;
    for (const SacnStreamRecord& r : engines.scan.sacn.records) {
        if (r.universe == event.universe && r.cid == event.cid && r.sender == event.sender) engines.selectedSource = r.key;
    }
    refreshNetworkViews(engines, nowOf(engines));
}

void refreshTables(NetworkWindowEngines& engines, uint64_t nowUs) {
    NetworkTableRows sources;
    engines.shownSources.clear();
    for (const SacnStreamRecord* source : sourcesInTableOrder(engines.scan, engines.universesDescending)) {
        sources.rows.push_back(sourceRow(*source, engines.rates, nowUs));
        engines.shownSources.push_back(source->key);
    }
    sources.selectedRow = selectedSourceRow(engines);
    handOver(engines, kNetworkSourcesTable, kSourcesRows, std::move(sources));

    NetworkTableRows senders;
    for (const ArtNetStreamRecord* sender : sendersInTableOrder(engines.scan)) senders.rows.push_back(senderRow(*sender, engines.rates));
    handOver(engines, kNetworkSendersTable, kSendersRows, std::move(senders));

    NetworkTableRows nodes;
    for (const ArtNetNodeRecord* node : nodesInTableOrder(engines.scan)) nodes.rows.push_back(nodeRow(*node, nowUs));
    handOver(engines, kNetworkNodesTable, kNodesRows, std::move(nodes));
    refreshEvents(engines);
}

void refreshGrid(NetworkWindowEngines& engines, uint64_t nowUs) {
    NetworkGrid grid = mergedGrid(engines.scan, engines.selectedUniverse, nowUs);
    if (grid == engines.shownGrid) return;
    const bool titleChanged = grid.universe != engines.shownGrid.universe;
    engines.shownGrid = std::move(grid);
    if (titleChanged) engines.view.setControlText(kNetworkGridTitle, gridTitleText(engines.shownGrid));
    engines.view.showLevelGrid(engines.shownGrid);
}

}  // namespace

NetworkCommand networkCommandFor(int id, int notification) {
    if (notification != kClickNotification) return NetworkCommand::Nothing;
    switch (id) {
        case kNetworkScanButton: return NetworkCommand::ToggleScan;
        case kNetworkPollButton: return NetworkCommand::PollNodes;
        case kNetworkMonitorButton: return NetworkCommand::MonitorUniverse;
        default: return NetworkCommand::Nothing;
    }
}

void fillNetworkViews(NetworkWindowEngines& engines) {
    showLockedState(engines);
    engines.shownGrid.winnerColours.fill(kNoSourceColour);
    engines.view.showLevelGrid(engines.shownGrid);
    showStatus(engines);
}

void runNetworkCommand(NetworkWindowEngines& engines, int id, int notification) {
    if (engines.stopped) return;
    switch (networkCommandFor(id, notification)) {
        case NetworkCommand::Nothing: return;
        case NetworkCommand::ToggleScan:
            if (engines.scanning) stopScanning(engines);
            else startScanning(engines);
            showLockedState(engines);
            break;
        case NetworkCommand::PollNodes:
            if (engines.scanning) sendPoll(engines, nowOf(engines));
            break;
        case NetworkCommand::MonitorUniverse: requestMonitor(engines); break;
    }
    refreshNetworkViews(engines, nowOf(engines));
}

void selectNetworkRow(NetworkWindowEngines& engines, int tableId, int row) {
    if (engines.stopped) return;
    if (tableId == kNetworkEventsTable) selectEvent(engines, row);
    if (tableId != kNetworkSourcesTable) return;
    if (row < 0 || row >= static_cast<int>(engines.shownSources.size())) return;
    engines.selectedSource = engines.shownSources[static_cast<std::size_t>(row)];
    const auto& records = engines.scan.sacn.records;
    const auto found = std::find_if(records.begin(), records.end(),
                                    [&](const SacnStreamRecord& r) { return r.key == engines.selectedSource; });
    if (found != records.end()) engines.selectedUniverse = found->universe;
    engines.shownRows[kSourcesRows].selectedRow = row;
    refreshGrid(engines, nowOf(engines));
}

void clickNetworkHeader(NetworkWindowEngines& engines, int tableId, int column) {
    if (engines.stopped || tableId != kNetworkSourcesTable || column != kSourcesUniverseColumn) return;
    engines.universesDescending = !engines.universesDescending;
    refreshNetworkViews(engines, nowOf(engines));
}

void runNetworkTick(NetworkWindowEngines& engines) {
    if (engines.stopped) return;
    if (engines.scanning) {
        engines.receiver.observer = engines.observer;
        drainScanSockets(engines.receiver, engines.scan, engines.sockets);
        if (engines.scan.announced.changes != engines.announcedChanges) joinAnnounced(engines);
    }
    // Read after the sockets: where the system stamps no arrival time, a datagram carries
    // the time it was read, which must not lie after the moment the views describe.
    const uint64_t now = nowOf(engines);
    if (engines.scanning) {
        if (now - engines.lastExpiryUs >= kScanExpiryUs) {
            expireScan(engines.scan, now);
            engines.lastExpiryUs = now;
        }
        if (engines.pollSent && now - engines.lastPollUs >= kArtPollRepeatUs) sendPoll(engines, now);
    }
    if (now - engines.lastRefreshUs >= kNetworkRefreshUs) refreshNetworkViews(engines, now);
}

void refreshNetworkViews(NetworkWindowEngines& engines, uint64_t nowUs) {
    engines.lastRefreshUs = nowUs;
    sampleNetworkRates(engines.rates, engines.scan, nowUs);
    refreshTables(engines, nowUs);
    refreshGrid(engines, nowUs);
    showStatus(engines);
}

void joinMonitoredUniverse(NetworkWindowEngines& engines, uint16_t universe) {
    if (!engines.scanning || universe == 0 || engines.sockets.joined.test(universe)) return;
    engines.tried.set(universe);
    joinScanUniverse(engines.sockets, universe);
    watchNewScanSockets(engines.receiver, engines.sockets);
}

bool stopNetworkEngines(NetworkWindowEngines& engines) {
    if (engines.stopped) return false;
    engines.stopped = true;
    if (engines.scanning) stopScanning(engines);
    return true;
}
