#pragma once
// The --scan document: one line of JSON describing what the scan heard.
#include <cstdint>
#include <string>
#include <vector>

#include "../net/scan/scan_engine.h"
#include "../net/socket/socket_layer.h"

struct ScanReportSettings {
    Ipv4Address local;
    int32_t listenMs = 0;
    int joinedUniverses = 0;
    std::vector<uint16_t> unjoinedUniverses;
    bool pollRequested = false;
    Ipv4Address pollTarget;
    bool pollSent = false;
};

std::string scanReportJson(const ScanEngine& scan, const ScanReportSettings& settings);

// A CID as text: 8-4-4-4-12 lower-case hexadecimal digits.
std::string cidText(const std::array<uint8_t, kSacnCidLength>& cid);
