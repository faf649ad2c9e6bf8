#pragma once
// Steps of a continuous scan that --scan --follow and --serve both take between reads.
#include <array>
#include <bitset>
#include <cstddef>
#include <vector>

#include "../core/scan_codec.h"
#include "../net/scan/scan_receive.h"
#include "scan_report.h"

// What a scan reads with and reports from, whichever mode runs it.
struct ScanListening {
    ScanSockets sockets;
    ScanReceiver receiver;
    ScanEngine scan;
    ScanReportSettings settings;
    std::array<uint8_t, kArtPollLength> poll = buildArtPoll();
    std::size_t universeCapacity = 0;
    std::bitset<kSacnUniverseCount> tried;  // asked for, or announced and joined or refused
};

// Opens the sockets for universes on settings.local and the receiver (woken by wake), and
// copies what the report says of them into settings; an exit code. With
// settings.pollRequested the receiver leaves out the scan's own ArtPoll.
int openScanListening(ScanListening& run, const std::vector<uint16_t>& universes, SocketHandle wake);
void closeScanListening(ScanListening& run);

// Sends the ArtPoll to every poll target, and counts the round in the settings.
void sendArtPolls(ScanListening& run);

// Joins the universes discovery announced that are not tried yet, while fewer than the
// capacity are joined, and watches any socket that took them.
void joinAnnouncedUniverses(ScanListening& run);
