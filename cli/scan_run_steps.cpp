#include "scan_run_steps.h"

#include "../core/exit_codes.h"

int openScanListening(ScanListening& run, const std::vector<uint16_t>& universes, SocketHandle wake) {
    const ScanOpenResult opened = openScanSockets(run.sockets, run.settings.local, universes);
    if (opened == ScanOpenResult::SocketNotCreated) return kSocketNotCreated;
    if (opened == ScanOpenResult::BindFailed) return kBindFailed;
    for (uint16_t universe : universes) run.tried.set(universe);
    run.settings.interfaces = run.sockets.interfaces;
    run.settings.joinedUniverses = run.sockets.joinedUniverses;
    run.settings.unjoinedUniverses = run.sockets.unjoinedUniverses;
    run.settings.joinUs = run.sockets.joinUs;
    run.settings.pollTargets = run.sockets.pollTargets;
    for (DmxProtocol port : {DmxProtocol::Sacn, DmxProtocol::ArtNet}) run.settings.unicast[portSlot(port)] = run.sockets.unicast[portSlot(port)];
    if (!openScanReceiver(run.receiver, run.sockets, wake)) return kSocketNotCreated;
    if (run.settings.pollRequested) run.receiver.ownPoll = run.poll;
    return kSuccess;
}

void closeScanListening(ScanListening& run) {
    closeScanReceiver(run.receiver);
    closeScanSockets(run.sockets);
}

void sendArtPolls(ScanListening& run) {
    bool sent = true;
    for (Ipv4Address target : run.sockets.pollTargets) {
        sent = sendDatagram(run.sockets.pollSocket, run.poll.data(), run.poll.size(), target, kArtNetPort) ==
                   static_cast<long>(run.poll.size()) &&
               sent;
    }
    ++run.settings.pollRounds;
    run.settings.pollSent = sent;
}

void joinAnnouncedUniverses(ScanListening& run) {
    const auto& announced = run.scan.announced.universes;
    for (std::size_t u = 1; u < announced.size() && run.sockets.joined.count() < run.universeCapacity; ++u) {
        if (!announced.test(u) || run.tried.test(u)) continue;
        run.tried.set(u);
        if (joinScanUniverse(run.sockets, static_cast<uint16_t>(u))) run.settings.announcedUniverses.push_back(static_cast<uint16_t>(u));
    }
    watchNewScanSockets(run.receiver, run.sockets);
    run.settings.joinUs = run.sockets.joinUs;
}
