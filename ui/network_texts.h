#pragma once
// The texts the Network window shows, from the scan engine's tables at a moment: the rows
// of its four tables, the merged grid of one universe with its legend, the status line.
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "../net/scan/scan_engine.h"
#include "network_view.h"

// Packets per second of every record, measured over about a second between samples.
struct NetworkRates {
    std::unordered_map<uint64_t, uint64_t> packetsAtSample;
    std::unordered_map<uint64_t, double> perSecond;
    uint64_t sampleUs = 0;  // 0: no sample yet
    uint64_t datagramsAtSample = 0;
    double datagramsPerSecond = 0;
};
inline constexpr uint64_t kRateSampleUs = 1000000;

// Takes a new sample when a second has passed since the last one.
void sampleNetworkRates(NetworkRates& rates, const ScanEngine& scan, uint64_t nowUs);
double rateOf(const NetworkRates& rates, const StreamKey& key);

// "live", "lost", "stream ended" or, for a live source asking for it, "preview".
std::string sourceStatusText(const SacnStreamRecord& source, uint64_t nowUs);
// "100", or "100 · per address" while the source sends per-address priorities.
std::string sourcePriorityText(const SacnStreamRecord& source, uint64_t nowUs);
// "1 (0:0:1)": the 15-bit number, then net, sub-net and universe.
std::string portAddressText(uint16_t portAddress);
std::string rateText(double perSecond);

// The sources in table order: by universe (descending when asked), then sender and name.
std::vector<const SacnStreamRecord*> sourcesInTableOrder(const ScanEngine& scan, bool descending);
std::vector<std::string> sourceRow(const SacnStreamRecord& source, const NetworkRates& rates, uint64_t nowUs);
// Senders by Port-Address, nodes by reported address and bind index.
std::vector<const ArtNetStreamRecord*> sendersInTableOrder(const ScanEngine& scan);
std::vector<std::string> senderRow(const ArtNetStreamRecord& sender, const NetworkRates& rates);
std::vector<const ArtNetNodeRecord*> nodesInTableOrder(const ScanEngine& scan);
std::vector<std::string> nodeRow(const ArtNetNodeRecord& node, uint64_t nowUs);

// An event's row: its time of day (UTC), kind and who ("universe 3 · Desk (10.0.0.2)").
std::vector<std::string> eventRow(const ScanEngine& scan, int64_t startUnixMs, const ScanEvent& event);

// The universe merged as a receiver would output it; each source of the universe gets
// the colour of its place in table order.
NetworkGrid mergedGrid(const ScanEngine& scan, uint16_t universe, uint64_t nowUs);
std::string gridTitleText(const NetworkGrid& grid);

// What a grid cell shows: the level as a number where a source drives the slot, the
// brightness of the level as its fill, the winner's colour as its marker.
std::string gridCellText(const NetworkGrid& grid, int slot);
uint32_t gridCellFill(uint8_t level);
uint32_t gridCellTextColour(uint8_t level);
inline constexpr int kGridMarkerHeight = 3;  // the winner's colour along the bottom of a cell
uint32_t sourceColour(int8_t index);  // 0 for kNoSourceColour
inline constexpr int kSourceColourCount = 8;

struct NetworkStatus {
    bool scanning = false;
    std::string local;
    int sockets = 0;
    int joinedUniverses = 0;
    int announcedUniverses = 0;
    double datagramsPerSecond = 0;
    long long systemDrops = -1;  // -1: the system does not say
    std::string message;         // the last failure, if any
};
std::string networkStatusText(const NetworkStatus& status);
