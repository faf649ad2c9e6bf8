#pragma once
// Steps of a continuous scan that --scan --follow and --serve both take between reads.
#include <bitset>
#include <cstddef>
#include <span>

#include "../net/scan/scan_receive.h"
#include "scan_report.h"

// Sends the ArtPoll to every poll target of sockets, and counts the round in settings.
void sendArtPolls(const ScanSockets& sockets, std::span<const uint8_t> poll, ScanReportSettings& settings);

// Joins the universes discovery announced that are not tried yet, while fewer than capacity
// are joined, and watches any socket that took them. tried remembers every universe asked for.
void joinAnnouncedUniverses(const ScanEngine& scan, ScanSockets& sockets, ScanReceiver& receiver,
                            std::bitset<kSacnUniverseCount>& tried, std::size_t capacity, ScanReportSettings& settings);
