#include "scan_run_steps.h"

#include "../core/scan_codec.h"

void sendArtPolls(const ScanSockets& sockets, std::span<const uint8_t> poll, ScanReportSettings& settings) {
    bool sent = true;
    for (Ipv4Address target : sockets.pollTargets) {
        sent = sendDatagram(sockets.pollSocket, poll.data(), poll.size(), target, kArtNetPort) ==
                   static_cast<long>(poll.size()) &&
               sent;
    }
    ++settings.pollRounds;
    settings.pollSent = sent;
}

void joinAnnouncedUniverses(const ScanEngine& scan, ScanSockets& sockets, ScanReceiver& receiver,
                            std::bitset<kSacnUniverseCount>& tried, std::size_t capacity, ScanReportSettings& settings) {
    const auto& announced = scan.announced.universes;
    for (std::size_t u = 1; u < announced.size() && sockets.joined.count() < capacity; ++u) {
        if (!announced.test(u) || tried.test(u)) continue;
        tried.set(u);
        if (joinScanUniverse(sockets, static_cast<uint16_t>(u))) settings.announcedUniverses.push_back(static_cast<uint16_t>(u));
    }
    watchNewScanSockets(receiver, sockets);
    settings.joinUs = sockets.joinUs;
}
