#include "live_page_data.h"

#include <cstdio>
#include <span>
#include <vector>

#include "../core/json_text.h"
#include "../core/json_writer.h"
#include "../core/utc_time.h"
#include "../net/scan/universe_state.h"
#include "../ui/network_controls.h"
#include "scan_events_json.h"

namespace {

// The legend gives a source's colour; the page styles it by its place in the palette.
int colourIndex(uint32_t rgb) {
    for (int8_t i = 0; i < kSourceColourCount; ++i) {
        if (sourceColour(i) == rgb) return i;
    }
    return kNoSourceColour;
}

// FNV-1a: a tag only has to change when the text does.
std::string tagOf(std::string_view text) {
    uint64_t hash = 0xCBF29CE484222325ull;
    for (char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001B3ull;
    char tag[17];
    std::snprintf(tag, sizeof tag, "%016llx", static_cast<unsigned long long>(hash));
    return tag;
}

LivePagePart part(std::string json) {
    LivePagePart made{std::move(json), ""};
    made.tag = tagOf(made.json);
    return made;
}

void texts(JsonWriter& json, std::string_view name, const std::vector<std::string>& values) {
    json.objectKey(name, '[');
    for (const std::string& value : values) {
        json.element();
        json.out += '"' + toUtf8Json(value) + '"';
    }
    json.close(']');
}

// The Network window's column titles, less the one the page shows elsewhere.
void columnTitles(JsonWriter& json, std::string_view name, int tableId, int leftOut = -1) {
    std::vector<std::string> titles;
    for (const NetworkColumn& column : networkTableColumns(tableId)) titles.emplace_back(column.title);
    if (leftOut >= 0) titles.erase(titles.begin() + leftOut);
    texts(json, name, titles);
}

// Per universe: [number, liveness, sources, live sources, conflict 0/1, sync missing 0/1].
std::string universeList(const ScanEngine& scan, const std::vector<const SacnStreamRecord*>& order, uint64_t nowUs) {
    JsonWriter json;
    json.open('[');
    for (std::size_t at = 0, next = 0; at < order.size(); at = next) {
        const uint16_t universe = order[at]->universe;
        for (next = at; next < order.size() && order[next]->universe == universe; ++next) {
        }
        const UniverseCondition c = universeCondition(scan, std::span(order).subspan(at, next - at), nowUs);
        json.element();
        json.out += '[' + std::to_string(universe) + ",\"" + universeLivenessName(c.liveness) + "\"," +
                    std::to_string(c.sources) + ',' + std::to_string(c.liveSources) + ',' +
                    (c.priorityConflict ? "1" : "0") + ',' + (c.syncMissing ? "1" : "0") + ']';
    }
    json.close(']');
    return json.out;
}

std::string nodeList(const ScanEngine& scan, uint64_t nowUs) {
    JsonWriter json;
    json.open('[');
    for (const ArtNetNodeRecord* node : nodesInTableOrder(scan)) {
        json.element();
        json.open('{');
        texts(json, "cells", nodeRow(*node, nowUs));
        json.flag("gone", isArtNetNodeGone(*node, nowUs));
        json.close('}');
    }
    json.close(']');
    return json.out;
}

std::string statusText(const ServeSnapshot& snapshot, const NetworkRates& rates) {
    std::string text = "Scanning on " + formatIpv4(snapshot.settings.local) + " · " +
                       std::to_string(snapshot.settings.joinedUniverses) + " universes joined · " +
                       rateText(rates.datagramsPerSecond) + " datagrams/s · drops: ";
    return text + (snapshot.dropsKnown ? std::to_string(snapshot.receiveDrops) : "not reported by the system");
}

const char* sourceStateName(const SacnStreamRecord& source, uint64_t nowUs) {
    return sacnSourceStateName(sacnSourceState(source, nowUs));
}

// The sources table and the grid of one universe, both in the Network window's texts and colours.
void selectedUniverse(JsonWriter& json, const ScanEngine& scan, const NetworkRates& rates, uint16_t universe,
                      uint64_t nowUs) {
    const NetworkGrid grid = mergedGrid(scan, universe, nowUs);
    json.objectKey("selected", '{');
    json.number("universe", int{universe});
    json.text("title", gridTitleText(grid));
    json.number("slotCount", int{grid.slotCount});
    json.objectKey("levels", '[');
    for (int slot = 0; slot < grid.slotCount; ++slot) json.numberElement(grid.levels[static_cast<std::size_t>(slot)]);
    json.close(']');
    json.objectKey("winners", '[');
    for (int slot = 0; slot < grid.slotCount; ++slot) json.numberElement(grid.winnerColours[static_cast<std::size_t>(slot)]);
    json.close(']');
    json.objectKey("sources", '[');
    std::size_t index = 0;
    for (const SacnStreamRecord* source : sourcesInTableOrder(scan, false)) {
        if (source->universe != universe) continue;
        std::vector<std::string> cells = sourceRow(*source, rates, nowUs);
        cells.erase(cells.begin() + kSourcesUniverseColumn);
        json.element();
        json.open('{');
        texts(json, "cells", cells);
        json.text("state", sourceStateName(*source, nowUs));
        if (index < grid.legend.size()) {
            json.number("colour", colourIndex(grid.legend[index].rgb));
            json.text("legend", grid.legend[index].text);
        }
        ++index;
        json.close('}');
    }
    json.close(']');
    json.close('}');
}

}  // namespace

LivePageOverview livePageOverview(const ServeSnapshot& snapshot, NetworkRates& rates) {
    const ScanEngine& scan = snapshot.scan;
    sampleNetworkRates(rates, scan, snapshot.takenUs);
    const std::vector<const SacnStreamRecord*> order = sourcesInTableOrder(scan, false);
    LivePageOverview overview;
    overview.takenUs = snapshot.takenUs;
    overview.firstUniverse = order.empty() ? 0 : order.front()->universe;
    overview.universes = part(universeList(scan, order, snapshot.takenUs));
    overview.nodes = part(nodeList(scan, snapshot.takenUs));
    const uint64_t total = scan.events.total;
    const uint64_t shownAfter = total > kLivePageEvents ? total - kLivePageEvents : 0;
    overview.events = part(scanEventList(scan, snapshot.settings.startUnixMs, shownAfter));
    overview.status = statusText(snapshot, rates);
    overview.rates = rates;
    return overview;
}

std::string livePageJson(const ServeSnapshot& snapshot, const LivePageOverview& overview, const LivePageRequest& request,
                         uint64_t nowUs) {
    JsonWriter json;
    json.open('{');
    json.text("startTime", isoUtcText(snapshot.settings.startUnixMs));
    json.number("ageMs", static_cast<uint64_t>(nowUs > snapshot.takenUs ? (nowUs - snapshot.takenUs) / 1000 : 0));
    json.number("pollMs", kLivePagePollMs);
    json.text("status", overview.status);
    json.text("universesTag", overview.universes.tag);
    if (request.universesTag != overview.universes.tag) {
        json.raw("universes", overview.universes.json);
        json.objectKey("columns", '{');
        columnTitles(json, "sources", kNetworkSourcesTable, kSourcesUniverseColumn);
        columnTitles(json, "nodes", kNetworkNodesTable);
        json.close('}');
    }
    json.text("nodesTag", overview.nodes.tag);
    if (request.nodesTag != overview.nodes.tag) json.raw("nodes", overview.nodes.json);
    json.text("eventsTag", overview.events.tag);
    if (request.eventsTag != overview.events.tag) json.raw("events", overview.events.json);
    const uint16_t universe = request.universe != 0 ? request.universe : overview.firstUniverse;
    if (universe != 0) selectedUniverse(json, snapshot.scan, overview.rates, universe, snapshot.takenUs);
    json.close('}');
    return json.out;
}
