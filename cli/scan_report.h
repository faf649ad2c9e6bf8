#pragma once
// The --scan document: one line of JSON describing what the scan heard up to a moment.
// --follow writes one per interval; the metrics and window work read the same engine.
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "../core/ipv4_address.h"
#include "../net/scan/scan_engine.h"
#include "../net/scan/scan_sockets.h"

constexpr int kScanSchemaVersion = 2;

struct ScanReportSettings {
    Ipv4Address local;
    int32_t listenMs = 0;
    int64_t startUnixMs = 0;
    std::vector<Ipv4Address> interfaces;  // the addresses listened on
    uint64_t joinUs = 0;                  // time spent joining groups, announced ones included
    int joinedUniverses = 0;
    std::vector<uint16_t> unjoinedUniverses;
    std::vector<uint16_t> announcedUniverses;  // joined because universe discovery announced them
    bool pollRequested = false;
    std::vector<Ipv4Address> pollTargets;
    uint64_t pollRounds = 0;
    bool pollSent = false;  // every ArtPoll of the latest round left
    bool levels = false;    // add the merged universes
    int64_t sequence = -1;  // the running number of a --follow line, from 0; -1: a single document
    uint64_t eventsAfter = 0;  // with --follow: the number of the last event the previous line carried
    ScanPortUnicast unicast[2];  // sACN, Art-Net
};

std::string scanReportJson(const ScanEngine& scan, const ScanReportSettings& settings, uint64_t nowUs);

// A CID as text: 8-4-4-4-12 lower-case hexadecimal digits.
std::string cidText(const std::array<uint8_t, kSacnCidLength>& cid);

// A fixed-width name field up to its first zero byte.
template <std::size_t N>
std::string_view fieldText(const std::array<char, N>& field) {
    return std::string_view(field.data(), strnlen(field.data(), N));
}
